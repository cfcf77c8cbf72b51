#pragma once
// The main button ("btn_game") and the two page boxes of the main window:
// the install pages in "tab_assets" and the pre-download pages in
// "tab_predlc". It builds the pages, chooses the button's text, enabled
// state and install page from the update state, starts the flow a click
// asks for, and routes the worker's progress, speed, pause and check reports
// to the page that shows them. It works on any framework window whose
// layout has those controls. UI thread only.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "project/Launcher/windows/panel_context.h"
#include "ui/controls/button.h"
#include "ui/tab_box.h"

namespace MainComponents {

class TabAsset;
class TabPreDlc;

class MainPanels {
 public:
  MainPanels(LauncherStore& store, ui::Window& window);

  // Binds the controls and builds the pages (InitAssetPanels and
  // InitPreDlcPanels).
  void Attach();
  // Resets every page and empties both boxes.
  void Detach();

  void RefreshGameButton();
  bool OnGameButtonClick(ui::EventArgs* event);
  void ShowCheckProgress(int64_t percent);
  void SelectPreDlcPanel(int64_t index, int64_t value);
  void OnDownloadSpeed(uint64_t remainingSeconds, int64_t bytesPerSecond);
  void OnDownloadProgress(uint64_t total, int64_t downloaded);
  void OnDownloadPaused(int64_t paused);
  void OnConfigReloaded();
  void OnUiTick();
  // The answer to one of the game's pre-download questions, or nothing when
  // no pre-download page can answer it.
  std::optional<std::pair<uint64_t, int64_t>> AnswerGame(uint32_t question);

  ui::Button* button() const { return button_; }
  ui::TabBox* assetBox() const { return assets_; }
  ui::TabBox* preDlcBox() const { return preDlc_; }
  const std::u16string& savedTextId() const { return savedTextId_; }
  TabAsset* CurrentAssetPage() const;
  TabPreDlc* CurrentPreDlcPage() const;
  TabPreDlc* PreDlcPage(int index) const;

 private:
  void InitAssetPanels();
  void InitPreDlcPanels();
  bool Idle() const;
  bool PreDownloadSideOfDownloads() const;
  void SetButtonText(const char16_t* textId);

  PanelContext context_;
  ui::Window& window_;
  ui::Button* button_ = nullptr;
  ui::TabBox* assets_ = nullptr;
  ui::TabBox* preDlc_ = nullptr;
  std::u16string savedTextId_;
};

}  // namespace MainComponents
