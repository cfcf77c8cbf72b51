// A progress bar with a thumb: pressed on the thumb it drags, and the value
// follows the mouse or touch pointer; a release anywhere on it, or the wheel,
// sets the value and fires "valuechange". The bar ends under the middle of
// the thumb. UI thread only.
#ifndef UI_CONTROLS_SLIDER_H_
#define UI_CONTROLS_SLIDER_H_

#include <string>

#include "ui/controls/progress.h"
#include "ui/state_image_map.h"

namespace ui {

class Slider : public Progress {
 public:
  Slider();

  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void ClearImageCache() override;
  void HandleEvent(EventArgs& event) override;
  void PaintStatusImage(IRenderContext* render) override;
  UiRect GetProgressPos() override;

  // The thumb in window coordinates.
  UiRect GetThumbRect() const;
  // The value a point of the control stands for, within the range.
  double ValueFromPoint(UiPoint point) const;

  int GetChangeStep() const { return step_; }
  void SetChangeStep(int step) { step_ = step; }
  UiSize GetThumbSize() const { return thumb_size_; }
  void SetThumbSize(UiSize size) { thumb_size_ = size; }
  UiRect GetProgressBarPadding() const { return bar_padding_; }
  void SetProgressBarPadding(UiRect padding);
  void SetThumbImage(ControlState state, const std::u16string& attribute);

 private:
  // The range as a double, 0 while max is not above min.
  double Range() const;
  void RaiseValueChange();

  int step_ = 1;
  UiSize thumb_size_{10, 10};
  StateImageMap thumb_images_;
  UiRect bar_padding_;
  std::u16string thumb_modify_;
};

}  // namespace ui

#endif  // UI_CONTROLS_SLIDER_H_
