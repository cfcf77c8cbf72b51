#include "project/Launcher/windows/main_panels.h"

#include <vector>

#include "platform/files/folder_operations.h"
#include "project/Launcher/core/game_launch.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/windows/main_button_events.h"
#include "project/Launcher/windows/tab_asset_check.h"
#include "project/Launcher/windows/tab_asset_download.h"
#include "project/Launcher/windows/tab_asset_setup.h"
#include "project/Launcher/windows/tab_pre_dlc_before.h"
#include "project/Launcher/windows/tab_pre_dlc_download.h"
#include "project/Launcher/windows/tab_pre_dlc_finish.h"
#include "ui/event_args.h"
#include "ui/global_manager.h"

namespace MainComponents {
namespace {

constexpr int32_t kPreDownloadDownloadStep = 5;
constexpr char16_t kGet[] = u"STRING_GET_GAME";
constexpr char16_t kContinue[] = u"STRING_DOWNLOAD_CONTINUE";
constexpr char16_t kUpdate[] = u"STRING_UPDATE_GAME";
constexpr char16_t kStart[] = u"STRING_START_GAME";
constexpr char16_t kPaused[] = u"STRING_DLC_PAUSED";

}  // namespace

MainPanels::MainPanels(LauncherStore& store, ui::Window& window) : window_(window) {
  context_.store = &store;
  context_.window = &window;
}

void MainPanels::Attach() {
  button_ = dynamic_cast<ui::Button*>(window_.FindControlByName(u"btn_game"));
  assets_ = dynamic_cast<ui::TabBox*>(window_.FindControlByName(u"tab_assets"));
  preDlc_ = dynamic_cast<ui::TabBox*>(window_.FindControlByName(u"tab_predlc"));
  InitAssetPanels();
  InitPreDlcPanels();
}

void MainPanels::InitAssetPanels() {
  if (button_ == nullptr || assets_ == nullptr) {
    button_ = nullptr;
    assets_ = nullptr;
    return;
  }
  savedTextId_.clear();
  TabAsset* pages[] = {new TabAsset(context_), new TabAssetSetup(context_),
                       new TabAssetDownload(context_), new TabAssetCheck(context_)};
  const char16_t* files[] = {u"main/tab_asset_none.xml", u"main/tab_asset_setup.xml",
                             u"main/tab_asset_download.xml", u"main/tab_asset_check.xml"};
  for (size_t i = 0; i < 4; ++i) {
    ui::GlobalManager::FillBox(pages[i], files[i], {});
    assets_->AddAt(pages[i], i);
    pages[i]->InitPage();
  }
  button_->AttachClick([this](ui::EventArgs* event) { return OnGameButtonClick(event); });
  button_->SetTextId(kStart);
  button_->SetEnabled(false);
  assets_->SelectItem(0);
}

void MainPanels::InitPreDlcPanels() {
  if (preDlc_ == nullptr) return;
  TabPreDlc* pages[] = {new TabPreDlc(context_), new TabPreDlcBefore(context_),
                        new TabPreDlcDownload(context_), new TabPreDlcFinish(context_)};
  const char16_t* files[] = {u"main/tab_predlc_none.xml", u"main/tab_predlc_before.xml",
                             u"main/tab_predlc_download.xml", u"main/tab_predlc_finish.xml"};
  for (size_t i = 0; i < 4; ++i) {
    pages[i]->SetOwnerBox(preDlc_);
    ui::GlobalManager::FillBox(pages[i], files[i], {});
    preDlc_->AddAt(pages[i], i);
    pages[i]->InitPage();
  }
  preDlc_->SelectItem(0);
}

void MainPanels::Detach() {
  if (assets_ != nullptr) {
    for (int i = 0; i < assets_->GetCount(); ++i)
      if (auto* page = dynamic_cast<TabAsset*>(assets_->GetItemAt(static_cast<size_t>(i))))
        page->ResetControls();
    assets_->RemoveAll();
  }
  if (preDlc_ != nullptr) {
    for (int i = 0; i < preDlc_->GetCount(); ++i)
      if (auto* page = dynamic_cast<TabPreDlc*>(preDlc_->GetItemAt(static_cast<size_t>(i))))
        page->ResetControls();
    preDlc_->RemoveAll();
  }
  button_ = nullptr;
  assets_ = nullptr;
  preDlc_ = nullptr;
}

TabAsset* MainPanels::CurrentAssetPage() const {
  if (assets_ == nullptr || assets_->GetCurSel() < 0) return nullptr;
  return dynamic_cast<TabAsset*>(assets_->GetItemAt(static_cast<size_t>(assets_->GetCurSel())));
}

TabPreDlc* MainPanels::CurrentPreDlcPage() const {
  if (preDlc_ == nullptr || preDlc_->GetCurSel() < 0) return nullptr;
  return PreDlcPage(preDlc_->GetCurSel());
}

TabPreDlc* MainPanels::PreDlcPage(int index) const {
  if (preDlc_ == nullptr || index < 0 || index >= preDlc_->GetCount()) return nullptr;
  return dynamic_cast<TabPreDlc*>(preDlc_->GetItemAt(static_cast<size_t>(index)));
}

bool MainPanels::Idle() const {
  const StoreUiView view = context_.store->UiView();
  return view.stateType < 0 || (view.stateMode == 1 && (view.stateType < 1 || view.stateType > 6));
}

void MainPanels::SetButtonText(const char16_t* textId) { button_->SetTextId(textId, true); }

void MainPanels::RefreshGameButton() {
  if (button_ == nullptr || assets_ == nullptr) return;
  LauncherStore& store = *context_.store;
  int page = 0;
  if (Idle()) {
    const bool unfinished = store.HasUnfinishedGameUpdate();
    const bool installed = store.GameExeExists() || unfinished;
    if (!installed) {
      SetButtonText(kGet);
      page = 1;
    } else if (unfinished) {
      SetButtonText(kContinue);
      if (!store.errorShown && !store.messageBoxRequested && !IsGameRunning()) {
        SendActionEvents(store, MainButtonAction::kContinue);
        store.StartGameCheck(true, true);
      }
    } else if (store.UiView().GameUpdateAvailable()) {  // the versions belong to the worker
      SetButtonText(kUpdate);
      if (store.SettingsCopy().autoUpdate && !store.errorShown && !store.messageBoxOpen() &&
          !IsGameRunning()) {
        SendActionEvents(store, MainButtonAction::kUpdate);
        store.StartGameCheck(true, true);
      }
    } else {
      SetButtonText(kStart);
    }
    button_->SetEnabled(true);
  } else {
    if (context_.DownloadsPaused())
      button_->SetTextId(kPaused);
    else
      SetButtonText(kStart);
    button_->SetEnabled(false);
    const int32_t type = context_.StateType();
    page = (type >= 1 && type <= 3) ? 3 : 2;
  }
  assets_->SelectItem(page);
  if (TabAsset* current = CurrentAssetPage()) current->Refresh();
}

bool MainPanels::OnGameButtonClick(ui::EventArgs* event) {
  if (event == nullptr || button_ == nullptr || event->pSender != button_) return true;
  LauncherStore& store = *context_.store;
  std::vector<int32_t> freeSlots;
  CollectFreeGameSlots(&freeSlots);
  if (freeSlots.empty()) {
    MessageBoxRequest notice;
    notice.titleKey = "STRING_ERROR_NOTICE";
    notice.contentKey = "STRING_ERROR_EXCEED_MAX_GAME_INSTANCE";
    notice.secondButtonKey = "STRING_CONFIRM";
    store.ShowMessageBox(std::move(notice));
    return true;
  }
  const std::u16string textId = button_->GetTextId();
  if (textId == kGet) {
    if (!store.CheckInstallDiskSpace({})) return true;
    platform::CreateFolders(store.SettingsCopy().gamePath);
    store.StartGameCheck(true, false);
    SendActionEvents(store, MainButtonAction::kInstall);
  } else if (textId == kStart) {
    store.StartGameCheck(true, false);
    SendActionEvents(store, MainButtonAction::kPlay);
  } else if (textId == kContinue) {
    store.StartGameCheck(true, true);
    SendActionEvents(store, MainButtonAction::kContinue);
  } else if (textId == kUpdate) {
    store.StartGameCheck(true, true);
    SendActionEvents(store, MainButtonAction::kUpdate);
  }
  return true;
}

void MainPanels::ShowCheckProgress(int64_t percent) {
  if (button_ == nullptr || assets_ == nullptr) return;
  const int32_t value = static_cast<int32_t>(percent < 0 ? 0 : (percent > 100 ? 100 : percent));
  TabAsset* current = CurrentAssetPage();
  if (auto* check = dynamic_cast<TabAssetCheck*>(current))
    check->ShowCheckProgress(value);
  else if (auto* download = dynamic_cast<TabAssetDownload*>(current))
    download->ShowCheckProgress(value);
}

void MainPanels::SelectPreDlcPanel(int64_t index, int64_t value) {
  if (preDlc_ == nullptr) return;
  if (index >= 0 && index <= 3) preDlc_->SelectItem(static_cast<int>(index));
  if (TabPreDlc* current = CurrentPreDlcPage()) current->Refresh(static_cast<int32_t>(value));
}

bool MainPanels::PreDownloadSideOfDownloads() const {
  return context_.store->UiView().preDownloadStep == kPreDownloadDownloadStep;
}

void MainPanels::OnDownloadSpeed(uint64_t remainingSeconds, int64_t bytesPerSecond) {
  const auto seconds = static_cast<int64_t>(remainingSeconds);
  if (PreDownloadSideOfDownloads()) {
    if (auto* page = dynamic_cast<TabPreDlcDownload*>(CurrentPreDlcPage()))
      page->SetSpeed(seconds, bytesPerSecond);
  } else if (button_ != nullptr) {
    if (auto* page = dynamic_cast<TabAssetDownload*>(CurrentAssetPage()))
      page->UpdateSpeed(bytesPerSecond, seconds);
  }
}

void MainPanels::OnDownloadProgress(uint64_t total, int64_t downloaded) {
  const auto all = static_cast<int64_t>(total);
  if (PreDownloadSideOfDownloads()) {
    if (auto* page = dynamic_cast<TabPreDlcDownload*>(CurrentPreDlcPage()))
      page->SetProgress(all, downloaded);
  } else if (button_ != nullptr) {
    if (auto* page = dynamic_cast<TabAssetDownload*>(CurrentAssetPage()))
      page->UpdateProgress(all, downloaded);
  }
}

void MainPanels::OnDownloadPaused(int64_t paused) {
  // Both pause buttons wait for this answer after a click, whichever side
  // shows it.
  if (assets_ != nullptr && assets_->GetCount() > 2)
    if (auto* page = dynamic_cast<TabAssetDownload*>(assets_->GetItemAt(2))) page->OnPauseAnswered();
  if (auto* page = dynamic_cast<TabPreDlcDownload*>(PreDlcPage(2))) page->OnPauseAnswered();

  if (PreDownloadSideOfDownloads()) {
    if (auto* page = dynamic_cast<TabPreDlcDownload*>(CurrentPreDlcPage())) page->SetPaused(paused == 1);
    return;
  }
  if (button_ == nullptr || assets_ == nullptr) return;
  if (auto* page = dynamic_cast<TabAssetDownload*>(CurrentAssetPage())) page->SetPaused(paused == 1);
  if (paused == 1) {
    savedTextId_ = button_->GetTextId();
    button_->SetTextId(kPaused);
  } else if (!savedTextId_.empty()) {
    button_->SetTextId(savedTextId_);
  } else {
    // Nothing was saved (no pause seen on this side): the state decides.
    RefreshGameButton();
  }
}

void MainPanels::OnConfigReloaded() {
  RefreshGameButton();
  if (TabPreDlc* current = CurrentPreDlcPage()) current->Refresh(-11);
}

void MainPanels::OnUiTick() {
  if (preDlc_ == nullptr) return;
  if (auto* current = dynamic_cast<TabPreDlcDownload*>(CurrentPreDlcPage())) {
    current->AnimateStatus();
  } else if (auto* download = dynamic_cast<TabPreDlcDownload*>(PreDlcPage(2))) {
    download->ClosePopup();
  }
}

std::optional<std::pair<uint64_t, int64_t>> MainPanels::AnswerGame(uint32_t question) {
  TabPreDlc* current = CurrentPreDlcPage();
  if (current == nullptr) return std::nullopt;
  if (question == kMsgGamePreDownloadAction) return std::make_pair(uint64_t{0}, int64_t{current->GameStateCode()});
  auto* download = dynamic_cast<TabPreDlcDownload*>(current);
  if (download == nullptr) return std::nullopt;
  if (question == kMsgGamePreDownloadProgress) {
    auto [total, done] = download->GetGameProgress();
    return std::make_pair(static_cast<uint64_t>(total), done);
  }
  if (question == kMsgGamePreDownloadState) {
    auto [seconds, speed] = download->GetGameSpeedState();
    return std::make_pair(static_cast<uint64_t>(seconds), speed);
  }
  return std::nullopt;
}

}  // namespace MainComponents
