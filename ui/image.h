// One image use of a control: its attributes, the decoded image once loaded
// (shared through the image cache), and the frame it shows while an animated
// image plays.
#ifndef UI_IMAGE_H_
#define UI_IMAGE_H_

#include <memory>
#include <string>

#include "ui/image_attribute.h"
#include "ui/image_info.h"

namespace ui {

class Image {
 public:
  // Resets the attributes, keeps the string as attribute string and file
  // (so a plain path names the file), then applies its pairs.
  void SetImageString(const std::u16string& attribute);
  // Releases the decoded image; frame, playing flag and played count return
  // to their start.
  void ClearCache();
  bool IsValid() const { return imageCache != nullptr; }
  // The surface of the current frame, null before the image is loaded.
  HBITMAP GetCurrentHBitmap() const;

  ImageAttribute imageAttribute;
  std::shared_ptr<ImageInfo> imageCache;
  int nCurrentFrame = 0;
  bool bPlaying = false;
  int nCycledCount = 0;
};

}  // namespace ui

#endif  // UI_IMAGE_H_
