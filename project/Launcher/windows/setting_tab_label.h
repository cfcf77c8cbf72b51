#pragma once
// A tab of the settings window's tab column: a list row holding the label
// "tab_name". The current tab shows its label disabled, so the skin's
// disabled text colour marks it. UI thread only.

#include <string>

#include "ui/controls/label.h"
#include "ui/controls/list_container_element.h"

namespace SettingComponents {

class TabLabel : public ui::ListContainerElement {
 public:
  TabLabel() = default;

  // Finds "tab_name" among the row's own children (after its layout is
  // built); null when the layout has none.
  ui::Label* TabName();
  void SetTabText(const std::u16string& text);
  // The marked tab's label is disabled.
  void SetMarked(bool marked);

 private:
  ui::Label* tab_name_ = nullptr;
};

}  // namespace SettingComponents
