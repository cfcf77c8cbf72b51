#include "ui/render/render_context_gdiplus.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "ui/dpi_manager.h"
#include "ui/font_info.h"
#include "ui/global_manager.h"
#include "ui/render/brush_gdiplus.h"
#include "ui/render/nine_grid.h"
#include "ui/render/path_gdiplus.h"
#include "ui/render/pen_gdiplus.h"
#include "ui/render/text_layout.h"
#include "ui/string_util.h"

namespace ui {

namespace {

// Owns the cairo context of one operation.
class ScopedCairo {
 public:
  explicit ScopedCairo(cairo_t* cr) : cr_(cr) {}
  ~ScopedCairo() {
    if (cr_ != nullptr) cairo_destroy(cr_);
  }
  ScopedCairo(const ScopedCairo&) = delete;
  ScopedCairo& operator=(const ScopedCairo&) = delete;
  explicit operator bool() const { return cr_ != nullptr; }
  cairo_t* get() const { return cr_; }

 private:
  cairo_t* cr_;
};

bool IsUsableSurface(HBITMAP surface) {
  return surface != nullptr && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
         cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE;
}

// Draws the source rectangle of the surface onto the destination rectangle.
// A scaled piece is read from a sub-surface whose edges are padded, so
// sampling never pulls in colour from beyond the piece.
void DrawSurfacePiece(cairo_t* cr, HBITMAP surface, const UiRect& source, const UiRect& dest,
                      uint8_t alpha, bool copy) {
  const bool scaled = source.Width() != dest.Width() || source.Height() != dest.Height();
  cairo_save(cr);
  if (copy) cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  if (!scaled) {
    cairo_set_source_surface(cr, surface, dest.left - source.left, dest.top - source.top);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  } else {
    cairo_surface_t* piece = cairo_surface_create_for_rectangle(
        surface, source.left, source.top, source.Width(), source.Height());
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(piece);
    cairo_surface_destroy(piece);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, static_cast<double>(source.Width()) / dest.Width(),
                            static_cast<double>(source.Height()) / dest.Height());
    cairo_matrix_translate(&matrix, -dest.left, -dest.top);
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
  }
  cairo_rectangle(cr, dest.left, dest.top, dest.Width(), dest.Height());
  if (alpha == 255) {
    cairo_fill(cr);
  } else {
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, alpha / 255.0);
  }
  cairo_restore(cr);
}

// Strokes the path that |add_path| makes with the pen, anti-aliased.
template <typename AddPath>
void StrokeWithPen(const DcRecord& dc, const IPen* pen, AddPath add_path) {
  const auto* gdi_pen = dynamic_cast<const Pen_GdiPlus*>(pen);
  ScopedCairo cr(dc.MakeContext());
  if (!cr || gdi_pen == nullptr) return;
  gdi_pen->ApplyTo(cr.get());
  add_path(cr.get());
  cairo_stroke(cr.get());
}

// Strokes the path without anti-aliasing, covering the pixels whose centres
// the pen's centre line runs through, as GDI+ draws them: the path is moved
// by half a pixel onto cairo's pixel centres.
template <typename AddPath>
void StrokeOnPixels(const DcRecord& dc, ARGB color, int width, AddPath add_path) {
  ScopedCairo cr(dc.MakeContext());
  if (!cr) return;
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
  cairo_translate(cr.get(), 0.5, 0.5);
  Pen_GdiPlus(color, width).ApplyTo(cr.get());
  add_path(cr.get());
  cairo_stroke(cr.get());
}

}  // namespace

RenderContext_GdiPlus::RenderContext_GdiPlus() = default;

RenderContext_GdiPlus::~RenderContext_GdiPlus() { dc_.surface = nullptr; }

TextLayout& RenderContext_GdiPlus::Text() {
  if (!text_) text_ = std::make_unique<TextLayout>();
  return *text_;
}

bool RenderContext_GdiPlus::Resize(int width, int height, bool flip) {
  if (width == bitmap_.GetWidth() && height == bitmap_.GetHeight()) return false;
  dc_.surface = nullptr;
  const bool made = bitmap_.Init(&dc_, width, height, flip);
  dc_.surface = bitmap_.GetBitmap();
  return made;
}

void RenderContext_GdiPlus::Clear() { bitmap_.Clear(); }

