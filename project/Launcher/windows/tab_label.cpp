#include "project/Launcher/windows/tab_label.h"

#include "project/Launcher/windows/find_sub_control.h"

namespace MainComponents {

void TabLabel::Init() {
  tab_name_ = dynamic_cast<ui::Label*>(FindSubControl(this, u"tab_name"));
  tab_line_ = FindSubControl(this, u"tab_line");
  AttachEvent(ui::kEventMouseEnter, WrapWeak([this](ui::EventArgs* event) { return OnMouseEnter(event); }));
  AttachEvent(ui::kEventMouseLeave, WrapWeak([this](ui::EventArgs* event) { return OnMouseLeave(event); }));
}

void TabLabel::ShowCurrent(bool current) {
  if (current) Selected(true, false);
  if (tab_name_ != nullptr) tab_name_->SetEnabled(!current);
  if (tab_line_ != nullptr) tab_line_->SetFadeVisible(current);
}

bool TabLabel::OnMouseEnter(ui::EventArgs* /*event*/) {
  if (tab_name_ != nullptr) {
    tab_name_->SetState(ui::kControlStateHot);
    tab_name_->SetHotAlpha(255);
    tab_name_->Invalidate();
  }
  return false;
}

bool TabLabel::OnMouseLeave(ui::EventArgs* /*event*/) {
  if (IsSelected() || tab_name_ == nullptr) return false;
  tab_name_->SetState(ui::kControlStateNormal);
  tab_name_->SetHotAlpha(0);
  tab_name_->Invalidate();
  return false;
}

}  // namespace MainComponents
