#pragma once
// The download page: percent and sizes, remaining time, speed, a progress
// bar and the pause/continue button. Sizes and speeds are 64-bit all the
// way; a negative speed or time report shows as 0.

#include <cstdint>

#include "project/Launcher/windows/tab_asset.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"
#include "ui/controls/progress.h"

namespace MainComponents {

class TabAssetDownload : public TabAsset {
 public:
  using TabAsset::TabAsset;
  void InitPage() override;
  void ResetControls() override;
  void Refresh() override;

  void UpdateProgress(int64_t total, int64_t done);
  void UpdateSpeed(int64_t bytesPerSecond, int64_t remainingSeconds);
  void SetPaused(bool paused);
  void ShowCheckProgress(int32_t percent);
  // The worker answered a pause toggle, whichever side the answer is shown
  // on: the button takes clicks again.
  void OnPauseAnswered();

  void ShowProgressText();
  void ShowSpeed();
  void ShowRemainingTime();

 private:
  bool OnDownloadCtrlClick(ui::EventArgs* event);

  ui::Label* info_ = nullptr;
  ui::Label* time_ = nullptr;
  ui::Label* speed_ = nullptr;
  ui::Progress* progress_ = nullptr;
  ui::Button* button_ = nullptr;
  int64_t totalBytes_ = 0;
  int64_t doneBytes_ = 0;
  uint64_t bytesPerSecond_ = 0;
  int64_t remainingSeconds_ = 0;
};

}  // namespace MainComponents
