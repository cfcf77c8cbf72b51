#include "project/Launcher/windows/tab_asset_setup.h"

#include "platform/files/folder_operations.h"
#include "project/Launcher/windows/main_button_events.h"
#include "project/Launcher/windows/setup_path_form.h"
#include "ui/event_args.h"

namespace MainComponents {

void TabAssetSetup::InitPage() {
  title_ = Find<ui::Label>(u"text_title");
  path_ = Find<ui::Label>(u"text_set_path");
  if (title_ != nullptr) title_->SetTextId(u"STRING_SET_PATH");
  ShowGamePath();
  if (ui::Control* button = Find<ui::Control>(u"btn_set_path"))
    button->AttachClick([this](ui::EventArgs* event) { return OnSetPathClick(event); });
}

void TabAssetSetup::ResetControls() {
  title_ = nullptr;
  path_ = nullptr;
}

void TabAssetSetup::Refresh() {
  if (title_ != nullptr) title_->SetTextId(u"STRING_SET_PATH", true);
  ShowGamePath();
}

void TabAssetSetup::ShowGamePath() {
  if (path_ != nullptr) path_->SetText(context_.store->SettingsCopy().gamePath);
}

bool TabAssetSetup::OnSetPathClick(ui::EventArgs* event) {
  if (event == nullptr || event->pSender == nullptr || event->pSender->GetName() != u"btn_set_path")
    return true;
  SetupPathForm::Open(context_.window,
                      kbase::WeakCallback<DialogResult::Callback>(
                          GetWeakFlag(), [this](int32_t result) { OnSetupPathResult(result); }));
  return true;
}

void TabAssetSetup::OnSetupPathResult(int32_t result) {
  if (result == 0) return;
  LauncherStore& store = *context_.store;
  if (!store.CheckInstallDiskSpace({})) return;
  platform::CreateFolders(store.SettingsCopy().gamePath);
  store.StartGameCheck(false, false);
  SendActionEvents(store, MainButtonAction::kInstall);
}

}  // namespace MainComponents
