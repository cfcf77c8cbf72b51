// A button with a selected state, toggled by activation: while selected it
// paints its selected images, state colours and text colour in place of the
// ordinary ones, and it fires "select" and "unselect" as the state changes.
// Instantiated over Control ("CheckBox") and over Box ("CheckBoxBox"). UI
// thread only.
#ifndef UI_CONTROLS_CHECK_BOX_H_
#define UI_CONTROLS_CHECK_BOX_H_

#include <string>

#include "ui/controls/button.h"

namespace ui {

template <typename InheritType = Control>
class CheckBoxTemplate : public ButtonTemplate<InheritType> {
 public:
  CheckBoxTemplate();

  Image* GetEstimateImage() override;
  void Activate() override;
  bool HasHotState() override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void PaintStatusColor(IRenderContext* render) override;
  void PaintStatusImage(IRenderContext* render) override;
  void PaintText(IRenderContext* render) override;

  // Changes the state; with |trigger| and a window the change fires "select"
  // or "unselect". The same state again does nothing.
  virtual void Selected(bool select, bool trigger);

  bool IsSelected() const { return selected_; }
  void SetSelectedStateColor(ControlState state, const std::u16string& color);
  std::u16string GetSelectedStateColor(ControlState state) const {
    return selected_colors_.GetColor(state);
  }
  const std::u16string& GetSelectedTextColor() const { return selected_text_color_; }
  void SetSelectedTextColor(const std::u16string& color);

 protected:
  bool selected_ = false;
  std::u16string selected_text_color_;
  StateColorMap selected_colors_;
};

using CheckBox = CheckBoxTemplate<Control>;
using CheckBoxBox = CheckBoxTemplate<Box>;

extern template class CheckBoxTemplate<Control>;
extern template class CheckBoxTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_CHECK_BOX_H_
