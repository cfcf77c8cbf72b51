// The images of one image type of a control, one per interaction state, and
// how the image of a state is picked and drawn: a cross-fade of normal and
// hot while the hot fade runs, and fall-backs for states without an image.
#ifndef UI_STATE_IMAGE_H_
#define UI_STATE_IMAGE_H_

#include <map>
#include <string>

#include "ui/image.h"

namespace ui {

class Control;
class IRenderContext;

class StateImage {
 public:
  explicit StateImage(Control* owner = nullptr) : owner_(owner) {}

  void SetControl(Control* owner) { owner_ = owner; }
  Image& operator[](int state) { return images_[state]; }
  // The image of a state, null when none was ever set.
  const Image* Find(int state) const;

  bool HasHotImage() const;
  // The first image with a file, in the order normal, hot, pushed, disabled.
  Image* GetEstimateImage();
  // Draws the image of |state|; the result is that of the last draw. A
  // pushed state without an image draws the hot image at full opacity for
  // this draw only.
  bool PaintStatusImage(IRenderContext* render, int state, const std::u16string& modify = u"");
  void ClearCache();

 private:
  bool HasImage(int state) const;

  Control* owner_;
  std::map<int, Image> images_;
};

}  // namespace ui

#endif  // UI_STATE_IMAGE_H_
