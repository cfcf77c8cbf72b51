#include "project/Launcher/windows/setup_path_form.h"

#include <utility>

#include "base/thread/thread_registry.h"
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

std::u16string Text(const char16_t* key) { return ui::LanguageTable::GetInstance().GetText(key); }

}  // namespace

SetupPathForm* SetupPathForm::Open(ui::Window* owner, DialogResult::Callback result) {
  auto* form = new SetupPathForm();
  return OpenOwned(form, owner, kClassName, std::move(result)) ? form : nullptr;
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
    // The installed version belongs to the worker, which reads it again and
    // publishes it before the main window refreshes.
    LauncherStore* shared = &store;
    const bool posted = kbase::ThreadRegistry::PostTask(kThreadMisc, [shared] {
      shared->ReloadGameVersion();
      shared->PublishUiView();
      shared->PostToMainWindow(kMsgRefreshState, 0, 0);
    });
    if (!posted) store.PostToMainWindow(kMsgRefreshState, 0, 0);
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
