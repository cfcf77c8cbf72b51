#pragma once
// The frame table of a GIF file: how many images it holds and the delay the
// graphic control extension in front of each one states. gdk-pixbuf decodes
// the frames but does not tell their number or their stated delays; this walks
// the blocks of the file without decoding any pixels.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

// One delay (hundredths of a second) a frame; nothing when the bytes are not
// a GIF or its blocks run past the end before the first image.
std::optional<std::vector<uint32_t>> ReadGifFrameDelays(std::string_view bytes);

}  // namespace platform