std::unique_ptr<IRenderContext> RenderContext_GdiPlus::Clone() {
  auto clone = std::make_unique<RenderContext_GdiPlus>();
  if (clone->Resize(GetWidth(), GetHeight(), true)) {
    clone->BitBlt(0, 0, GetWidth(), GetHeight(), &dc_, 0, 0, SRCCOPY);
  }
  return clone;
}

HBITMAP RenderContext_GdiPlus::DetachBitmap() {
  dc_.surface = nullptr;
  return bitmap_.DetachBitmap();
}

uint8_t* RenderContext_GdiPlus::GetBits() { return static_cast<uint8_t*>(bitmap_.GetBits()); }

void RenderContext_GdiPlus::ClearAlpha(const UiRect& rect, int alpha) { bitmap_.ClearAlpha(rect, alpha); }

void RenderContext_GdiPlus::RestoreAlpha(const UiRect& rect, const UiRect& padding, int alpha) {
  bitmap_.RestoreAlpha(rect, padding, alpha);
}

bool RenderContext_GdiPlus::SetRenderTransparent(bool transparent) {
  const bool previous = render_transparent_;
  render_transparent_ = transparent;
  return previous;
}

int RenderContext_GdiPlus::SaveDC() {
  saved_dc_ = dc_.Save();
  return saved_dc_;
}

void RenderContext_GdiPlus::RestoreDC() { dc_.Restore(saved_dc_); }

UiPoint RenderContext_GdiPlus::OffsetWindowOrg(UiPoint offset) {
  const UiPoint previous = dc_.state.window_org;
  dc_.state.window_org = UiPoint{previous.x + offset.x, previous.y + offset.y};
  return previous;
}

UiPoint RenderContext_GdiPlus::SetWindowOrg(UiPoint origin) {
  const UiPoint previous = dc_.state.window_org;
  dc_.state.window_org = origin;
  return previous;
}

void RenderContext_GdiPlus::SetClip(const UiRect& rect) { clip_.CreateClip(&dc_, rect); }

void RenderContext_GdiPlus::SetRoundClip(const UiRect& rect, int width, int height) {
  clip_.CreateRoundClip(&dc_, rect, width, height);
}

void RenderContext_GdiPlus::ClearClip() { clip_.ClearClip(&dc_); }

bool RenderContext_GdiPlus::BitBlt(int x, int y, int width, int height, HDC src_dc, int src_x,
                                   int src_y, uint32_t rop) {
  if (rop != SRCCOPY || src_dc == nullptr || !IsUsableSurface(src_dc->surface)) return false;
  ScopedCairo cr(dc_.MakeContext());
  if (!cr || width <= 0 || height <= 0) return false;
  const UiPoint src_org = src_dc->state.window_org;
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr.get(), src_dc->surface, x - (src_x - src_org.x), y - (src_y - src_org.y));
  cairo_rectangle(cr.get(), x, y, width, height);
  cairo_fill(cr.get());
  return true;
}

bool RenderContext_GdiPlus::AlphaBlend(int dest_x, int dest_y, int dest_width, int dest_height,
                                       HDC src_dc, int src_x, int src_y, int src_width,
                                       int src_height, uint8_t alpha) {
  if (src_dc == nullptr || !IsUsableSurface(src_dc->surface)) return false;
  if (dest_width <= 0 || dest_height <= 0 || src_width <= 0 || src_height <= 0) return false;
  // The source rectangle must lie inside the source surface, as AlphaBlend
  // demands.
  const UiPoint src_org = src_dc->state.window_org;
  const UiRect source{src_x - src_org.x, src_y - src_org.y, src_x - src_org.x + src_width,
                      src_y - src_org.y + src_height};
  const UiRect whole{0, 0, cairo_image_surface_get_width(src_dc->surface),
                     cairo_image_surface_get_height(src_dc->surface)};
  if (IntersectRect(source, whole) != source) return false;
  ScopedCairo cr(dc_.MakeContext());
  if (!cr) return false;
  DrawSurfacePiece(cr.get(), src_dc->surface, source,
                   UiRect{dest_x, dest_y, dest_x + dest_width, dest_y + dest_height}, alpha, false);
  return true;
}

