// Pixel copies for presenting premultiplied ARGB32 pictures.
#pragma once

#include <cstdint>

namespace platform {

// Copies width x height pixels; with a constant alpha below 255 every channel
// (alpha included) is scaled by alpha / 255, which keeps the picture
// premultiplied, as a layered window's constant alpha composes over it.
void CopyWithConstantAlpha(const uint32_t* src, int src_stride_bytes, uint32_t* dst, int dst_stride_bytes,
                           int width, int height, uint8_t alpha);

// One pixel scaled by alpha / 255, rounded.
uint32_t ScalePixel(uint32_t pixel, uint8_t alpha);

}  // namespace platform
