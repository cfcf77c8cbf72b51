#include "project/Launcher/windows/setting_tab_label.h"

#include "project/Launcher/windows/named_descendant.h"

namespace SettingComponents {

ui::Label* TabLabel::TabName() {
  if (tab_name_ == nullptr) tab_name_ = FindNamed<ui::Label>(this, u"tab_name");
  return tab_name_;
}

void TabLabel::SetTabText(const std::u16string& text) {
  if (ui::Label* label = TabName()) label->SetText(text);
}

void TabLabel::SetMarked(bool marked) {
  if (ui::Label* label = TabName()) label->SetEnabled(!marked);
}

}  // namespace SettingComponents