void RenderContext_GdiPlus::DrawNineGrid(const UiRect& paint_rect, HBITMAP bitmap,
                                         const UiRect& dest, const UiRect& source,
                                         const UiRect& corner, uint8_t fade, bool xtiled,
                                         bool ytiled, bool copy) {
  if (!IsUsableSurface(bitmap) || !RectsMeet(dest, paint_rect)) return;
  NineGridInput input;
  input.paint = paint_rect;
  input.dest = dest;
  input.source = source;
  input.corner = corner;
  input.dest_corner = corner;
  DpiManager::GetInstance()->ScaleRect(&input.dest_corner);
  input.image_width = cairo_image_surface_get_width(bitmap);
  input.image_height = cairo_image_surface_get_height(bitmap);
  input.xtiled = xtiled;
  input.ytiled = ytiled;
  const std::vector<NineGridPiece> pieces = ComputeNineGrid(input);
  if (pieces.empty()) return;
  ScopedCairo cr(dc_.MakeContext());
  if (!cr) return;
  for (const NineGridPiece& piece : pieces) {
    DrawSurfacePiece(cr.get(), bitmap, piece.source, piece.dest, fade, copy);
  }
}

void RenderContext_GdiPlus::DrawImage(const UiRect& paint_rect, HBITMAP bitmap, const UiRect& dest,
                                      const UiRect& source, const UiRect& corner, uint8_t fade,
                                      bool xtiled, bool ytiled) {
  DrawNineGrid(paint_rect, bitmap, dest, source, corner, fade, xtiled, ytiled, false);
}

void RenderContext_GdiPlus::DrawBitmap(const UiRect& paint_rect, HBITMAP bitmap, bool alpha_channel,
                                       const UiRect& dest, const UiRect& source,
                                       const UiRect& corner, uint8_t fade, bool xtiled,
                                       bool ytiled) {
  // An opaque bitmap drawn at full strength replaces the pixels it covers
  // (the stretched copy); everything else blends over them.
  const bool copy = !render_transparent_ && !alpha_channel && fade == 255;
  DrawNineGrid(paint_rect, bitmap, dest, source, corner, fade, xtiled, ytiled, copy);
}

void RenderContext_GdiPlus::DrawNamedColor(const UiRect& rect, const std::u16string& color_name,
                                           uint8_t alpha) {
  if (color_name.empty()) return;
  DrawColor(rect, GlobalManager::GetTextColor(color_name), alpha);
}

void RenderContext_GdiPlus::DrawColor(const UiRect& rect, ARGB color, uint8_t alpha) {
  if (alpha != 255) {
    const uint32_t a = static_cast<uint32_t>((color >> 24) * alpha / 255.0);
    color = (a << 24) | (color & 0x00FFFFFF);
  }
  ScopedCairo cr(dc_.MakeContext());
  if (!cr || rect.IsEmpty()) return;
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
  SetSourceArgb(cr.get(), color);
  cairo_rectangle(cr.get(), rect.left, rect.top, rect.Width(), rect.Height());
  cairo_fill(cr.get());
}

void RenderContext_GdiPlus::DrawPenLine(const IPen* pen, int x1, int y1, int x2, int y2) {
  StrokeWithPen(dc_, pen, [&](cairo_t* cr) {
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
  });
}

void RenderContext_GdiPlus::DrawLine(const UiRect& rect, int width, ARGB color) {
  StrokeOnPixels(dc_, color, width, [&](cairo_t* cr) {
    cairo_move_to(cr, rect.left, rect.top);
    cairo_line_to(cr, rect.right, rect.bottom);
  });
}

void RenderContext_GdiPlus::DrawBezier(const IPen* pen, int x1, int y1, int x2, int y2, int x3,
                                       int y3, int x4, int y4) {
  StrokeWithPen(dc_, pen, [&](cairo_t* cr) {
    cairo_move_to(cr, x1, y1);
    cairo_curve_to(cr, x2, y2, x3, y3, x4, y4);
  });
}

void RenderContext_GdiPlus::DrawRect(const UiRect& rect, int width, ARGB color) {
  StrokeOnPixels(dc_, color, width, [&](cairo_t* cr) {
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
  });
}

void RenderContext_GdiPlus::DrawRoundRect(const UiRect& rect, const UiSize& round_size, int width,
                                          ARGB color) {
  const int cx = round_size.cx;
  const int cy = round_size.cy;
  Path_Gdiplus path;
  path.AddArc(rect.left, rect.top, cx, cy, 180, 90);
  path.AddLine(rect.left + cx, rect.top, rect.right - cx, rect.top);
  path.AddArc(rect.right - cx, rect.top, cx, cy, 270, 90);
  path.AddLine(rect.right, rect.top + cy, rect.right, rect.bottom - cy);
  path.AddArc(rect.right - cx, rect.bottom - cy, cx, cy, 0, 90);
  path.AddLine(rect.right - cx, rect.bottom, rect.left + cx, rect.bottom);
  path.AddArc(rect.left, rect.bottom - cy, cx, cy, 90, 90);
  path.AddLine(rect.left, rect.bottom - cy, rect.left, rect.top + cy);
  path.CloseFigure();
  const Pen_GdiPlus pen(color, width);
  DrawPath(&path, &pen);
}

