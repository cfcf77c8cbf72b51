#pragma once
// The finished pre-download.

#include "project/Launcher/windows/tab_pre_dlc.h"
#include "ui/controls/label.h"

namespace MainComponents {

class TabPreDlcFinish : public TabPreDlc {
 public:
  using TabPreDlc::TabPreDlc;
  void InitPage() override {
    info_ = Find<ui::Label>(u"text_info");
    Refresh(0);
  }
  void ResetControls() override { info_ = nullptr; }
  void Refresh(int32_t) override {
    if (info_ != nullptr) info_->SetTextId(u"STRING_PREDLC_FINISH", true);
  }
  int32_t GameStateCode() override { return 4; }

 private:
  ui::Label* info_ = nullptr;
};

}  // namespace MainComponents
