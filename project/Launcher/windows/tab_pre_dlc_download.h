#pragma once
// The running pre-download: checking or downloading with animated dots, the
// percent and a thin bar, pause/continue, and a pop-up with sizes, time and
// speed while the mouse is over the hint box. Speeds are 64-bit; negative
// reports show as 0.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "project/Launcher/windows/tab_pre_dlc.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"
#include "ui/controls/progress.h"

class PreDlcPopupForm;

namespace MainComponents {

class TabPreDlcDownload : public TabPreDlc {
 public:
  using TabPreDlc::TabPreDlc;
  ~TabPreDlcDownload() override;
  void InitPage() override;
  void ResetControls() override;
  void Refresh(int32_t status) override;
  int32_t GameStateCode() override;

  void SetProgress(int64_t total, int64_t done);
  void SetSpeed(int64_t remainingSeconds, int64_t bytesPerSecond);
  void SetPaused(bool paused);
  void AnimateStatus();
  void ClosePopup();
  // The worker answered a pause toggle: the button takes clicks again.
  void OnPauseAnswered();

  // What the game asks: (total, done) and (seconds, bytes per second).
  std::pair<int64_t, int64_t> GetGameProgress() const { return {totalBytes_, doneBytes_}; }
  std::pair<int64_t, int64_t> GetGameSpeedState() const;

  void ShowPopup();
  void HidePopup();
  PreDlcPopupForm* popup() const { return popupAlive_.expired() ? nullptr : popup_; }
  int32_t status() const { return status_; }
  const std::u16string& sizeText() const { return sizeText_; }
  const std::u16string& timeText() const { return timeText_; }
  const std::u16string& speedText() const { return speedText_; }

 private:
  bool OnDownloadCtrlClick(ui::EventArgs* event);
  bool ShowsPaused() const;
  void ShowPercent();
  void ShowTitle(bool paused);
  void ResetTimeAndSpeed();

  int32_t status_ = 0;
  int32_t savedStatus_ = 0;
  ui::Label* title_ = nullptr;
  ui::Label* info_ = nullptr;
  ui::Progress* progress_ = nullptr;
  ui::Button* button_ = nullptr;
  ui::Box* hint_ = nullptr;
  PreDlcPopupForm* popup_ = nullptr;
  std::weak_ptr<kbase::WeakFlag> popupAlive_;  // the pop-up deletes itself when closed
  int32_t dotPhase_ = 0;
  std::u16string sizeText_ = u"(--/--)";
  std::u16string timeText_ = u"--:--:--";
  std::u16string speedText_ = u"0KB/S";
  int64_t totalBytes_ = 0;
  int64_t doneBytes_ = 0;
  int64_t remainingSeconds_ = 0;
  uint64_t bytesPerSecond_ = 0;
};

}  // namespace MainComponents
