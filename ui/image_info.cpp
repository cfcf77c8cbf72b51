#include "ui/image_info.h"

#include <cairo.h>

#include <cstring>

#include "platform/image/image_decoder.h"

namespace ui {

ImageInfo::~ImageInfo() {
  for (HBITMAP frame : frames_) cairo_surface_destroy(frame);
}

std::unique_ptr<ImageInfo> ImageInfo::FromBitmap(const platform::DecodedImage& image,
                                                 const std::u16string& file_name) {
  if (image.frames.empty() || image.width <= 0 || image.height <= 0) return nullptr;
  auto info = std::make_unique<ImageInfo>();
  for (const std::vector<uint32_t>& pixels : image.frames) {
    if (pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
      return nullptr;
    }
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(surface);
      return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image.height; ++y) {
      std::memcpy(data + static_cast<size_t>(y) * stride, pixels.data() + static_cast<size_t>(y) * image.width,
                  static_cast<size_t>(image.width) * 4);
    }
    cairo_surface_mark_dirty(surface);
    info->frames_.push_back(surface);
  }
  info->nX = image.width;
  info->nY = image.height;
  info->sImageFullPath = file_name;
  info->bAlphaChannel = image.has_alpha;
  if (image.frames.size() > 1) info->frame_delays_ = image.frame_delays;
  return info;
}

std::unique_ptr<ImageInfo> ImageInfo::FromBytes(std::string_view bytes, const std::u16string& file_name) {
  std::optional<platform::DecodedImage> decoded = platform::DecodeImage(bytes);
  if (!decoded) return nullptr;
  return FromBitmap(*decoded, file_name);
}

HBITMAP ImageInfo::GetHBitmap(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= frames_.size()) return nullptr;
  return frames_[static_cast<size_t>(index)];
}

std::optional<uint32_t> ImageInfo::GetFrameDelay(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= frame_delays_.size()) return std::nullopt;
  return frame_delays_[static_cast<size_t>(index)];
}

std::optional<int> ImageInfo::GetFrameInterval(int index) const {
  const std::optional<uint32_t> delay = GetFrameDelay(index);
  if (!delay) return std::nullopt;
  const int64_t ms = int64_t{*delay} * 10;
  if (ms < 29) return 100;
  if (ms <= 48) return 50;
  return static_cast<int>(ms);
}

}  // namespace ui
