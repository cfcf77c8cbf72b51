#pragma once
// Turns the engine's pictures (PNG or JPEG bytes) into premultiplied ARGB32
// pixels on a thread of its own, so the UI thread only copies them. Only the
// newest picture matters: one that arrives while another waits replaces it.
// Decoded pictures are handed to the delivery closure on the decoder thread;
// the closure posts them where they are used.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace jov_comp {

class FrameDecoder {
 public:
  struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height, rows top down
  };
  using Deliver = std::function<void(Picture picture)>;

  explicit FrameDecoder(Deliver deliver);
  // Waits for a decode in progress; a waiting picture is dropped.
  ~FrameDecoder();
  FrameDecoder(const FrameDecoder&) = delete;
  FrameDecoder& operator=(const FrameDecoder&) = delete;

  // Queues |encoded| for decoding (any thread); starts the thread on first use.
  void Decode(std::string encoded);
  // Pictures that were not whole images of a known format.
  size_t failures() const;

  // The decoding itself, for callers that want it in place.
  static std::optional<Picture> DecodePicture(const std::string& encoded);

 private:
  void Run();

  Deliver deliver_;
  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::optional<std::string> waiting_;
  bool stopping_ = false;
  size_t failures_ = 0;
  std::thread thread_;
};

}  // namespace jov_comp
