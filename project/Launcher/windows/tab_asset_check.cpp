#include "project/Launcher/windows/tab_asset_check.h"

namespace MainComponents {

void TabAssetCheck::InitPage() {
  label_ = Find<ui::Label>(u"text_check_asset");
  progress_ = Find<ui::Progress>(u"progress");
  if (label_ != nullptr) label_->SetText(u"");
  if (progress_ != nullptr) progress_->SetValue(0);
}

void TabAssetCheck::ResetControls() {
  label_ = nullptr;
  progress_ = nullptr;
}

void TabAssetCheck::ShowCheckProgress(int32_t percent) {
  if (label_ != nullptr) label_->SetText(u"");
  if (progress_ != nullptr) progress_->SetValue(percent);
}

}  // namespace MainComponents
