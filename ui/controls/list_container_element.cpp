#include "ui/controls/list_container_element.h"

#include "ui/window.h"

namespace ui {
namespace {

constexpr char16_t kKeyReturn = 13;

}  // namespace

ListContainerElement::ListContainerElement() {
  text_style_ = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS;
  SetReceivePointer(false);
}

void ListContainerElement::SetFadeVisible(bool visible) {
  OptionBox::SetFadeVisible(visible);
  if (!IsVisible() && selected_) {
    selected_ = false;
    if (owner_ != nullptr) owner_->SelectItem(-1, false, true);
  }
}

void ListContainerElement::Selected(bool select, bool trigger) {
  if (!IsEnabled() || !select || owner_ == nullptr) return;
  owner_->SelectItem(list_index_, false, trigger);
}

void ListContainerElement::HandleEvent(EventArgs& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
    if (owner_ != nullptr) {
      owner_->HandleEvent(event);
    } else {
      Control::HandleEvent(event);
    }
    return;
  }
  if (event.Type == kEventInternalDoubleClick) {
    if (IsActivatable() && GetWindow() != nullptr) FireEvent(kEventMouseDoubleClick);
    return;
  }
  if (event.Type == kEventKeyDown && IsEnabled() && event.chKey == kKeyReturn) {
    if (IsActivatable() && GetWindow() != nullptr) FireEvent(kEventReturn);
    return;
  }
  if (event.Type == kEventInternalMenu && IsEnabled()) {
    Selected(true, true);
    Window* window = GetWindow();
    FireEvent(kEventMouseMenu, 0, 0, 0, window != nullptr ? window->GetLastMousePos() : UiPoint{});
    Invalidate();
    return;
  }
  OptionBox::HandleEvent(event);
}

}  // namespace ui
