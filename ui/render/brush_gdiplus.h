// A fill: a solid colour, or a bitmap tiled over the plane.
#ifndef UI_RENDER_BRUSH_GDIPLUS_H_
#define UI_RENDER_BRUSH_GDIPLUS_H_

#include "ui/render/i_brush.h"

namespace ui {

class Brush_Gdiplus final : public IBrush {
 public:
  explicit Brush_Gdiplus(ARGB color);
  // A tiled brush of the bitmap's pixels (a copy; the bitmap stays the
  // caller's). A null or unusable bitmap gives a brush that fills nothing.
  explicit Brush_Gdiplus(HBITMAP bitmap);
  ~Brush_Gdiplus() override;
  Brush_Gdiplus(const Brush_Gdiplus&) = delete;
  Brush_Gdiplus& operator=(const Brush_Gdiplus&) = delete;

  std::unique_ptr<IBrush> Clone() override;
  ARGB GetColor() override { return color_; }
  IBitmap* GetBitmap() override { return bitmap_.get(); }

  // Sets the context's source to the brush; false when it fills nothing.
  bool ApplyTo(_cairo* cr) const;

 private:
  Brush_Gdiplus() = default;

  ARGB color_ = 0;
  bool solid_ = false;
  HBITMAP texture_ = nullptr;  // owned
};

}  // namespace ui

#endif  // UI_RENDER_BRUSH_GDIPLUS_H_
