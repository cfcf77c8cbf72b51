#include "project/Launcher/windows/tab_pre_dlc_download.h"

#include "project/Launcher/core/flow/update_flow.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/store_game_services.h"
#include "project/Launcher/windows/panel_texts.h"
#include "project/Launcher/windows/pre_dlc_popup_form.h"
#include "ui/event_args.h"
#include "ui/language_table.h"

namespace MainComponents {
namespace {

constexpr int32_t kDownloadStep = 5;

std::u16string Text(const char16_t* key) { return ui::LanguageTable::GetInstance().GetText(key); }

}  // namespace

TabPreDlcDownload::~TabPreDlcDownload() { ClosePopup(); }

void TabPreDlcDownload::InitPage() {
  title_ = Find<ui::Label>(u"text_title");
  info_ = Find<ui::Label>(u"text_info");
  progress_ = Find<ui::Progress>(u"progress");
  button_ = Find<ui::Button>(u"btn_download_ctrl");
  hint_ = Find<ui::Box>(u"box_hint");
  if (title_ != nullptr) title_->SetText(Text(u"STRING_CHECK_ASSET"));
  if (info_ != nullptr) info_->SetText(u"");
  if (progress_ != nullptr) progress_->SetValue(0);
  if (button_ != nullptr)
    button_->AttachClick([this](ui::EventArgs* event) { return OnDownloadCtrlClick(event); });
  if (hint_ != nullptr) {
    auto weak = [this](auto handler) {
      return kbase::WeakCallback<ui::EventCallback>(GetWeakFlag(), ui::EventCallback(handler));
    };
    hint_->AttachBubbledEvent(ui::kEventClick, weak([this](ui::EventArgs*) {
                                if (button_ != nullptr) button_->Activate();
                                return false;
                              }));
    hint_->AttachBubbledEvent(ui::kEventMouseEnter, weak([this](ui::EventArgs*) {
                                ShowPopup();
                                return false;
                              }));
    hint_->AttachBubbledEvent(ui::kEventMouseLeave, weak([this](ui::EventArgs*) {
                                HidePopup();
                                return false;
                              }));
  }
}

void TabPreDlcDownload::ResetControls() {
  ClosePopup();
  status_ = savedStatus_ = 0;
  title_ = info_ = nullptr;
  progress_ = nullptr;
  button_ = nullptr;
  hint_ = nullptr;
  dotPhase_ = 0;
}

bool TabPreDlcDownload::ShowsPaused() const {
  return context_.BlockingStateRuns() || context_.DownloadsPaused() || status_ < 0;
}

void TabPreDlcDownload::Refresh(int32_t status) {
  if (button_ == nullptr) return;
  if (status == -1) {
    ResetTimeAndSpeed();
    status_ = savedStatus_ = -1;
    button_->SetEnabled(true);
  } else if (status == -11) {
    ShowPercent();
  } else {
    status_ = savedStatus_ = status;
    button_->SetEnabled(true);
  }
  const bool paused = ShowsPaused();
  SetClassKeepingSize(button_, paused ? u"btn_continue_predlc" : u"btn_pause_predlc");
  ShowTitle(paused);
}

int32_t TabPreDlcDownload::GameStateCode() { return ShowsPaused() ? 2 : 3; }

std::pair<int64_t, int64_t> TabPreDlcDownload::GetGameSpeedState() const {
  if (ShowsPaused()) return {0, 0};
  return {remainingSeconds_, static_cast<int64_t>(bytesPerSecond_)};
}

void TabPreDlcDownload::SetPaused(bool paused) {
  context_.store->preDownloadPausedByUser = context_.DownloadsPaused();
  if (button_ != nullptr) button_->SetEnabled(true);
  int32_t code;
  if (paused) {
    if (button_ != nullptr) SetClassKeepingSize(button_, u"btn_continue_predlc");
    savedStatus_ = status_;
    status_ = -1;
    ShowTitle(true);
    ResetTimeAndSpeed();
    code = 2;
  } else {
    if (button_ != nullptr) SetClassKeepingSize(button_, u"btn_pause_predlc");
    status_ = savedStatus_;
    ShowTitle(false);
    code = 3;
  }
  context_.store->PostToGameWindows(kMsgPreDownloadActionReply, 0, code);
}

void TabPreDlcDownload::SetProgress(int64_t total, int64_t done) {
  totalBytes_ = total;
  doneBytes_ = done;
  if (total < done) return;
  const float ratio = total <= 0 ? 1.0f : static_cast<float>(done) / static_cast<float>(total);
  ShowPercent();
  if (progress_ != nullptr) progress_->SetValue(static_cast<double>(ratio * 100.0f));
  sizeText_ = u"(" + panel_texts::SizeText(static_cast<uint64_t>(done < 0 ? 0 : done)) + u"/" +
              panel_texts::SizeText(static_cast<uint64_t>(total < 0 ? 0 : total)) + u")";
  if (PreDlcPopupForm* shown = popup()) shown->SetSizeText(sizeText_);
}

void TabPreDlcDownload::SetSpeed(int64_t remainingSeconds, int64_t bytesPerSecond) {
  remainingSeconds_ = remainingSeconds < 0 ? 0 : remainingSeconds;
  timeText_ = panel_texts::ClockText(remainingSeconds_);
  bytesPerSecond_ = panel_texts::SpeedBytes(bytesPerSecond);
  speedText_ = panel_texts::SizeText(bytesPerSecond_) + u"/S";
  if (PreDlcPopupForm* shown = popup()) shown->SetTexts(timeText_, speedText_);
}

void TabPreDlcDownload::ShowPercent() {
  if (info_ == nullptr || totalBytes_ <= 0) return;
  info_->SetText(panel_texts::PercentText(doneBytes_, totalBytes_, context_.LanguageType()));
}

void TabPreDlcDownload::ShowTitle(bool paused) {
  if (title_ == nullptr) return;
  if (paused)
    title_->SetText(Text(u"STRING_PREDLC_PAUSE"));
  else
    title_->SetText(Text(status_ == 0 ? u"STRING_CHECK_ASSET" : u"STRING_PREDLC_DOWNLOAD"));
}

void TabPreDlcDownload::ResetTimeAndSpeed() {
  timeText_ = u"--:--:--";
  speedText_ = u"0KB/S";
  if (PreDlcPopupForm* shown = popup()) shown->SetTexts(timeText_, speedText_);
}


void TabPreDlcDownload::AnimateStatus() {
  if (ShowsPaused() || title_ == nullptr) return;
  dotPhase_ = (dotPhase_ + 1) % 4;
  static const char16_t* kDots[] = {u"", u".", u"..", u"..."};
  title_->SetText(Text(status_ == 0 ? u"STRING_CHECK_ASSET" : u"STRING_PREDLC_DOWNLOAD") +
                  kDots[dotPhase_]);
}

void TabPreDlcDownload::OnPauseAnswered() {
  if (button_ != nullptr) button_->SetEnabled(true);
}

bool TabPreDlcDownload::OnDownloadCtrlClick(ui::EventArgs*) {
  if (button_ == nullptr) return true;
  if (context_.BlockingStateRuns()) {
    ShowOccupiedMessage();
    return true;
  }
  button_->SetEnabled(false);
  if (context_.store->UiView().preDownloadStep == kDownloadStep) {
    ToggleDownloadPause();
  } else {
    context_.store->preDownloadPausedByUser = false;
    context_.store->preDownloadRequested = true;
    StartPreDownload(*context_.store);
  }
  return true;
}

void TabPreDlcDownload::ShowPopup() {
  if (popup_ != nullptr) return;
  const ui::UiRect panel = owner_ != nullptr ? owner_->GetPos() : GetPos();
  popup_ = PreDlcPopupForm::ShowAtPanel(context_.window, panel, sizeText_, timeText_, speedText_);
  if (popup_ != nullptr) popupAlive_ = popup_->GetWeakFlag();
}

void TabPreDlcDownload::HidePopup() { ClosePopup(); }

void TabPreDlcDownload::ClosePopup() {
  if (popup_ != nullptr && !popupAlive_.expired()) popup_->Close(1);
  popup_ = nullptr;
  popupAlive_.reset();
}

}  // namespace MainComponents