void RenderContext_GdiPlus::DrawEllipse(const UiRect& rect, int width, ARGB color) {
  Path_Gdiplus path;
  path.AddEllipse(rect);
  const Pen_GdiPlus pen(color, width);
  DrawPath(&path, &pen);
}

void RenderContext_GdiPlus::FillEllipse(const UiRect& rect, ARGB color) {
  Path_Gdiplus path;
  path.AddEllipse(rect);
  const Brush_Gdiplus brush(color);
  FillPath(&path, &brush);
}

void RenderContext_GdiPlus::DrawPath(const IPath* path, const IPen* pen) {
  const auto* gdi_path = dynamic_cast<const Path_Gdiplus*>(path);
  const auto* gdi_pen = dynamic_cast<const Pen_GdiPlus*>(pen);
  ScopedCairo cr(dc_.MakeContext());
  if (!cr || gdi_path == nullptr || gdi_pen == nullptr) return;
  gdi_path->AppendTo(cr.get());
  gdi_pen->ApplyTo(cr.get());
  cairo_stroke(cr.get());
}

void RenderContext_GdiPlus::FillPath(const IPath* path, const IBrush* brush) {
  const auto* gdi_path = dynamic_cast<const Path_Gdiplus*>(path);
  const auto* gdi_brush = dynamic_cast<const Brush_Gdiplus*>(brush);
  ScopedCairo cr(dc_.MakeContext());
  if (!cr || gdi_path == nullptr || gdi_brush == nullptr) return;
  gdi_path->AppendTo(cr.get());
  if (gdi_brush->ApplyTo(cr.get())) cairo_fill(cr.get());
}

void RenderContext_GdiPlus::DrawText(const UiRect& rect, const std::u16string& text, ARGB color,
                                     const std::u16string& font_id, uint32_t style, uint8_t alpha,
                                     bool line_limit) {
  if (text.empty()) return;
  const FontInfo* font = GlobalManager::GetFont(font_id);
  if (font == nullptr || font->hFont == nullptr) return;
  // The brush is never fully opaque: its alpha is at most 254.
  uint32_t a = static_cast<uint32_t>((color >> 24) * alpha / 255.0);
  if (a == 255) a = 254;
  ScopedCairo cr(dc_.MakeContext());
  if (!cr) return;
  Text().Draw(cr.get(), rect, Utf16ToUtf8(text), font->hFont, font->bUnderline,
              TextFormatFromStyle(style, line_limit),
              (a << 24) | (color & 0x00FFFFFF));
}

void RenderContext_GdiPlus::DrawEffectText(const UiRect& rect, const std::u16string& text,
                                           ARGB color, const std::u16string& font_id,
                                           uint32_t style, ITextEffect* effect, bool line_limit) {
  if (text.empty() || effect == nullptr) return;
  const FontInfo* font = GlobalManager::GetFont(font_id);
  if (font == nullptr || font->hFont == nullptr) return;
  ScopedCairo cr(dc_.MakeContext());
  if (!cr) return;
  effect->DrawText(rect, text, color, cr.get(), font->hFont, TextFormatFromStyle(style, line_limit));
}

UiRect RenderContext_GdiPlus::MeasureText(const std::u16string& text, const std::u16string& font_id,
                                          uint32_t style, int width) {
  const FontInfo* font = GlobalManager::GetFont(font_id);
  if (font == nullptr || font->hFont == nullptr) return UiRect{};
  TextFormat format;
  if (style & DT_SINGLELINE) format.flags = TextFormat::kNoWrap;
  UiSize size = Text().Measure(Utf16ToUtf8(text), font->hFont, format, width);
  if ((style & DT_SINGLELINE) && width != -1) {
    // A single line measured in a width is boxed to the height of a sample
    // of two CJK characters.
    const UiSize sample = Text().Measure("\xE6\xB5\x8B\xE8\xAF\x95", font->hFont, format, -1);
    size.cy = std::min(size.cy, sample.cy);
  }
  return UiRect{0, 0, size.cx + 1, size.cy + 1};
}

}  // namespace ui
