// A decoded image shared by every control that shows the same file: its size,
// whether it has transparency, and one premultiplied ARGB32 surface a frame
// (what the render context's DrawImage takes), with each frame's delay for an
// animated image.
#ifndef UI_IMAGE_INFO_H_
#define UI_IMAGE_INFO_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/render/render_types.h"

namespace platform {
struct DecodedImage;
}

namespace ui {

class ImageInfo {
 public:
  ImageInfo() = default;
  ~ImageInfo();
  ImageInfo(const ImageInfo&) = delete;
  ImageInfo& operator=(const ImageInfo&) = delete;

  // The image of decoded frames; null when a frame cannot be made into a
  // surface.
  static std::unique_ptr<ImageInfo> FromBitmap(const platform::DecodedImage& image,
                                               const std::u16string& file_name);
  // Decodes the bytes of an image file (bounded as the decoder bounds them).
  static std::unique_ptr<ImageInfo> FromBytes(std::string_view bytes, const std::u16string& file_name);

  int GetFrameCount() const { return static_cast<int>(frames_.size()); }
  bool IsAnimation() const { return frames_.size() > 1; }
  // The frame's surface (owned by the image), null for an index out of range.
  HBITMAP GetHBitmap(int index) const;
  // What the render context draws for the frame: the same surface.
  HBITMAP GetBitmap(int index) const { return GetHBitmap(index); }
  // The frame's stated delay in hundredths of a second; nothing for a
  // still image or an index out of range.
  std::optional<uint32_t> GetFrameDelay(int index) const;
  // How long the frame stays when the image plays: 10 x delay ms, with
  // delays below 29 ms played at 100 ms and from 29 to 48 ms at 50 ms.
  std::optional<int> GetFrameInterval(int index) const;

  int nX = 0;
  int nY = 0;
  std::u16string sImageFullPath;
  bool bAlphaChannel = false;
  // Set when the image cache holds it; its last release then removes the
  // cache entry.
  bool bCached = false;

 private:
  std::vector<uint32_t> frame_delays_;
  std::vector<HBITMAP> frames_;
};

}  // namespace ui

#endif  // UI_IMAGE_INFO_H_
