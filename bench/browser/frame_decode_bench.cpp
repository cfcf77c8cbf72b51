// The web view's picture path off the engine: decoding a screencast picture
// (PNG for transparent pages, JPEG for opaque ones) into premultiplied
// ARGB32, copying it into the view's paint buffer on the UI thread, and one
// picture through the decoder thread to its delivery. Sizes are the main
// window's web view (490x305) and the whole window (1340x750); a view that
// keeps up with 50 frames a second has 20 ms for all of it.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include <benchmark/benchmark.h>

#include "browser/frame_decoder.h"
#include "browser/paint_buffer.h"

namespace {

using jov_comp::FrameDecoder;
using jov_comp::PaintBuffer;

// A page-like picture: soft gradients with sharp-edged blocks of text-like
// stripes, so the encoders have both flat and busy areas to work on.
std::string EncodedPicture(int width, int height, const char* format) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      guchar* p = pixels + y * stride + x * 4;
      const bool stripe = (y / 4) % 3 == 0 && (x / 60) % 2 == 0 && (x * 7 + y * 13) % 5 != 0;
      p[0] = stripe ? 20 : static_cast<guchar>(x * 255 / width);
      p[1] = stripe ? 20 : static_cast<guchar>(y * 255 / height);
      p[2] = stripe ? 30 : 160;
      p[3] = 255;
    }
  }
  gchar* buffer = nullptr;
  gsize size = 0;
  const bool saved = std::string(format) == "jpeg"
                         ? gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "jpeg", nullptr, "quality", "90", nullptr)
                         : gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "png", nullptr, nullptr);
  std::string bytes = saved ? std::string(buffer, size) : std::string();
  g_free(buffer);
  g_object_unref(pixbuf);
  return bytes;
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({490, 305})->Args({1340, 750})->Unit(benchmark::kMicrosecond);
}

void DecodeBench(benchmark::State& state, const char* format) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const std::string encoded = EncodedPicture(width, height, format);
  if (encoded.empty()) {
    state.SkipWithError("the picture could not be encoded");
    return;
  }
  for (auto _ : state) {
    auto picture = FrameDecoder::DecodePicture(encoded);
    if (!picture) {
      state.SkipWithError("the picture did not decode");
      return;
    }
    benchmark::DoNotOptimize(picture->pixels.data());
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["encoded_kB"] = static_cast<double>(encoded.size()) / 1024.0;
}

void BM_DecodePng(benchmark::State& state) { DecodeBench(state, "png"); }
void BM_DecodeJpeg(benchmark::State& state) { DecodeBench(state, "jpeg"); }
BENCHMARK(BM_DecodePng)->Apply(Sizes);
BENCHMARK(BM_DecodeJpeg)->Apply(Sizes);

// The UI thread's share of a frame: the decoded pixels into the buffer the
// control paints from.
void BM_PaintBufferWrite(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  auto picture = FrameDecoder::DecodePicture(EncodedPicture(width, height, "png"));
  PaintBuffer buffer;
  if (!picture || !buffer.Init(width, height)) {
    state.SkipWithError("no picture or no buffer");
    return;
  }
  for (auto _ : state) {
    if (!buffer.Write(picture->pixels, width, height)) {
      state.SkipWithError("the write was refused");
      return;
    }
    benchmark::DoNotOptimize(buffer.PixelAt(width / 2, height / 2));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * height * 4);
}
BENCHMARK(BM_PaintBufferWrite)->Apply(Sizes);

// A picture handed to the decoder thread until it is delivered: decoding
// plus the hand-over between threads.
void BM_DecoderThreadRoundTrip(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const std::string encoded = EncodedPicture(width, height, "jpeg");
  std::mutex lock;
  std::condition_variable delivered;
  uint64_t count = 0;
  FrameDecoder decoder([&](FrameDecoder::Picture picture) {
    benchmark::DoNotOptimize(picture.pixels.data());
    std::lock_guard<std::mutex> guard(lock);
    ++count;
    delivered.notify_one();
  });
  uint64_t expected = 0;
  for (auto _ : state) {
    decoder.Decode(encoded);
    ++expected;
    std::unique_lock<std::mutex> guard(lock);
    delivered.wait(guard, [&] { return count == expected || decoder.failures() > 0; });
    if (decoder.failures() > 0) {
      state.SkipWithError("the picture did not decode");
      return;
    }
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecoderThreadRoundTrip)->Apply(Sizes)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
