#include "project/Launcher/windows/setting_form_part.h"

#include "project/Launcher/windows/async_modal_runner_manager.h"
#include "project/Launcher/windows/folder_dialog.h"
#include "project/Launcher/windows/main_form.h"
#include "project/Launcher/windows/setting_form.h"
#include "project/Launcher/windows/tab_page_resource.h"
#include "ui/control.h"

void SettingFormPart::Attach(MainForm& form) {
  form_ = &form;
  SettingComponents::TabPageResource::SetFolderPicker(
      [](platform::HWND owner, const std::u16string& title,
         SettingComponents::TabPageResource::FolderChosen done) {
        jov_comp::AsyncModalRunnerManager::GetInstance().DoModal(
            new FolderDialog(title, owner, std::move(done)));
      });
}

void SettingFormPart::OnRefreshState() {
  if (SettingForm* settings = SettingForm::FindOpen()) settings->RefreshPages();
}

bool SettingFormPart::OnClick(ui::EventArgs& event) {
  if (form_ == nullptr || event.pSender == nullptr || event.pSender->GetName() != u"btn_settings") {
    return false;
  }
  // The owner is disabled while the window is open; a second one is never
  // made.
  if (SettingForm::FindOpen() == nullptr) SettingForm::Open(form_->GetHWND(), form_->store(), {});
  return true;
}
