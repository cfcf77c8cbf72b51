// A 32-bit pixel surface: premultiplied ARGB, 4 bytes a pixel in B G R A
// order, rows top down.
#ifndef UI_RENDER_I_BITMAP_H_
#define UI_RENDER_I_BITMAP_H_

#include "base/callback/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class IBitmap : public virtual kbase::SupportWeakCallback {
 public:
  ~IBitmap() override = default;
  // Makes new pixels of the size (the old ones are freed first); false, and
  // no pixels, for a size of 0 or less, one beyond the surface bounds, or when
  // the surface cannot be made.
  virtual bool Init(HDC dc, int width, int height, bool flip) = 0;
  virtual void Clear() = 0;
  // Hands the surface to the caller, who then owns it (one reference).
  virtual HBITMAP DetachBitmap() = 0;
  virtual HBITMAP GetBitmap() = 0;
  virtual void* GetBits() = 0;
  virtual int GetWidth() = 0;
  virtual int GetHeight() = 0;
  virtual void ClearAlpha(const UiRect& rect, int alpha) = 0;
  virtual void RestoreAlpha(const UiRect& rect, const UiRect& padding, int alpha) = 0;
};

}  // namespace ui

#endif  // UI_RENDER_I_BITMAP_H_
