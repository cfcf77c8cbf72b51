#include "platform/image/gif_frame_table.h"

#include <cstddef>

namespace platform {

namespace {

class ByteCursor {
 public:
  explicit ByteCursor(std::string_view bytes) : bytes_(bytes) {}
  bool Has(size_t n) const { return bytes_.size() - pos_ >= n; }
  uint8_t Byte(size_t offset = 0) const { return static_cast<uint8_t>(bytes_[pos_ + offset]); }
  uint32_t Word(size_t offset) const { return Byte(offset) | (uint32_t{Byte(offset + 1)} << 8); }
  bool Skip(size_t n) {
    if (!Has(n)) return false;
    pos_ += n;
    return true;
  }
  // Skips a chain of data sub-blocks up to and including its terminator.
  bool SkipSubBlocks() {
    while (Has(1)) {
      const uint8_t size = Byte();
      pos_ += 1;
      if (size == 0) return true;
      if (!Skip(size)) return false;
    }
    return false;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

size_t ColourTableBytes(uint8_t packed) {
  return (packed & 0x80) ? 3u * (1u << ((packed & 0x07) + 1)) : 0u;
}

}  // namespace

std::optional<std::vector<uint32_t>> ReadGifFrameDelays(std::string_view bytes) {
  if (bytes.substr(0, 6) != "GIF87a" && bytes.substr(0, 6) != "GIF89a") return std::nullopt;
  ByteCursor cursor(bytes);
  if (!cursor.Skip(6) || !cursor.Has(7)) return std::nullopt;
  const uint8_t screen_packed = cursor.Byte(4);
  if (!cursor.Skip(7) || !cursor.Skip(ColourTableBytes(screen_packed))) return std::nullopt;

  std::vector<uint32_t> delays;
  uint32_t pending_delay = 0;
  while (cursor.Has(1)) {
    const uint8_t introducer = cursor.Byte();
    if (introducer == 0x3B) break;  // trailer
    if (introducer == 0x21) {       // extension
      if (!cursor.Has(2)) break;
      const uint8_t label = cursor.Byte(1);
      if (label == 0xF9 && cursor.Has(7) && cursor.Byte(2) >= 4) pending_delay = cursor.Word(4);
      if (!cursor.Skip(2) || !cursor.SkipSubBlocks()) break;
    } else if (introducer == 0x2C) {  // image descriptor
      if (!cursor.Has(10)) break;
      const uint8_t packed = cursor.Byte(9);
      if (!cursor.Skip(10) || !cursor.Skip(ColourTableBytes(packed)) || !cursor.Skip(1) ||
          !cursor.SkipSubBlocks()) {
        // A frame cut short still counts: the decoder shows what it has.
        delays.push_back(pending_delay);
        break;
      }
      delays.push_back(pending_delay);
      pending_delay = 0;
    } else {
      break;
    }
  }
  if (delays.empty()) return std::nullopt;
  return delays;
}

}  // namespace platform
