#include "browser/paint_buffer.h"

namespace jov_comp {

void PaintBuffer::Reset() {
  bitmap_.Init(nullptr, 0, 0, true);  // refuses and releases the surface
  dc_ = ui::DcRecord();
  valid_ = false;
}

bool PaintBuffer::Init(int width, int height) {
  Reset();
  width_ = width;
  height_ = height;
  if (!bitmap_.Init(&dc_, width, height, true)) return false;
  bitmap_.Clear();
  dc_.surface = bitmap_.GetBitmap();
  valid_ = true;
  return true;
}

bool PaintBuffer::Write(const std::vector<uint32_t>& pixels, int width, int height) {
  if (!valid_) return false;
  return bitmap_.WritePixels(pixels.data(), width, height, pixels.size());
}

uint32_t PaintBuffer::PixelAt(int x, int y) {
  if (!valid_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const auto* bits = static_cast<const uint32_t*>(bitmap_.GetBits());
  return bits[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

}  // namespace jov_comp
