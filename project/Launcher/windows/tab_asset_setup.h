#pragma once
// The install page: the folder the game will be installed into and the
// button that opens the install-path dialog. Confirming the dialog checks the
// disk space, creates the folder and starts the install.

#include <cstdint>

#include "project/Launcher/windows/tab_asset.h"
#include "ui/controls/label.h"

namespace MainComponents {

class TabAssetSetup : public TabAsset {
 public:
  using TabAsset::TabAsset;
  void InitPage() override;
  void ResetControls() override;
  void Refresh() override;

  // The install-path dialog's answer (UI thread, after it closed).
  void OnSetupPathResult(int32_t result);

 private:
  bool OnSetPathClick(ui::EventArgs* event);
  void ShowGamePath();

  ui::Label* title_ = nullptr;
  ui::Label* path_ = nullptr;
};

}  // namespace MainComponents
