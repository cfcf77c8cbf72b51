#include "project/Launcher/windows/setting_tab_page.h"

namespace SettingComponents {

void TabPage::Init(const std::u16string& page_name, SettingForm* owner) {
  SetName(page_name);
  owner_ = owner;
}

void TabPage::ResetControls() { owner_ = nullptr; }

}  // namespace SettingComponents
