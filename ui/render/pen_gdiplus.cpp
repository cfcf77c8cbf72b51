#include "ui/render/pen_gdiplus.h"

#include <cairo.h>

#include <vector>

namespace ui {

void SetSourceArgb(cairo_t* cr, ARGB color) {
  cairo_set_source_rgba(cr, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                        (color & 0xFF) / 255.0, (color >> 24) / 255.0);
}

Pen_GdiPlus::Pen_GdiPlus(ARGB color, int width) : color_(color), width_(static_cast<float>(width)) {}

std::unique_ptr<IPen> Pen_GdiPlus::Clone() { return std::make_unique<Pen_GdiPlus>(*this); }

void Pen_GdiPlus::ApplyTo(cairo_t* cr) const {
  SetSourceArgb(cr, color_);
  cairo_set_line_width(cr, width_);
  switch (start_cap_) {
    case 1: cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE); break;
    case 2: cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND); break;
    default: cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT); break;
  }
  switch (line_join_) {
    case 1: cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL); break;
    case 2: cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND); break;
    default: cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER); break;
  }
  // Dash lengths are multiples of the pen width, as GDI+ draws them.
  static const std::vector<double> kPatterns[] = {
      {}, {3, 1}, {1, 1}, {3, 1, 1, 1}, {3, 1, 1, 1, 1, 1}};
  const int style = dash_style_ >= 0 && dash_style_ <= 4 ? dash_style_ : 0;
  const double unit = width_ > 0 ? width_ : 1.0;
  std::vector<double> dashes;
  for (double d : kPatterns[style]) dashes.push_back(d * unit);
  cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
}

}  // namespace ui
