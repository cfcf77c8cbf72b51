// Feeds arbitrary bytes to the skin-facing parsers of the drawing ground and
// checks the 9-grid geometry built from what they read: an image attribute
// string (as UTF-16), the GIF frame table, and the pieces of a 9-grid draw
// whose rectangles come from the bytes. Every piece must have a positive
// size, read inside the image and land inside the destination.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/image/gif_frame_table.h"
#include "ui/image_attribute.h"
#include "ui/render/nine_grid.h"

namespace {

int TakeInt(const uint8_t*& data, size_t& size) {
  int16_t value = 0;
  if (size >= sizeof(value)) {
    std::memcpy(&value, data, sizeof(value));
    data += sizeof(value);
    size -= sizeof(value);
  }
  return value;
}

// Sides within +-255: with tiles of one pixel a draw stays within a quarter
// of a million pieces.
ui::UiRect TakeRect(const uint8_t*& data, size_t& size) {
  const int left = TakeInt(data, size) % 256;
  const int top = TakeInt(data, size) % 256;
  const int right = TakeInt(data, size) % 256;
  const int bottom = TakeInt(data, size) % 256;
  return ui::UiRect{left, top, right, bottom};
}

void CheckNineGrid(const uint8_t* data, size_t size) {
  ui::NineGridInput in;
  in.paint = TakeRect(data, size);
  in.dest = TakeRect(data, size);
  in.source = TakeRect(data, size);
  in.corner = TakeRect(data, size);
  in.dest_corner = TakeRect(data, size);
  in.image_width = TakeInt(data, size) & 0x3FF;
  in.image_height = TakeInt(data, size) & 0x3FF;
  const int flags = TakeInt(data, size);
  in.xtiled = flags & 1;
  in.ytiled = flags & 2;
  // Tiles are at least one pixel a side and only those meeting the paint
  // rectangle are made, so there are never more pieces than its pixels and
  // the eight borders.
  const ui::UiRect area = ui::IntersectRect(in.paint, in.dest);
  const size_t most = static_cast<size_t>(area.Width()) * area.Height() + 9;
  size_t pieces = 0;
  for (const ui::NineGridPiece& piece : ui::ComputeNineGrid(in)) {
    if (++pieces > most) abort();
    if (piece.source.IsEmpty() || piece.dest.IsEmpty()) abort();
    if (piece.source.left < 0 || piece.source.top < 0 || piece.source.right > in.image_width ||
        piece.source.bottom > in.image_height) {
      abort();
    }
    if (piece.dest.left < in.dest.left || piece.dest.top < in.dest.top ||
        piece.dest.right > in.dest.right || piece.dest.bottom > in.dest.bottom) {
      abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  platform::ReadGifFrameDelays(bytes);

  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  ui::ImageAttribute attribute;
  attribute.ApplyAttributeString(text);

  CheckNineGrid(data, size);
  return 0;
}
