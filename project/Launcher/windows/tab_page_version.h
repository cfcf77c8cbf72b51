#pragma once
// Page 2 of the settings window, the versions: the launcher's and the
// installed game's version, an update check of each (which closes the
// window and starts the flow at once), and the user agreement and privacy
// links, opened in the user's browser. UI thread only.

#include <string>

#include "project/Launcher/windows/setting_tab_page.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"

namespace SettingComponents {

class TabPageVersion : public TabPage {
 public:
  TabPageVersion() = default;

  void Init(const std::u16string& page_name, SettingForm* owner) override;
  void ResetControls() override;
  void Refresh() override;

  // The version line: the language text with its first "%s" (or "%ls")
  // replaced by |version|, cut to 260 characters. The text is never used as
  // a format: any other "%" stays as it is.
  static std::u16string VersionLine(const std::u16string& text, const std::u16string& version);

 private:
  bool OnLauncherUpdateClick(ui::EventArgs* event);
  bool OnGameUpdateClick(ui::EventArgs* event);

  ui::Button* launcher_update_ = nullptr;
  ui::Label* launcher_version_ = nullptr;
  ui::Button* game_update_ = nullptr;
  ui::Label* game_version_ = nullptr;
};

}  // namespace SettingComponents
