#include "platform/window/pixel_ops.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

namespace {

inline uint32_t ScaleChannel(uint32_t c, uint32_t alpha) {
  // Exact rounding of c * alpha / 255 without a division.
  const uint32_t t = c * alpha + 128;
  return (t + (t >> 8)) >> 8;
}

// ScaleChannel on two channels at once, each in its own 16-bit lane of
// 0x00XX00XX: c * alpha + 128 stays below 2^16, so no lane carries into the
// next.
inline uint32_t ScaleTwoChannels(uint32_t lanes, uint32_t alpha) {
  const uint32_t t = lanes * alpha + 0x00800080u;
  return ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

inline uint32_t ScalePixelPacked(uint32_t pixel, uint32_t alpha) {
  const uint32_t rb = ScaleTwoChannels(pixel & 0x00FF00FFu, alpha);
  const uint32_t ag = ScaleTwoChannels((pixel >> 8) & 0x00FF00FFu, alpha);
  return rb | (ag << 8);
}

#if defined(__SSE2__)
// Eight channels of 16 bits scaled as ScaleChannel does.
inline __m128i ScaleLanes(__m128i c, __m128i alpha, __m128i half) {
  const __m128i t = _mm_add_epi16(_mm_mullo_epi16(c, alpha), half);
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Four pixels at a time; returns how many pixels it did.
int ScaleRowVector(const uint32_t* s, uint32_t* d, int width, uint8_t alpha) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i a = _mm_set1_epi16(alpha);
  const __m128i half = _mm_set1_epi16(128);
  int x = 0;
  for (; x + 4 <= width; x += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
    const __m128i lo = ScaleLanes(_mm_unpacklo_epi8(p, zero), a, half);
    const __m128i hi = ScaleLanes(_mm_unpackhi_epi8(p, zero), a, half);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_packus_epi16(lo, hi));
  }
  return x;
}
#else
int ScaleRowVector(const uint32_t*, uint32_t*, int, uint8_t) { return 0; }
#endif

void ScaleRow(const uint32_t* s, uint32_t* d, int width, uint8_t alpha) {
  for (int x = ScaleRowVector(s, d, width, alpha); x < width; ++x) d[x] = ScalePixelPacked(s[x], alpha);
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
      ScaleRow(s, d, width, alpha);
    }
  }
}

}  // namespace platform
