#pragma once
// The pre-download offer: Download (with the confirmation dialog) or
// Continue an interrupted pre-download at once.

#include <cstdint>

#include "project/Launcher/windows/tab_pre_dlc.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"

namespace MainComponents {

class TabPreDlcBefore : public TabPreDlc {
 public:
  using TabPreDlc::TabPreDlc;
  void InitPage() override;
  void ResetControls() override;
  void Refresh(int32_t status) override;
  int32_t GameStateCode() override { return 1; }

  void OnPreDlcFormResult(int32_t result);

 private:
  bool OnDownloadClick(ui::EventArgs* event);
  bool OnHintClick(ui::EventArgs* event);
  void Start();

  ui::Label* info_ = nullptr;
  ui::Button* button_ = nullptr;
  ui::Box* hint_ = nullptr;
};

}  // namespace MainComponents
