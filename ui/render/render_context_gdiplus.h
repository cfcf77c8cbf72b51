// The render context: an off-screen premultiplied ARGB32 cairo surface behind
// a DC record, on which every control paints. Blits, fills, shapes and images
// are drawn with cairo, text with pango; each operation makes its own cairo
// context from the DC record and destroys it before returning, so an error in
// one operation never reaches the next.
#ifndef UI_RENDER_RENDER_CONTEXT_GDIPLUS_H_
#define UI_RENDER_RENDER_CONTEXT_GDIPLUS_H_

#include <memory>

#include "ui/render/dc_record.h"
#include "ui/render/gdi_bitmap.h"
#include "ui/render/gdi_clip.h"
#include "ui/render/i_render_context.h"

namespace ui {

class TextLayout;

class RenderContext_GdiPlus final : public IRenderContext {
 public:
  RenderContext_GdiPlus();
  ~RenderContext_GdiPlus() override;
  RenderContext_GdiPlus(const RenderContext_GdiPlus&) = delete;
  RenderContext_GdiPlus& operator=(const RenderContext_GdiPlus&) = delete;

  HDC GetDC() override { return &dc_; }
  bool Resize(int width, int height, bool flip = true) override;
  void Clear() override;
  std::unique_ptr<IRenderContext> Clone() override;
  HBITMAP DetachBitmap() override;
  uint8_t* GetBits() override;
  int GetWidth() override { return bitmap_.GetWidth(); }
  int GetHeight() override { return bitmap_.GetHeight(); }
  void ClearAlpha(const UiRect& rect, int alpha = 0) override;
  void RestoreAlpha(const UiRect& rect, const UiRect& padding, int alpha = 0) override;
  bool IsRenderTransparent() const override { return render_transparent_; }
  bool SetRenderTransparent(bool transparent) override;
  int SaveDC() override;
  void RestoreDC() override;
  UiPoint OffsetWindowOrg(UiPoint offset) override;
  UiPoint SetWindowOrg(UiPoint origin) override;
  UiPoint GetWindowOrg() const override { return dc_.state.window_org; }
  void SetClip(const UiRect& rect) override;
  void SetRoundClip(const UiRect& rect, int width, int height) override;
  void ClearClip() override;
  bool BitBlt(int x, int y, int width, int height, HDC src_dc, int src_x = 0, int src_y = 0,
              uint32_t rop = SRCCOPY) override;
  bool AlphaBlend(int dest_x, int dest_y, int dest_width, int dest_height, HDC src_dc, int src_x,
                  int src_y, int src_width, int src_height, uint8_t alpha = 255) override;
  void DrawBitmap(const UiRect& paint_rect, HBITMAP bitmap, bool alpha_channel, const UiRect& dest,
                  const UiRect& source, const UiRect& corner, uint8_t fade = 255, bool xtiled = false,
                  bool ytiled = false) override;
  void DrawImage(const UiRect& paint_rect, HBITMAP bitmap, const UiRect& dest, const UiRect& source,
                 const UiRect& corner, uint8_t fade = 255, bool xtiled = false,
                 bool ytiled = false) override;
  void DrawNamedColor(const UiRect& rect, const std::u16string& color_name,
                      uint8_t alpha = 255) override;
  using IRenderContext::DrawColor;
  void DrawColor(const UiRect& rect, ARGB color, uint8_t alpha = 255) override;
  void DrawPenLine(const IPen* pen, int x1, int y1, int x2, int y2) override;
  void DrawLine(const UiRect& rect, int width, ARGB color) override;
  void DrawBezier(const IPen* pen, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                  int y4) override;
  void DrawRect(const UiRect& rect, int width, ARGB color) override;
  void DrawRoundRect(const UiRect& rect, const UiSize& round_size, int width, ARGB color) override;
  void DrawText(const UiRect& rect, const std::u16string& text, ARGB color,
                const std::u16string& font_id, uint32_t style, uint8_t alpha = 255,
                bool line_limit = false) override;
  void DrawEffectText(const UiRect& rect, const std::u16string& text, ARGB color,
                      const std::u16string& font_id, uint32_t style, ITextEffect* effect,
                      bool line_limit = false) override;
  void DrawEllipse(const UiRect& rect, int width, ARGB color) override;
  void FillEllipse(const UiRect& rect, ARGB color) override;
  UiRect MeasureText(const std::u16string& text, const std::u16string& font_id, uint32_t style,
                     int width = -1) override;
  void DrawPath(const IPath* path, const IPen* pen) override;
  void FillPath(const IPath* path, const IBrush* brush) override;

 private:
  // The 9-grid draw shared by DrawImage and DrawBitmap; |copy| replaces the
  // destination pixels instead of blending over them.
  void DrawNineGrid(const UiRect& paint_rect, HBITMAP bitmap, const UiRect& dest,
                    const UiRect& source, const UiRect& corner, uint8_t fade, bool xtiled,
                    bool ytiled, bool copy);
  TextLayout& Text();

  DcRecord dc_;
  int saved_dc_ = 0;
  bool render_transparent_ = false;
  GdiClip clip_;
  GdiBitmap bitmap_;
  std::unique_ptr<TextLayout> text_;
};

}  // namespace ui

#endif  // UI_RENDER_RENDER_CONTEXT_GDIPLUS_H_
