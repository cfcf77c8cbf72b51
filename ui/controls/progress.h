// A label that also shows a value between a minimum and a maximum as a bar:
// a colour filled to the value, or a fore image squeezed into the bar or cut
// at its end; horizontal (left to right) or vertical (bottom to top). Values
// outside the range may be stored; each paint clamps them. UI thread only.
#ifndef UI_CONTROLS_PROGRESS_H_
#define UI_CONTROLS_PROGRESS_H_

#include <string>

#include "ui/controls/label.h"
#include "ui/image.h"

namespace ui {

class Progress : public LabelTemplate<Control> {
 public:
  Progress();

  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void ClearImageCache() override;
  void PaintStatusImage(IRenderContext* render) override;
  // The bar, relative to the control's top-left; empty while the range is.
  virtual UiRect GetProgressPos();

  // Stores the value (not clamped) and repaints.
  void SetValue(double value);
  double GetValue() const { return value_; }
  int GetMinValue() const { return min_; }
  int GetMaxValue() const { return max_; }
  void SetMinValue(int min);
  void SetMaxValue(int max);
  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool horizontal);
  bool IsStretchForeImage() const { return stretch_fore_image_; }
  void SetStretchForeImage(bool stretch);
  void SetProgressImage(const std::u16string& attribute);
  const std::u16string& GetProgressColor() const { return progress_color_; }
  void SetProgressColor(const std::u16string& color);

 protected:
  // Raises max above min and brings the value into the range, as a paint
  // does before drawing.
  void ClampValue();

  bool horizontal_ = true;
  bool stretch_fore_image_ = true;
  int max_ = 100;
  int min_ = 0;
  double value_ = 0;
  Image progress_image_;
  std::u16string progress_color_;
  std::u16string modify_;
};

}  // namespace ui

#endif  // UI_CONTROLS_PROGRESS_H_
