#include "browser/frame_decoder.h"

#include <utility>

#include "platform/image/image_decoder.h"

namespace jov_comp {

namespace {

// A view is never larger than a screen; anything beyond is refused unread.
platform::ImageDecodeLimits PictureLimits() {
  platform::ImageDecodeLimits limits;
  limits.max_input_bytes = 48ull << 20;
  limits.max_side = 8192;
  limits.max_frames = 1;
  limits.max_decoded_bytes = 8192ull * 8192ull * 4ull;
  // The engine writes its premultiplied pixels into the PNG as they are.
  limits.colours_premultiplied = true;
  return limits;
}

}  // namespace

FrameDecoder::FrameDecoder(Deliver deliver) : deliver_(std::move(deliver)) {}

FrameDecoder::~FrameDecoder() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
    waiting_.reset();
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void FrameDecoder::Decode(std::string encoded) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) return;
    waiting_ = std::move(encoded);
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  }
  wake_.notify_one();
}

size_t FrameDecoder::failures() const {
  std::lock_guard<std::mutex> guard(lock_);
  return failures_;
}

std::optional<FrameDecoder::Picture> FrameDecoder::DecodePicture(const std::string& encoded) {
  std::optional<platform::DecodedImage> image = platform::DecodeImage(encoded, PictureLimits());
  if (!image || image->frames.size() != 1) return std::nullopt;
  Picture picture;
  picture.width = image->width;
  picture.height = image->height;
  picture.pixels = std::move(image->frames.front());
  return picture;
}

void FrameDecoder::Run() {
  for (;;) {
    std::string encoded;
    {
      std::unique_lock<std::mutex> guard(lock_);
      wake_.wait(guard, [this] { return stopping_ || waiting_.has_value(); });
      if (stopping_) return;
      encoded = std::move(*waiting_);
      waiting_.reset();
    }
    std::optional<Picture> picture = DecodePicture(encoded);
    if (!picture) {
      std::lock_guard<std::mutex> guard(lock_);
      ++failures_;
      continue;
    }
    deliver_(std::move(*picture));
  }
}

}  // namespace jov_comp
