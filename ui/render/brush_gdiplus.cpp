#include "ui/render/brush_gdiplus.h"

#include <cairo.h>

#include "ui/render/pen_gdiplus.h"

namespace ui {

namespace {

HBITMAP CopySurface(HBITMAP source) {
  if (source == nullptr || cairo_surface_status(source) != CAIRO_STATUS_SUCCESS) return nullptr;
  const int width = cairo_image_surface_get_width(source);
  const int height = cairo_image_surface_get_height(source);
  if (width <= 0 || height <= 0) return nullptr;
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(copy);
    return nullptr;
  }
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  return copy;
}

}  // namespace

Brush_Gdiplus::Brush_Gdiplus(ARGB color) : color_(color), solid_(true) {}

Brush_Gdiplus::Brush_Gdiplus(HBITMAP bitmap) : texture_(CopySurface(bitmap)) {}

Brush_Gdiplus::~Brush_Gdiplus() {
  if (texture_ != nullptr) cairo_surface_destroy(texture_);
}

std::unique_ptr<IBrush> Brush_Gdiplus::Clone() {
  std::unique_ptr<Brush_Gdiplus> clone(new Brush_Gdiplus());
  clone->color_ = color_;
  clone->solid_ = solid_;
  clone->texture_ = texture_ != nullptr ? cairo_surface_reference(texture_) : nullptr;
  return clone;
}

bool Brush_Gdiplus::ApplyTo(cairo_t* cr) const {
  if (solid_) {
    SetSourceArgb(cr, color_);
    return true;
  }
  if (texture_ == nullptr) return false;
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(texture_);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_set_source(cr, pattern);
  cairo_pattern_destroy(pattern);
  return true;
}

}  // namespace ui
