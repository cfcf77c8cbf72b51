#include "platform/menu/menu_picture.h"

#include <pango/pangocairo.h>

#include <algorithm>

#include "platform/text/utf_conversion.h"

namespace platform {
namespace {

constexpr double kFontSizePt = 9.0;

PangoLayout* MakeLayout(cairo_t* cr, const std::string& text) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("sans");
  pango_font_description_set_size(font, static_cast<int>(kFontSizePt * PANGO_SCALE));
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  return layout;
}

}  // namespace

MenuPicture::MenuPicture() = default;
MenuPicture::~MenuPicture() = default;

void MenuPicture::SetItems(const std::vector<std::u16string>& texts) {
  texts_.clear();
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* measure = cairo_create(scratch);
  int widest = 0;
  for (const std::u16string& text : texts) {
    texts_.push_back(UTF16ToUTF8(text));
    PangoLayout* layout = MakeLayout(measure, texts_.back());
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    widest = std::max(widest, width);
  }
  cairo_destroy(measure);
  cairo_surface_destroy(scratch);
  width_ = std::max(kMinWidth, widest + 2 * kTextPadding + 2 * kBorder);
  height_ = static_cast<int>(texts_.size()) * kItemHeight + 2 * kBorder;
  surface_.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_));
}

Rect MenuPicture::ItemRect(int index) const {
  if (index < 0 || index >= static_cast<int>(texts_.size())) return Rect{};
  const int top = kBorder + index * kItemHeight;
  return Rect{kBorder, top, width_ - kBorder, top + kItemHeight};
}

int MenuPicture::ItemAt(Point client) const {
  for (int i = 0; i < static_cast<int>(texts_.size()); ++i) {
    const Rect r = ItemRect(i);
    if (r.Contains(client)) return i;
  }
  return -1;
}

PresentBuffer MenuPicture::Draw(int hot) {
  PresentBuffer picture;
  if (!surface_ || cairo_surface_status(surface_.get()) != CAIRO_STATUS_SUCCESS) return picture;
  cairo_t* cr = cairo_create(surface_.get());
  cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);  // the border
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.97, 0.97, 0.97);
  cairo_rectangle(cr, kBorder, kBorder, width_ - 2 * kBorder, height_ - 2 * kBorder);
  cairo_fill(cr);
  for (int i = 0; i < static_cast<int>(texts_.size()); ++i) {
    const Rect row = ItemRect(i);
    if (i == hot) {
      cairo_set_source_rgb(cr, 0.20, 0.45, 0.80);
      cairo_rectangle(cr, row.left, row.top, row.Width(), row.Height());
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    } else {
      cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    }
    PangoLayout* layout = MakeLayout(cr, texts_[static_cast<size_t>(i)]);
    int text_width = 0;
    int text_height = 0;
    pango_layout_get_pixel_size(layout, &text_width, &text_height);
    cairo_move_to(cr, row.left + kTextPadding, row.top + (row.Height() - text_height) / 2);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface_.get());
  picture.pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface_.get()));
  picture.width = width_;
  picture.height = height_;
  picture.stride_bytes = cairo_image_surface_get_stride(surface_.get());
  return picture;
}

}  // namespace platform
