#include "project/Launcher/windows/tab_asset_download.h"

#include <cstdio>

#include "platform/text/utf_conversion.h"
#include "project/Launcher/core/store_game_services.h"
#include "project/Launcher/windows/panel_texts.h"
#include "ui/event_args.h"
#include "ui/language_table.h"

namespace MainComponents {
namespace {

std::u16string Text(const char16_t* key) { return ui::LanguageTable::GetInstance().GetText(key); }
constexpr int32_t kTurkish = 10;

}  // namespace

void TabAssetDownload::InitPage() {
  info_ = Find<ui::Label>(u"text_download_info");
  time_ = Find<ui::Label>(u"text_download_time");
  speed_ = Find<ui::Label>(u"text_download_speed");
  progress_ = Find<ui::Progress>(u"progress");
  button_ = Find<ui::Button>(u"btn_download_ctrl");
  totalBytes_ = doneBytes_ = 0;
  bytesPerSecond_ = 0;
  remainingSeconds_ = 0;
  for (ui::Label* label : {info_, time_, speed_})
    if (label != nullptr) label->SetText(u"");
  if (progress_ != nullptr) progress_->SetValue(0);
  if (button_ != nullptr)
    button_->AttachClick([this](ui::EventArgs* event) { return OnDownloadCtrlClick(event); });
}

void TabAssetDownload::ResetControls() {
  info_ = time_ = speed_ = nullptr;
  progress_ = nullptr;
  button_ = nullptr;
  totalBytes_ = doneBytes_ = 0;
  bytesPerSecond_ = 0;
  remainingSeconds_ = 0;
}

void TabAssetDownload::Refresh() {
  if (info_ != nullptr) info_->SetText(u" ");
  if (speed_ != nullptr) speed_->SetText(u"");
  if (time_ != nullptr) time_->SetTextId(u"STRING_RESOURCE_WAITING", true);
  if (button_ != nullptr) button_->SetFadeVisible(true);
  if (context_.DownloadsPaused()) {
    ShowProgressText();
    ShowSpeed();
    ShowRemainingTime();
  }
}

void TabAssetDownload::UpdateProgress(int64_t total, int64_t done) {
  if (total < done) return;
  totalBytes_ = total;
  doneBytes_ = done;
  ShowProgressText();
  const float ratio = total <= 0 ? 1.0f : static_cast<float>(done) / static_cast<float>(total);
  if (progress_ != nullptr) progress_->SetValue(static_cast<double>(ratio * 100.0f));
}

void TabAssetDownload::UpdateSpeed(int64_t bytesPerSecond, int64_t remainingSeconds) {
  bytesPerSecond_ = panel_texts::SpeedBytes(bytesPerSecond);
  remainingSeconds_ = remainingSeconds < 0 ? 0 : remainingSeconds;
  ShowProgressText();
  ShowSpeed();
  ShowRemainingTime();
}

void TabAssetDownload::ShowProgressText() {
  if (info_ == nullptr || totalBytes_ <= 0) return;
  const float ratio = static_cast<float>(doneBytes_) / static_cast<float>(totalBytes_);
  const std::u16string done = panel_texts::SizeText(static_cast<uint64_t>(doneBytes_ < 0 ? 0 : doneBytes_));
  const std::u16string total = panel_texts::SizeText(static_cast<uint64_t>(totalBytes_));
  char number[32];
  std::snprintf(number, sizeof number, "%5.2f", static_cast<double>(ratio * 100.0f));
  const std::u16string percent = platform::UTF8ToUTF16(number);
  const std::u16string sizes = u" (" + done + u"/" + total + u")";
  const std::u16string argument =
      context_.LanguageType() == kTurkish ? u"%" + percent + sizes : percent + u"%" + sizes;
  const bool launcherFlow = context_.StateType() >= 0 && context_.StateMode() == 0;
  const std::u16string format = Text(launcherFlow ? u"STRING_DOWNLOAD_LAUNCHER" : u"STRING_DOWNLOAD_ASSET");
  info_->SetText(panel_texts::WithArgument(format, argument));
}

void TabAssetDownload::ShowSpeed() {
  if (speed_ == nullptr) return;
  speed_->SetText(panel_texts::WithArgument(Text(u"STRING_DOWNLOAD_SPEED"),
                                            panel_texts::SizeText(bytesPerSecond_)));
}

void TabAssetDownload::ShowRemainingTime() {
  if (time_ == nullptr) return;
  time_->SetText(panel_texts::WithArgument(Text(u"STRING_DOWNLOAD_TIME"),
                                           panel_texts::ClockText(remainingSeconds_)));
}

void TabAssetDownload::SetPaused(bool paused) {
  if (button_ == nullptr) return;
  button_->SetEnabled(true);
  if (paused) {
    SetClassKeepingSize(button_, u"btn_continue");
    if (speed_ != nullptr)
      speed_->SetText(panel_texts::WithArgument(Text(u"STRING_DOWNLOAD_SPEED"), u"0.00KB"));
  } else {
    SetClassKeepingSize(button_, u"btn_pause");
  }
}


void TabAssetDownload::OnPauseAnswered() {
  if (button_ != nullptr) button_->SetEnabled(true);
}

void TabAssetDownload::ShowCheckProgress(int32_t percent) {
  if (button_ != nullptr) button_->SetFadeVisible(false);
  if (progress_ != nullptr) progress_->SetValue(percent);
}

bool TabAssetDownload::OnDownloadCtrlClick(ui::EventArgs* event) {
  if (event == nullptr || event->pSender != button_ || button_ == nullptr) return true;
  button_->SetEnabled(false);
  ToggleDownloadPause();
  return true;
}

}  // namespace MainComponents
