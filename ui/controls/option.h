// A check box that belongs to a named group of its window: selecting one
// member unselects the others, and activation only ever selects. Instantiated
// over Control ("Option") and over Box ("OptionBox"). UI thread only.
#ifndef UI_CONTROLS_OPTION_H_
#define UI_CONTROLS_OPTION_H_

#include <string>

#include "ui/controls/check_box.h"

namespace ui {

template <typename InheritType = Control>
class OptionTemplate : public CheckBoxTemplate<InheritType> {
 public:
  OptionTemplate() = default;
  ~OptionTemplate() override;

  void SetWindow(Window* window, Box* parent, bool init) override;
  void Activate() override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  // Stores the state, always: selecting with a group unselects every other
  // member first. Unselecting always fires "unselect"; selecting fires
  // "select" with |trigger|.
  void Selected(bool select, bool trigger) override;

  virtual std::u16string GetGroup() const;
  virtual void SetGroup(const std::u16string& group);

 private:
  void LeaveGroup();
  // Unselects the other members of the group; false when this option went
  // away while their handlers ran.
  bool UnselectOtherMembers(bool trigger);

  std::u16string group_;
};

using Option = OptionTemplate<Control>;
using OptionBox = OptionTemplate<Box>;

extern template class OptionTemplate<Control>;
extern template class OptionTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_OPTION_H_
