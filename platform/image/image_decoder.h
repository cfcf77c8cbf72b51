#pragma once
// Image decoding in place of the GDI+ codecs: PNG, JPEG, GIF (every frame with
// its delay), BMP and ICO, from bytes in memory, through gdk-pixbuf. Frames come
// out as premultiplied ARGB32 pixels (0xAARRGGBB in native order, rows top
// down, no padding): the layout cairo's image surfaces and the present call
// take. Every input is bounded before pixels are allocated: the byte size,
// the width and height, the frame count and the total of decoded bytes.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

struct ImageDecodeLimits {
  uint64_t max_input_bytes = 64ull << 20;
  int max_side = 16384;
  size_t max_frames = 1024;
  uint64_t max_decoded_bytes = 256ull << 20;
  // The file holds premultiplied colours already (the browser engine's
  // pictures): only the byte order changes, each colour capped at its alpha.
  bool colours_premultiplied = false;
};

struct DecodedImage {
  int width = 0;
  int height = 0;
  // One picture per frame, width * height pixels each.
  std::vector<std::vector<uint32_t>> frames;
  // For an image of more than one frame: each frame's delay in hundredths of
  // a second, as the file states it (0 when it states none). Empty otherwise.
  std::vector<uint32_t> frame_delays;
  // Some pixel of some frame is not fully opaque.
  bool has_alpha = false;
};

// Nothing for bytes that are not a whole image of a known format, or that go
// beyond a limit.
std::optional<DecodedImage> DecodeImage(std::string_view bytes,
                                        const ImageDecodeLimits& limits = ImageDecodeLimits());

}  // namespace platform
