#include "platform/image/image_decoder.h"

#include <algorithm>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>

#include "platform/image/gif_frame_table.h"

namespace platform {

namespace {

struct LoaderState {
  const ImageDecodeLimits* limits = nullptr;
  size_t frame_count = 1;
  bool refused = false;
};

bool WithinLimits(const ImageDecodeLimits& limits, int width, int height, size_t frames) {
  if (width <= 0 || height <= 0 || width > limits.max_side || height > limits.max_side) return false;
  if (frames == 0 || frames > limits.max_frames) return false;
  const uint64_t frame_bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
  return frame_bytes * frames <= limits.max_decoded_bytes;
}

// Runs before the loader allocates its pixels: a size beyond the limits
// becomes 0 x 0, which makes every gdk-pixbuf loader stop with an error.
void OnSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer data) {
  auto* state = static_cast<LoaderState*>(data);
  if (!WithinLimits(*state->limits, width, height, state->frame_count)) {
    state->refused = true;
    gdk_pixbuf_loader_set_size(loader, 0, 0);
  }
}

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using LoaderPtr = std::unique_ptr<GdkPixbufLoader, GObjectUnref>;
using IterPtr = std::unique_ptr<GdkPixbufAnimationIter, GObjectUnref>;

uint8_t Premultiply(uint8_t colour, uint8_t alpha) {
  return static_cast<uint8_t>((colour * alpha + 127) / 255);
}

// Copies a pixbuf of the image's size into premultiplied ARGB32; false for a
// pixbuf of another size or layout.
bool CopyFrame(const GdkPixbuf* pixbuf, int width, int height, std::vector<uint32_t>* out,
               bool* has_alpha, bool premultiplied = false) {
  if (gdk_pixbuf_get_width(pixbuf) != width || gdk_pixbuf_get_height(pixbuf) != height ||
      gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB ||
      gdk_pixbuf_get_bits_per_sample(pixbuf) != 8) {
    return false;
  }
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
  if (channels != (alpha ? 4 : 3)) return false;
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf);
  out->resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  uint32_t* dst = out->data();
  for (int y = 0; y < height; ++y) {
    const guint8* row = pixels + static_cast<ptrdiff_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      const guint8* p = row + x * channels;
      const uint8_t a = alpha ? p[3] : 255;
      if (a != 255) *has_alpha = true;
      if (premultiplied) {
        *dst++ = (uint32_t{a} << 24) | (uint32_t{std::min(p[0], a)} << 16) |
                 (uint32_t{std::min(p[1], a)} << 8) | std::min(p[2], a);
        continue;
      }
      *dst++ = (uint32_t{a} << 24) | (uint32_t{Premultiply(p[0], a)} << 16) |
               (uint32_t{Premultiply(p[1], a)} << 8) | Premultiply(p[2], a);
    }
  }
  return true;
}

// The frames of an animation, each as shown at the moment the previous
// ones' delays have passed.
bool CopyAnimationFrames(GdkPixbufAnimation* animation, size_t frame_count, DecodedImage* image) {
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GTimeVal time = {0, 0};
  IterPtr iter(gdk_pixbuf_animation_get_iter(animation, &time));
  for (size_t i = 0; i < frame_count; ++i) {
    std::vector<uint32_t> frame;
    if (!CopyFrame(gdk_pixbuf_animation_iter_get_pixbuf(iter.get()), image->width, image->height,
                   &frame, &image->has_alpha)) {
      return false;
    }
    image->frames.push_back(std::move(frame));
    const int delay_ms = gdk_pixbuf_animation_iter_get_delay_time(iter.get());
    if (delay_ms < 0) break;  // the animation stops on this frame
    g_time_val_add(&time, static_cast<glong>(delay_ms) * 1000);
    gdk_pixbuf_animation_iter_advance(iter.get(), &time);
  }
  G_GNUC_END_IGNORE_DEPRECATIONS
  return !image->frames.empty();
}

}  // namespace

std::optional<DecodedImage> DecodeImage(std::string_view bytes, const ImageDecodeLimits& limits) {
  if (bytes.empty() || bytes.size() > limits.max_input_bytes) return std::nullopt;

  std::vector<uint32_t> gif_delays;
  if (std::optional<std::vector<uint32_t>> delays = ReadGifFrameDelays(bytes)) gif_delays = *delays;

  LoaderState state;
  state.limits = &limits;
  state.frame_count = gif_delays.empty() ? 1 : gif_delays.size();
  if (state.frame_count > limits.max_frames) return std::nullopt;

  LoaderPtr loader(gdk_pixbuf_loader_new());
  g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(OnSizePrepared), &state);
  GError* error = nullptr;
  const bool written = gdk_pixbuf_loader_write(
      loader.get(), reinterpret_cast<const guchar*>(bytes.data()), bytes.size(), &error);
  g_clear_error(&error);
  // Close is called in every case: it ends the loader's work either way.
  const bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
  g_clear_error(&error);
  if (!written || !closed || state.refused) return std::nullopt;

  GdkPixbufAnimation* animation = gdk_pixbuf_loader_get_animation(loader.get());
  if (animation == nullptr) return std::nullopt;
  DecodedImage image;
  image.width = gdk_pixbuf_animation_get_width(animation);
  image.height = gdk_pixbuf_animation_get_height(animation);
  if (!WithinLimits(limits, image.width, image.height, state.frame_count)) return std::nullopt;

  if (gdk_pixbuf_animation_is_static_image(animation) || state.frame_count < 2) {
    GdkPixbuf* pixbuf = gdk_pixbuf_animation_get_static_image(animation);
    std::vector<uint32_t> frame;
    if (pixbuf == nullptr || !CopyFrame(pixbuf, image.width, image.height, &frame, &image.has_alpha,
                                        limits.colours_premultiplied)) {
      return std::nullopt;
    }
    image.frames.push_back(std::move(frame));
    return image;
  }
  if (!CopyAnimationFrames(animation, state.frame_count, &image)) return std::nullopt;
  if (image.frames.size() > 1) {
    gif_delays.resize(image.frames.size());
    image.frame_delays = gif_delays;
  }
  return image;
}

}  // namespace platform
