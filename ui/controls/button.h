// A label that is pressed: a click when the mouse is released inside it, or
// when Return or Space goes down while it has the keyboard; the context-menu
// event when its menu is on. Instantiated over Control ("Button") and over
// Box ("ButtonBox"). UI thread only.
#ifndef UI_CONTROLS_BUTTON_H_
#define UI_CONTROLS_BUTTON_H_

#include "ui/controls/label.h"

namespace ui {

template <typename InheritType = Control>
class ButtonTemplate : public LabelTemplate<InheritType> {
 public:
  ButtonTemplate();

  void HandleEvent(EventArgs& event) override;
  bool CanTabFocus() const override;
};

using Button = ButtonTemplate<Control>;
using ButtonBox = ButtonTemplate<Box>;

extern template class ButtonTemplate<Control>;
extern template class ButtonTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_BUTTON_H_
