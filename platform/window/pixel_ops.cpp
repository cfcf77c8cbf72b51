#include "platform/window/pixel_ops.h"

#include <cstring>

namespace platform {

namespace {

inline uint32_t ScaleChannel(uint32_t c, uint32_t alpha) {
  // Exact rounding of c * alpha / 255 without a division.
  const uint32_t t = c * alpha + 128;
  return (t + (t >> 8)) >> 8;
}

}  // namespace

uint32_t ScalePixel(uint32_t pixel, uint8_t alpha) {
  const uint32_t a = ScaleChannel(pixel >> 24, alpha);
  const uint32_t r = ScaleChannel((pixel >> 16) & 0xFF, alpha);
  const uint32_t g = ScaleChannel((pixel >> 8) & 0xFF, alpha);
  const uint32_t b = ScaleChannel(pixel & 0xFF, alpha);
  return (a << 24) | (r << 16) | (g << 8) | b;
}

void CopyWithConstantAlpha(const uint32_t* src, int src_stride_bytes, uint32_t* dst, int dst_stride_bytes,
                           int width, int height, uint8_t alpha) {
  const auto* src_bytes = reinterpret_cast<const uint8_t*>(src);
  auto* dst_bytes = reinterpret_cast<uint8_t*>(dst);
  for (int y = 0; y < height; ++y) {
    const auto* s = reinterpret_cast<const uint32_t*>(src_bytes + static_cast<size_t>(y) * src_stride_bytes);
    auto* d = reinterpret_cast<uint32_t*>(dst_bytes + static_cast<size_t>(y) * dst_stride_bytes);
    if (alpha == 255) {
      std::memcpy(d, s, static_cast<size_t>(width) * 4);
    } else {
      for (int x = 0; x < width; ++x) d[x] = ScalePixel(s[x], alpha);
    }
  }
}

}  // namespace platform
