#pragma once
// Page 0 of the settings window, the general settings: the language, start
// with the session, what closing the main window does, automatic updates and the two
// download speed limits (game and launcher downloads, pre-downloads). Every
// choice goes into the window's edited settings only; the window's confirm
// applies them. UI thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "project/Launcher/windows/setting_tab_page.h"
#include "ui/controls/check_box.h"
#include "ui/controls/combo.h"
#include "ui/controls/option.h"

namespace SettingComponents {

class TabPageNormal : public TabPage {
 public:
  TabPageNormal() = default;

  void Init(const std::u16string& page_name, SettingForm* owner) override;
  void ResetControls() override;
  // Closes the language list when it is open.
  void DeactivatePage() override;

  // The languages in the order the list shows them (Japanese is not
  // offered): language indexes.
  static const std::vector<int>& LanguageOrder();

 private:
  // The list of languages, the store's language selected.
  void BindLanguage(int current_language);
  bool OnLanguageSelect(ui::EventArgs* event);
  void BindTooltips();
  void BindStartCheckBox(bool* automatic_start);
  // Two options of one group standing for a flag: |on| selected when it is
  // set. Bound only when both exist.
  void BindFlagOptions(ui::Option* on, ui::Option* off, bool* flag);
  // A limit group: the no-limit and limit options and the field. Bound only
  // when all three exist.
  void BindSpeedGroup(const std::u16string& no_limit_name, const std::u16string& limit_name,
                      const std::u16string& field_name, bool* limit_on, int32_t* speed);

  ui::Combo* language_combo_ = nullptr;
  ui::CheckBox* start_check_ = nullptr;
  ui::Option* tray_option_ = nullptr;
  ui::Option* exit_option_ = nullptr;
  ui::Option* update_on_option_ = nullptr;
  ui::Option* update_off_option_ = nullptr;
};

}  // namespace SettingComponents
