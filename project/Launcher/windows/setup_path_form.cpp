#include "project/Launcher/windows/setup_path_form.h"

#include <utility>

#include "platform/disk/disk_space.h"
#include "platform/text/utf_conversion.h"
#include "platform/window/window_api.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/async_modal_runner_manager.h"
#include "project/Launcher/windows/folder_dialog.h"
#include "project/Launcher/windows/panel_texts.h"
#include "ui/control.h"
#include "ui/event_args.h"
#include "ui/language_table.h"

namespace {

constexpr uint32_t kDialogStyle = 0xCE0000;  // caption, system menu, frame, minimise box

std::u16string Text(const char16_t* key) { return ui::LanguageTable::GetInstance().GetText(key); }

}  // namespace

SetupPathForm* SetupPathForm::Open(ui::Window* owner, DialogResult::Callback result) {
  auto* form = new SetupPathForm();
  form->result_.SetCallback(std::move(result));
  const platform::HWND ownerHwnd = owner != nullptr ? owner->GetHWND() : nullptr;
  if (form->Create(ownerHwnd, kClassName, kDialogStyle, 0, true, ui::UiRect{}) == nullptr) {
    delete form;
    return nullptr;
  }
  if (ownerHwnd != nullptr) platform::EnableWindow(ownerHwnd, false);
  form->CenterWindow();
  platform::ShowWindow(form->GetHWND(), platform::SW_SHOW);
  platform::SetFocus(form->GetHWND());
  return form;
}

std::u16string SetupPathForm::ComposeGameFolder(const std::u16string& parent) {
  if (!parent.empty() && parent.back() == u'/') return parent + kGameFolderName;
  return parent + u"/" + kGameFolderName;
}

void SetupPathForm::InitWindow() {
  if (ui::Control* root = GetRoot()) {
    if (auto* box = dynamic_cast<ui::Box*>(root)) {
      box->AttachBubbledEvent(ui::kEventClick,
                              kbase::WeakCallback<ui::EventCallback>(
                                  GetWeakFlag(), [this](ui::EventArgs* e) { return OnClick(e); }));
    }
  }
  pathLabel_ = dynamic_cast<ui::Label*>(FindControlByName(u"text_set_path"));
  needLabel_ = dynamic_cast<ui::Label*>(FindControlByName(u"lable_need_space"));
  freeLabel_ = dynamic_cast<ui::Label*>(FindControlByName(u"lable_free_space"));
  // The stored path is where a confirm installs: it is shown as it stands.
  SetPath(LauncherStore::GetInstance().SettingsCopy().gamePath, false);
}

bool SetupPathForm::OnClick(ui::EventArgs* event) {
  if (event == nullptr || event->pSender == nullptr) return true;
  const std::u16string& name = event->pSender->GetName();
  if (name == u"btn_ok")
    Confirm();
  else if (name == u"btn_change")
    ChooseFolder();
  else if (name == u"btn_close")
    Cancel();
  return true;
}

void SetupPathForm::Close(platform::WPARAM code) {
  const platform::HWND owner = platform::GetWindow(GetHWND(), platform::GW_OWNER);
  if (owner != nullptr) {
    platform::EnableWindow(owner, true);
    platform::SetFocus(owner);
  }
  ui::WindowImplBase::Close(code);
}

platform::LRESULT SetupPathForm::OnSysCommand(platform::UINT message, platform::WPARAM wparam,
                                              platform::LPARAM lparam, bool& handled) {
  if ((wparam & 0xFFF0) == platform::SC_CLOSE) {
    Cancel();
    return 0;
  }
  return ui::WindowImplBase::OnSysCommand(message, wparam, lparam, handled);
}

platform::LRESULT SetupPathForm::OnKeyDown(platform::UINT, platform::WPARAM wparam, platform::LPARAM,
                                           bool& handled) {
  if (wparam == platform::VK_ESCAPE)
    Cancel();
  else if (wparam == platform::VK_RETURN)
    Confirm();
  handled = false;
  return 0;
}

void SetupPathForm::Confirm() {
  if (result_.answered()) return;
  Close(0);
  result_.Answer(1);
}

void SetupPathForm::Cancel() {
  if (result_.answered()) return;
  Close(0);
  result_.Answer(0);
}

void SetupPathForm::ChooseFolder() {
  auto chosen = kbase::WeakCallback<FolderDialog::ResultCallback>(
      GetWeakFlag(), [this](int32_t result, const std::u16string& folder) {
        if (result == 1) SetPath(folder, true);
      });
  jov_comp::AsyncModalRunnerManager::GetInstance().DoModal(
      new FolderDialog(Text(u"STRING_SELECT_PATH"), GetHWND(), chosen));
}

bool SetupPathForm::SetPath(const std::u16string& folder, bool picked) {
  const std::u16string gameFolder = picked ? ComposeGameFolder(folder) : folder;
  platform::DiskSpace space;
  if (gameFolder.empty() ||
      !platform::QueryDiskSpace(platform::UTF16ToUTF8(gameFolder), &space)) {
    MessageBoxRequest notice;
    notice.titleKey = "STRING_ERROR_NOTICE";
    notice.contentKey = "STRING_ERROR_INVALID_DISKSPACE";
    notice.secondButtonKey = "STRING_CONFIRM";
    LauncherStore::GetInstance().ShowMessageBox(std::move(notice));
    return false;
  }
  if (picked) {
    LauncherStore& store = LauncherStore::GetInstance();
    store.SetGamePath(gameFolder);
    store.SaveSettings();
    store.ReloadGameVersion();
    store.PostToMainWindow(kMsgRefreshState, 0, 0);
  }
  if (pathLabel_ != nullptr) pathLabel_->SetText(gameFolder);
  ShowSpace(space.available);
  return true;
}

void SetupPathForm::ShowSpace(uint64_t freeBytes) {
  if (needLabel_ != nullptr) {
    needLabel_->SetText(panel_texts::WithArgument(Text(u"STRING_INSTALL_NEED_SPACE"),
                                                  panel_texts::SizeText(kRequiredDiskSpace)));
  }
  if (freeLabel_ != nullptr) {
    freeLabel_->SetText(panel_texts::WithArgument(Text(u"STRING_INSTALL_FREE_SPACE"),
                                                  panel_texts::SizeText(freeBytes)));
    freeLabel_->SetStateTextColor(ui::kControlStateNormal,
                                  freeBytes < kWarningBelow ? u"red" : u"graya2");
    freeLabel_->Invalidate();
  }
}
