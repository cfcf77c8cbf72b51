// The pixel surface of a render context: one cairo ARGB32 image surface.
// cairo image surfaces are always top down, so the flip argument changes
// nothing; every caller asks for top-down rows.
#ifndef UI_RENDER_GDI_BITMAP_H_
#define UI_RENDER_GDI_BITMAP_H_

#include "ui/render/i_bitmap.h"

namespace ui {

class GdiBitmap final : public IBitmap {
 public:
  // Largest side and largest pixel size a surface is made with.
  static constexpr int kMaxSide = 16384;
  static constexpr int64_t kMaxBytes = int64_t{512} << 20;

  GdiBitmap() = default;
  ~GdiBitmap() override;
  GdiBitmap(const GdiBitmap&) = delete;
  GdiBitmap& operator=(const GdiBitmap&) = delete;

  bool Init(HDC dc, int width, int height, bool flip) override;
  void Clear() override;
  HBITMAP DetachBitmap() override;
  HBITMAP GetBitmap() override { return bitmap_; }
  void* GetBits() override { return bits_; }
  int GetWidth() override { return width_; }
  int GetHeight() override { return height_; }
  // Replaces every pixel with |pixels| (premultiplied ARGB32, rows top down
  // without gaps). False, changing nothing, unless the picture has exactly
  // the surface's size.
  bool WritePixels(const uint32_t* pixels, int width, int height, size_t pixel_count);
  void ClearAlpha(const UiRect& rect, int alpha) override;
  void RestoreAlpha(const UiRect& rect, const UiRect& padding, int alpha) override;

 private:
  void Release();
  // The rectangle cut to the surface; empty without pixels.
  UiRect CutToSurface(const UiRect& rect) const;

  HBITMAP bitmap_ = nullptr;
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace ui

#endif  // UI_RENDER_GDI_BITMAP_H_
