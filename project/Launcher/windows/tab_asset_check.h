#pragma once
// The file-check page: the check's progress.

#include <cstdint>

#include "project/Launcher/windows/tab_asset.h"
#include "ui/controls/label.h"
#include "ui/controls/progress.h"

namespace MainComponents {

class TabAssetCheck : public TabAsset {
 public:
  using TabAsset::TabAsset;
  void InitPage() override;
  void ResetControls() override;
  void ShowCheckProgress(int32_t percent);

 private:
  ui::Label* label_ = nullptr;
  ui::Progress* progress_ = nullptr;
};

}  // namespace MainComponents
