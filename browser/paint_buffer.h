#pragma once
// The last picture of a browser view, kept as a render surface with a DC
// record of its own, so the control paints it with one BitBlt. The surface is
// reused while the picture's size stays the same.

#include <cstdint>
#include <vector>

#include "ui/render/dc_record.h"
#include "ui/render/gdi_bitmap.h"

namespace jov_comp {

class PaintBuffer {
 public:
  // Releases the surface; the last width and height stay known.
  void Reset();
  // A cleared surface of the size; false, with nothing made, for an empty or
  // oversized one.
  bool Init(int width, int height);
  // Copies a picture of exactly the buffer's size; false, copying nothing,
  // for any other size or a buffer without a surface.
  bool Write(const std::vector<uint32_t>& pixels, int width, int height);

  bool valid() const { return valid_; }
  int width() const { return width_; }
  int height() const { return height_; }
  ui::HDC dc() { return valid_ ? &dc_ : nullptr; }
  // The premultiplied pixel at (x, y), 0 outside or without a surface.
  uint32_t PixelAt(int x, int y);

 private:
  ui::GdiBitmap bitmap_;
  ui::DcRecord dc_;
  int width_ = 0;
  int height_ = 0;
  bool valid_ = false;
};

}  // namespace jov_comp
