#include "project/Launcher/windows/tab_pre_dlc_before.h"

#include "project/Launcher/core/flow/update_flow.h"
#include "project/Launcher/services/usage_events.h"
#include "project/Launcher/windows/pre_dlc_form.h"
#include "ui/event_args.h"

namespace MainComponents {

void TabPreDlcBefore::InitPage() {
  info_ = Find<ui::Label>(u"text_info");
  button_ = Find<ui::Button>(u"btn_download_ctrl");
  hint_ = Find<ui::Box>(u"box_hint");
  if (button_ != nullptr)
    button_->AttachClick([this](ui::EventArgs* event) { return OnDownloadClick(event); });
  if (hint_ != nullptr) {
    hint_->AttachBubbledEvent(ui::kEventClick,
                              kbase::WeakCallback<ui::EventCallback>(
                                  GetWeakFlag(), [this](ui::EventArgs* e) { return OnHintClick(e); }));
  }
  Refresh(0);
}

void TabPreDlcBefore::ResetControls() {
  info_ = nullptr;
  button_ = nullptr;
  hint_ = nullptr;
}

void TabPreDlcBefore::Refresh(int32_t) {
  if (info_ == nullptr || button_ == nullptr) return;
  button_->SetEnabled(true);
  if (context_.store->HasUnfinishedPreDownload()) {
    SetClassKeepingSize(button_, u"btn_continue_predlc");
    info_->SetTextId(u"STRING_PREDLC_CONTINUE", true);
  } else {
    SetClassKeepingSize(button_, u"btn_download_predlc");
    info_->SetTextId(u"STRING_PREDLC_BEFORE", true);
  }
}

bool TabPreDlcBefore::OnDownloadClick(ui::EventArgs*) {
  if (context_.BlockingStateRuns()) {
    ShowOccupiedMessage();
  } else if (context_.store->HasUnfinishedPreDownload()) {
    Start();
  } else {
    PreDlcForm::Open(context_.window, *context_.store,
                     kbase::WeakCallback<DialogResult::Callback>(
                         GetWeakFlag(), [this](int32_t result) { OnPreDlcFormResult(result); }));
  }
  return true;
}

void TabPreDlcBefore::OnPreDlcFormResult(int32_t result) {
  if (result == 0) return;
  if (context_.BlockingStateRuns()) {
    ShowOccupiedMessage();
    return;
  }
  Start();
  SendLauncherEvent(context_.store, "", "", "", "", "pre_install", false);
}

void TabPreDlcBefore::Start() {
  if (button_ != nullptr) button_->SetEnabled(false);
  context_.store->preDownloadRequested = true;
  StartPreDownload(*context_.store);
}

bool TabPreDlcBefore::OnHintClick(ui::EventArgs* event) {
  if (button_ == nullptr || event == nullptr) return false;
  if (ContainsPoint(event->ptMouse)) button_->Activate();
  return false;
}

}  // namespace MainComponents
