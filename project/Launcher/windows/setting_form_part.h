#pragma once
// The main window's side of the settings window: "btn_settings" opens it
// (owned by the main window, one at a time), the main window's state refresh
// reaches its pages, and the resources page chooses folders with the
// desktop's folder picker. UI thread only.

#include "project/Launcher/windows/main_form_part.h"

class SettingFormPart : public MainFormPart {
 public:
  SettingFormPart() = default;

  void Attach(MainForm& form) override;
  void OnRefreshState() override;
  bool OnClick(ui::EventArgs& event) override;

 private:
  MainForm* form_ = nullptr;
};
