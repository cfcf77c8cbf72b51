#include "project/Launcher/windows/scroll_dot.h"

#include "project/Launcher/windows/find_sub_control.h"

namespace MainComponents {

void ScrollDot::Init() { btn_dot_ = FindSubControl(this, u"btn_dot"); }

void ScrollDot::ShowCurrent(bool current) {
  if (current) Selected(true, false);
  if (btn_dot_ != nullptr) btn_dot_->SetEnabled(!current);
}

}  // namespace MainComponents
