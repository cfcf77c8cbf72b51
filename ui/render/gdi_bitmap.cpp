#include "ui/render/gdi_bitmap.h"

#include <cairo.h>

#include <cstring>

namespace ui {

GdiBitmap::~GdiBitmap() { Release(); }

void GdiBitmap::Release() {
  if (bitmap_ != nullptr) cairo_surface_destroy(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = 0;
  height_ = 0;
}

bool GdiBitmap::Init(HDC dc, int width, int height, bool /*flip*/) {
  Release();
  if (dc == nullptr || width <= 0 || height <= 0) return false;
  // The pixel size is computed in 64 bits and bounded before cairo is asked:
  // cairo answers a size it cannot make with an error surface, not null.
  if (width > kMaxSide || height > kMaxSide ||
      int64_t{width} * int64_t{height} * 4 > kMaxBytes) {
    return false;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return false;
  }
  bitmap_ = surface;
  bits_ = cairo_image_surface_get_data(surface);
  width_ = width;
  height_ = height;
  return true;
}

void GdiBitmap::Clear() {
  if (bitmap_ == nullptr) return;
  cairo_surface_flush(bitmap_);
  std::memset(bits_, 0, static_cast<size_t>(cairo_image_surface_get_stride(bitmap_)) * height_);
  cairo_surface_mark_dirty(bitmap_);
}

bool GdiBitmap::WritePixels(const uint32_t* pixels, int width, int height, size_t pixel_count) {
  if (bitmap_ == nullptr || pixels == nullptr || width != width_ || height != height_ ||
      pixel_count != static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return false;
  }
  cairo_surface_flush(bitmap_);
  const int stride = cairo_image_surface_get_stride(bitmap_);
  auto* base = static_cast<uint8_t*>(bits_);
  for (int y = 0; y < height; ++y) {
    std::memcpy(base + static_cast<size_t>(y) * stride, pixels + static_cast<size_t>(y) * width,
                static_cast<size_t>(width) * 4);
  }
  cairo_surface_mark_dirty(bitmap_);
  return true;
}

HBITMAP GdiBitmap::DetachBitmap() {
  HBITMAP bitmap = bitmap_;
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = 0;
  height_ = 0;
  return bitmap;
}

UiRect GdiBitmap::CutToSurface(const UiRect& rect) const {
  if (bitmap_ == nullptr) return UiRect{};
  return IntersectRect(rect, UiRect{0, 0, width_, height_});
}

void GdiBitmap::ClearAlpha(const UiRect& rect, int alpha) {
  const UiRect cut = CutToSurface(rect);
  if (cut.IsEmpty()) return;
  cairo_surface_flush(bitmap_);
  const int stride = cairo_image_surface_get_stride(bitmap_);
  auto* base = static_cast<uint8_t*>(bits_);
  for (int y = cut.top; y < cut.bottom; ++y) {
    std::memset(base + static_cast<size_t>(y) * stride + static_cast<size_t>(cut.left) * 4,
                alpha & 0xFF, static_cast<size_t>(cut.Width()) * 4);
  }
  cairo_surface_mark_dirty(bitmap_);
}

void GdiBitmap::RestoreAlpha(const UiRect& rect, const UiRect& padding, int alpha) {
  const UiRect cut = CutToSurface(rect);
  if (cut.IsEmpty()) return;
  cairo_surface_flush(bitmap_);
  const int stride = cairo_image_surface_get_stride(bitmap_);
  const uint32_t key = static_cast<uint32_t>(alpha & 0xFF);
  for (int y = cut.top; y < cut.bottom; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(bits_) + static_cast<size_t>(y) * stride);
    const bool row_in_band = y >= padding.top && y < height_ - padding.bottom;
    for (int x = cut.left; x < cut.right; ++x) {
      if (!row_in_band && !(x >= padding.left && x < width_ - padding.right)) continue;
      uint32_t& pixel = row[x];
      if (key != 0 && (pixel >> 24) == key) {
        // Transparent with its colour cleared too: a pixel of alpha 0 keeps
        // no colour in premultiplied form.
        pixel = 0;
      } else {
        pixel |= 0xFF000000u;
      }
    }
  }
  cairo_surface_mark_dirty(bitmap_);
}

}  // namespace ui
