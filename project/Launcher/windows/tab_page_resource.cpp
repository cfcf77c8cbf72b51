#include "project/Launcher/windows/tab_page_resource.h"

#include <utility>

#include "base/thread/thread_registry.h"
#include "project/Launcher/core/game_launch.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/usage_events.h"
#include "project/Launcher/windows/named_descendant.h"
#include "project/Launcher/windows/setting_form.h"
#include "ui/language_table.h"

namespace SettingComponents {
namespace {

constexpr int32_t kFirstFlowState = 1;  // PrepareState
constexpr int32_t kLastFlowState = 6;   // ApplyUpdateState
constexpr int32_t kLauncherFlowMode = 0;

TabPageResource::FolderPicker& Picker() {
  static TabPageResource::FolderPicker picker;
  return picker;
}

bool IsFlowState(int32_t type) { return type >= kFirstFlowState && type <= kLastFlowState; }

// A one-button notice owned by the settings window.
void ShowNotice(SettingForm* owner, const char* contentKey) {
  MessageBoxRequest notice;
  notice.owner = reinterpret_cast<WindowHandle>(owner->GetHWND());
  notice.titleKey = "STRING_ERROR_NOTICE";
  notice.contentKey = contentKey;
  notice.secondButtonKey = "STRING_CONFIRM";
  owner->Store().ShowMessageBox(std::move(notice));
}

}  // namespace

void TabPageResource::SetFolderPicker(FolderPicker picker) { Picker() = std::move(picker); }

bool IsUpdateFlowBusy(LauncherStore& store) {
  const StoreUiView view = store.UiView();
  if (view.stateType == -1) return false;
  return view.stateMode == kLauncherFlowMode || IsFlowState(view.stateType);
}

bool RefuseWhileGameRuns(SettingForm* owner) {
  if (!IsGameRunning()) return false;
  LauncherStore& store = owner->Store();
  if (store.ActivateGameWindow()) {
    owner->Cancel();
    store.PostToMainWindow(kMsgHideLauncher, 0, 0);
    return true;
  }
  ShowNotice(owner, "STRING_ERROR_EXCEED_MAX_GAME_INSTANCE");
  return true;
}

void TabPageResource::Init(const std::u16string& page_name, SettingForm* owner) {
  TabPage::Init(page_name, owner);
  const std::pair<const char16_t*, const char16_t*> tips[] = {
      {u"local_tip", u"STRING_RESOURCE_LOCAL_TIP"}, {u"repair_tip", u"STRING_RESOURCE_REPAIR_TIP"}};
  for (const auto& [name, key] : tips) {
    if (ui::Control* control = FindNamedDescendant(this, name)) control->SetToolTipTextId(key);
  }
  path_label_ = FindNamed<ui::Label>(this, u"text_game_path");
  if (path_label_ != nullptr) path_label_->SetText(owner->Store().SettingsCopy().gamePath);
  find_button_ = FindNamed<ui::Button>(this, u"btn_find_game");
  if (find_button_ != nullptr) {
    find_button_->AttachClick([this](ui::EventArgs* event) { return OnFindGameClick(event); });
  }
  repair_button_ = FindNamed<ui::Button>(this, u"btn_repair_game");
  if (repair_button_ != nullptr) {
    repair_button_->AttachClick([this](ui::EventArgs* event) { return OnRepairClick(event); });
  }
  Refresh();
}

void TabPageResource::ResetControls() {
  path_label_ = nullptr;
  find_button_ = nullptr;
  repair_button_ = nullptr;
}

void TabPageResource::Refresh() {
  if (owner_ == nullptr) return;
  const StoreUiView view = owner_->Store().UiView();
  const bool game_flow_runs = view.stateType != -1 && view.stateMode != kLauncherFlowMode &&
                              IsFlowState(view.stateType);
  if (find_button_ != nullptr) find_button_->SetEnabled(!game_flow_runs);
  if (repair_button_ != nullptr) repair_button_->SetEnabled(!IsUpdateFlowBusy(owner_->Store()));
}

bool TabPageResource::OnFindGameClick(ui::EventArgs* event) {
  if (event->pSender != find_button_ || owner_ == nullptr) return true;
  if (!Picker()) return true;
  auto chosen = WrapWeak([this](int32_t result, const std::u16string& folder) {
    OnGameFolderChosen(result, folder);
  });
  Picker()(owner_->GetHWND(), ui::LanguageTable::GetInstance().GetText(u"STRING_SELECT_PATH"),
           FolderChosen(chosen));
  return true;
}

void TabPageResource::OnGameFolderChosen(int32_t result, const std::u16string& folder) {
  if (result != 1 || owner_ == nullptr) return;
  LauncherStore& store = owner_->Store();
  if (!store.GameExeExists(folder)) {
    ShowNotice(owner_, "STRING_ERROR_INVALID_GAME_PATH");
    return;
  }
  if (path_label_ != nullptr) path_label_->SetText(folder);
  owner_->EditedSettings().gamePath = folder;
  store.SetGamePath(folder);
  store.SaveSettings();
  // The installed version belongs to the worker, which reads it again and
  // publishes it before the main window and the pages refresh.
  LauncherStore* shared = &store;
  const bool posted = kbase::ThreadRegistry::PostTask(kThreadMisc, [shared] {
    shared->ReloadGameVersion();
    shared->PublishUiView();
    shared->PostToMainWindow(kMsgRefreshState, 0, 0);
  });
  if (!posted) store.PostToMainWindow(kMsgRefreshState, 0, 0);
  SendUiClickEvent("setting_button", "game_path");
}

bool TabPageResource::OnRepairClick(ui::EventArgs* event) {
  if (event->pSender != repair_button_ || owner_ == nullptr) return true;
  if (RefuseWhileGameRuns(owner_)) return true;
  repair_button_->SetEnabled(false);
  owner_->Cancel();
  owner_->Store().RepairGame();
  SendUiClickEvent("setting_button", "click_repair");
  return true;
}

}  // namespace SettingComponents
