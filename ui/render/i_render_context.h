// The surface every control paints on: premultiplied ARGB pixels with blits,
// alpha passes, clipping, 9-grid images, fills, shapes and text.
#ifndef UI_RENDER_I_RENDER_CONTEXT_H_
#define UI_RENDER_I_RENDER_CONTEXT_H_

#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/render/i_brush.h"
#include "ui/render/i_path.h"
#include "ui/render/i_pen.h"
#include "ui/render/i_text_effect.h"
#include "ui/render/render_types.h"

namespace ui {

class IRenderContext : public virtual kbase::SupportWeakCallback {
 public:
  ~IRenderContext() override = default;

  virtual HDC GetDC() = 0;
  // True when new pixels were made; false when the size is unchanged, or for
  // a size that cannot be made (the context then has no pixels).
  virtual bool Resize(int width, int height, bool flip = true) = 0;
  virtual void Clear() = 0;
  virtual std::unique_ptr<IRenderContext> Clone() = 0;
  virtual HBITMAP DetachBitmap() = 0;
  virtual uint8_t* GetBits() = 0;
  virtual int GetWidth() = 0;
  virtual int GetHeight() = 0;
  virtual void ClearAlpha(const UiRect& rect, int alpha = 0) = 0;
  virtual void RestoreAlpha(const UiRect& rect, const UiRect& padding, int alpha = 0) = 0;
  virtual bool IsRenderTransparent() const = 0;
  virtual bool SetRenderTransparent(bool transparent) = 0;
  virtual int SaveDC() = 0;
  virtual void RestoreDC() = 0;
  virtual UiPoint OffsetWindowOrg(UiPoint offset) = 0;
  virtual UiPoint SetWindowOrg(UiPoint origin) = 0;
  virtual UiPoint GetWindowOrg() const = 0;
  virtual void SetClip(const UiRect& rect) = 0;
  virtual void SetRoundClip(const UiRect& rect, int width, int height) = 0;
  virtual void ClearClip() = 0;
  virtual bool BitBlt(int x, int y, int width, int height, HDC src_dc, int src_x = 0, int src_y = 0,
                      uint32_t rop = SRCCOPY) = 0;
  virtual bool AlphaBlend(int dest_x, int dest_y, int dest_width, int dest_height, HDC src_dc,
                          int src_x, int src_y, int src_width, int src_height, uint8_t alpha = 255) = 0;
  virtual void DrawBitmap(const UiRect& paint_rect, HBITMAP bitmap, bool alpha_channel,
                          const UiRect& dest, const UiRect& source, const UiRect& corner,
                          uint8_t fade = 255, bool xtiled = false, bool ytiled = false) = 0;
  virtual void DrawImage(const UiRect& paint_rect, HBITMAP bitmap, const UiRect& dest,
                         const UiRect& source, const UiRect& corner, uint8_t fade = 255,
                         bool xtiled = false, bool ytiled = false) = 0;
  // A colour of the global colour table; an empty name draws nothing.
  virtual void DrawNamedColor(const UiRect& rect, const std::u16string& color_name,
                              uint8_t alpha = 255) = 0;
  virtual void DrawColor(const UiRect& rect, ARGB color, uint8_t alpha = 255) = 0;
  // The named form under the name its callers also use.
  void DrawColor(const UiRect& rect, const std::u16string& color_name, uint8_t alpha = 255) {
    DrawNamedColor(rect, color_name, alpha);
  }
  virtual void DrawPenLine(const IPen* pen, int x1, int y1, int x2, int y2) = 0;
  virtual void DrawLine(const UiRect& rect, int width, ARGB color) = 0;
  virtual void DrawBezier(const IPen* pen, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                          int y4) = 0;
  virtual void DrawRect(const UiRect& rect, int width, ARGB color) = 0;
  virtual void DrawRoundRect(const UiRect& rect, const UiSize& round_size, int width, ARGB color) = 0;
  virtual void DrawText(const UiRect& rect, const std::u16string& text, ARGB color,
                        const std::u16string& font_id, uint32_t style, uint8_t alpha = 255,
                        bool line_limit = false) = 0;
  virtual void DrawEffectText(const UiRect& rect, const std::u16string& text, ARGB color,
                              const std::u16string& font_id, uint32_t style, ITextEffect* effect,
                              bool line_limit = false) = 0;
  virtual void DrawEllipse(const UiRect& rect, int width, ARGB color) = 0;
  virtual void FillEllipse(const UiRect& rect, ARGB color) = 0;
  virtual UiRect MeasureText(const std::u16string& text, const std::u16string& font_id,
                             uint32_t style, int width = -1) = 0;
  virtual void DrawPath(const IPath* path, const IPen* pen) = 0;
  virtual void FillPath(const IPath* path, const IBrush* brush) = 0;
};

}  // namespace ui

#endif  // UI_RENDER_I_RENDER_CONTEXT_H_
