#include "ui/render/text_layout.h"

#include <cairo.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>

#include "ui/font_settings.h"
#include "ui/render/pen_gdiplus.h"

namespace ui {

namespace {

struct SharedContext {
  PangoContext* context = nullptr;
  bool options_set = false;
  bool anti_alias = false;
};

SharedContext& Slot() {
  static SharedContext shared;
  return shared;
}

SharedContext& Shared() {
  SharedContext& shared = Slot();
  if (shared.context == nullptr) {
    shared.context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  }
  return shared;
}

// Brings the shared context's font options in line with the anti-alias
// switch; true when they changed.
bool SyncFontOptions() {
  SharedContext& shared = Shared();
  const bool anti_alias = TextAntiAlias();
  if (shared.options_set && shared.anti_alias == anti_alias) return false;
  cairo_font_options_t* options = cairo_font_options_create();
  // Grey-scale coverage either way: sub-pixel colour coverage cannot be kept
  // in a translucent surface. Anti-aliased text is smooth (slight hinting,
  // unhinted metrics); without the switch glyphs are fitted to the pixel
  // grid with hinted metrics, the look of the system's default text.
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
  cairo_font_options_set_hint_style(options, anti_alias ? CAIRO_HINT_STYLE_SLIGHT : CAIRO_HINT_STYLE_FULL);
  cairo_font_options_set_hint_metrics(options, anti_alias ? CAIRO_HINT_METRICS_OFF : CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(shared.context, options);
  cairo_font_options_destroy(options);
  shared.options_set = true;
  shared.anti_alias = anti_alias;
  return true;
}

PangoAlignment AlignmentOf(int alignment) {
  if (alignment == 1) return PANGO_ALIGN_CENTER;
  if (alignment == 2) return PANGO_ALIGN_RIGHT;
  return PANGO_ALIGN_LEFT;
}

}  // namespace

TextLayout::TextLayout() : layout_(pango_layout_new(Shared().context)) {}

TextLayout::~TextLayout() { g_object_unref(layout_); }

void TextLayout::RefreshFontMap() {
  PangoFontMap* map = pango_cairo_font_map_get_default();
  if (PANGO_IS_FC_FONT_MAP(map)) pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(map));
  pango_context_changed(Shared().context);
}

void TextLayout::ReleaseFontMap() {
  SharedContext& shared = Slot();
  if (shared.context != nullptr) g_object_unref(shared.context);
  shared = SharedContext();
  pango_cairo_font_map_set_default(nullptr);
}

_PangoLayout* TextLayout::NewSharedLayout() {
  SyncFontOptions();
  return pango_layout_new(Shared().context);
}

void TextLayout::Prepare(const std::string& text, HFONT font, bool underline, const TextFormat& format,
                         int width) {
  if (SyncFontOptions()) pango_layout_context_changed(layout_);
  pango_layout_set_font_description(layout_, font);
  if (underline) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_layout_set_attributes(layout_, attributes);
    pango_attr_list_unref(attributes);
  } else {
    pango_layout_set_attributes(layout_, nullptr);
  }
  pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
  pango_layout_set_alignment(layout_, AlignmentOf(format.alignment));
  const bool no_wrap = (format.flags & TextFormat::kNoWrap) != 0;
  const bool has_width = width >= 0 && (!no_wrap || format.ellipsis);
  pango_layout_set_width(layout_, has_width ? width * PANGO_SCALE : -1);
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  // With no wrap an ellipsis cuts each line at the width; with wrapping, the
  // lines that fit the box are kept and the last of them is cut.
  pango_layout_set_ellipsize(layout_, format.ellipsis && has_width ? PANGO_ELLIPSIZE_END
                                                                   : PANGO_ELLIPSIZE_NONE);
  pango_layout_set_height(layout_, -1);
}

void TextLayout::LayOutIn(const UiRect& rect, const std::string& text, HFONT font, bool underline,
                          const TextFormat& format, double* x, double* y) {
  const int width = std::max(0, rect.Width());
  const int height = std::max(0, rect.Height());
  Prepare(text, font, underline, format, width);
  const bool no_wrap = (format.flags & TextFormat::kNoWrap) != 0;
  if (format.ellipsis && !no_wrap) pango_layout_set_height(layout_, height * PANGO_SCALE);

  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout_, nullptr, &logical);
  // A layout without a width is aligned inside the rectangle by moving it.
  *x = rect.left;
  if (pango_layout_get_width(layout_) < 0) {
    if (format.alignment == 1) *x += (width - logical.width) / 2.0;
    if (format.alignment == 2) *x += width - logical.width;
  }
  *y = rect.top;
  if (format.line_alignment == 1) *y += (height - logical.height) / 2.0;
  if (format.line_alignment == 2) *y += height - logical.height;
}

void TextLayout::AppendPath(cairo_t* cr, const UiRect& rect, const std::string& text, HFONT font,
                            const TextFormat& format) {
  double x = 0;
  double y = 0;
  LayOutIn(rect, text, font, false, format, &x, &y);
  cairo_move_to(cr, x, y);
  pango_cairo_layout_path(cr, layout_);
}

void TextLayout::Draw(cairo_t* cr, const UiRect& rect, const std::string& text, HFONT font,
                      bool underline, const TextFormat& format, ARGB color) {
  const int width = std::max(0, rect.Width());
  const int height = std::max(0, rect.Height());
  double x = 0;
  double y = 0;
  LayOutIn(rect, text, font, underline, format, &x, &y);

  if ((format.flags & TextFormat::kNoClip) == 0) {
    cairo_rectangle(cr, rect.left, rect.top, width, height);
    cairo_clip(cr);
  }
  if ((format.flags & TextFormat::kLineLimit) != 0) {
    // Only whole lines: the clip ends below the last line that fits.
    int bottom = 0;
    PangoLayoutIter* iter = pango_layout_get_iter(layout_);
    do {
      PangoRectangle line;
      pango_layout_iter_get_line_extents(iter, nullptr, &line);
      const int line_bottom = PANGO_PIXELS_CEIL(line.y + line.height);
      if (line_bottom > height) break;
      bottom = line_bottom;
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    cairo_rectangle(cr, rect.left, y, width, bottom);
    cairo_clip(cr);
  }
  SetSourceArgb(cr, color);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout_);
}

UiSize TextLayout::Measure(const std::string& text, HFONT font, const TextFormat& format, int width) {
  Prepare(text, font, false, TextFormat{0, 0, format.flags & TextFormat::kNoWrap, false}, width);
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout_, nullptr, &logical);
  int w = logical.width;
  if (width >= 0 && (format.flags & TextFormat::kNoWrap) != 0) w = std::min(w, width);
  return UiSize{w, logical.height};
}

TextFormat TextFormatFromStyle(uint32_t style, bool line_limit) {
  TextFormat format;
  format.ellipsis = (style & DT_END_ELLIPSIS) != 0;
  if (style & DT_NOCLIP) format.flags |= TextFormat::kNoClip;
  if (style & DT_SINGLELINE) format.flags |= TextFormat::kNoWrap;
  if (line_limit) format.flags |= TextFormat::kLineLimit;
  format.alignment = (style & DT_CENTER) ? 1 : (style & DT_RIGHT) ? 2 : 0;
  format.line_alignment = (style & DT_VCENTER) ? 1 : (style & DT_BOTTOM) ? 2 : 0;
  return format;
}

}  // namespace ui
