// A control's state images by image type: background, foreground, and the
// selected background and foreground of check boxes.
#ifndef UI_STATE_IMAGE_MAP_H_
#define UI_STATE_IMAGE_MAP_H_

#include <map>
#include <string>

#include "ui/state_image.h"

namespace ui {

enum StateImageType {
  kStateImageBk = 0,
  kStateImageFore = 1,
  kStateImageSelectedBk = 2,
  kStateImageSelectedFore = 3,
};

class StateImageMap {
 public:
  explicit StateImageMap(Control* owner);

  // Clears that image's cache, resets its attributes, keeps the string as
  // attribute string and file, then applies its pairs. A hot image switches
  // the owner's hot fade on.
  void SetImage(StateImageType type, int state, const std::u16string& attribute);
  std::u16string GetImagePath(StateImageType type, int state) const;
  StateImage& GetStateImage(StateImageType type) { return images_[type]; }
  bool HasHotImage() const;
  bool PaintStatusImage(IRenderContext* render, StateImageType type, int state,
                        const std::u16string& modify = u"");
  // The first background state image with a file.
  Image* GetEstimateImage(StateImageType type = kStateImageBk);
  void ClearCache();

 private:
  Control* owner_;
  std::map<int, StateImage> images_;
};

}  // namespace ui

#endif  // UI_STATE_IMAGE_MAP_H_
