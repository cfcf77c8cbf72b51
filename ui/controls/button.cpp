#include "ui/controls/button.h"

#include "ui/dpi_manager.h"
#include "ui/window.h"

namespace ui {
namespace {

constexpr char16_t kKeySpace = 32;
constexpr char16_t kKeyReturn = 13;

}  // namespace

template <typename InheritType>
ButtonTemplate<InheritType>::ButtonTemplate() {
  this->text_style_ = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS;
  UiRect padding{0, 0, 0, 5};
  DpiManager::GetInstance()->ScaleRect(&padding);
  this->SetTextPadding(padding);
}

template <typename InheritType>
bool ButtonTemplate<InheritType>::CanTabFocus() const {
  return this->IsKeyboardEnabled() && this->IsEnabled();
}

template <typename InheritType>
void ButtonTemplate<InheritType>::HandleEvent(EventArgs& event) {
  if (!this->IsMouseEnabled() && IsMouseEvent(event.Type)) {
    if (this->parent_ != nullptr) {
      this->parent_->DispatchEvent(event);
    } else {
      Control::HandleEvent(event);
    }
    return;
  }
  if (event.Type == kEventKeyDown && this->IsKeyboardEnabled()) {
    if (event.chKey == kKeySpace || event.chKey == kKeyReturn) {
      this->Activate();
      return;
    }
  }
  if (event.Type == kEventInternalMenu) {
    if (this->IsContextMenuUsed()) {
      this->FireEvent(kEventMouseMenu, event.wParam, event.lParam);
    }
    return;
  }
  InheritType::HandleEvent(event);
}

template class ButtonTemplate<Control>;
template class ButtonTemplate<Box>;

}  // namespace ui
