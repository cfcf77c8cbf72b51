#include "ui/controls/combo.h"

#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "ui/attribute_value.h"
#include "ui/controls/c_combo_wnd.h"
#include "ui/controls/list_container_element.h"
#include "ui/dpi_manager.h"
#include "ui/global_manager.h"
#include "ui/layout.h"
#include "ui/render/i_render_context.h"
#include "ui/vlayout.h"

namespace ui {

Combo::Combo() : Box(new Layout()), list_(std::make_unique<ListBox>(new VLayout())) {
  list_->GetLayout()->SetPadding(UiRect{1, 1, 1, 1}, true);
  list_->SetAttribute(u"bordersize", u"1,1,1,1");
  list_->Invalidate();
  // Rows removed through the combo go back to the caller.
  list_->SetAutoDestroy(false);
  list_->EnableScrollBar(true, false);
  list_->ApplyAttributeList(drop_box_attributes_);
  list_->AttachEvent(kEventSelect, WrapWeak([this](EventArgs* event) { return OnSelectItem(event); }));
}

Combo::~Combo() {
  if (CComboWnd* popup = popup_) {
    popup_ = nullptr;
    popup->OnComboGone();
  }
  // The rows still in the list belong to the combo and go with it.
  list_->SetAutoDestroy(true);
  list_->SetDelayedDestroy(false);
  list_.reset();
}

int Combo::GetCount() const { return list_->GetCount(); }

bool Combo::Add(Control* control) {
  list_->Add(control);
  control->SetReceivePointer(true);
  current_selection_ = list_->GetCurSel();
  return true;
}

bool Combo::Remove(Control* control) {
  const bool removed = list_->Remove(control);
  current_selection_ = list_->GetCurSel();
  return removed;
}

bool Combo::RemoveAt(size_t index) {
  const bool removed = list_->RemoveAt(index);
  current_selection_ = list_->GetCurSel();
  return removed;
}

void Combo::RemoveAll() {
  list_->RemoveAll();
  current_selection_ = -1;
}

bool Combo::SelectItem(int index) {
  if (index < 0 || index >= list_->GetCount() || index == current_selection_) return false;
  current_selection_ = index;
  list_->SelectItem(index, false, false);
  return true;
}

void Combo::Activate() {
  if (!IsActivatable() || popup_ != nullptr) return;
  popup_ = CComboWnd::Open(this);
  std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
  FireEvent(kEventClick);
  if (alive.expired()) return;
  Invalidate();
}

void Combo::Deactivate() {
  if (popup_ == nullptr || popup_->GetHWND() == nullptr) return;
  platform::PostMessage(popup_->GetHWND(), platform::WM_KILLFOCUS, 0, 0);
}

bool Combo::OnSelectItem(EventArgs* /*event*/) {
  if (popup_ != nullptr && popup_->GetHWND() != nullptr) {
    platform::PostMessage(popup_->GetHWND(), platform::WM_KILLFOCUS, 0, 0);
  }
  current_selection_ = list_->GetCurSel();
  if (Control* row = list_->GetItemAt(static_cast<size_t>(current_selection_))) {
    row->SetHotAlpha(0);
    row->SetState(kControlStateNormal);
    row->Invalidate();
  }
  if (popup_ != nullptr) {
    FireEvent(kEventSelect, static_cast<platform::WPARAM>(current_selection_), -1);
  }
  return true;
}

void Combo::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"dropbox") {
    drop_box_attributes_ = value;
    list_->ApplyAttributeList(value);
  } else if (name == u"vscrollbar") {
    // The list always scrolls vertically.
  } else if (name == u"dropboxsize") {
    const UiSize size = ParseSizeValue(value);
    DpiManager* dpi = DpiManager::GetInstance();
    drop_box_size_ = UiSize{dpi->ScaleInt(size.cx), dpi->ScaleInt(size.cy)};
  } else if (name == u"popuptop") {
    popup_top_ = value == u"true";
  } else {
    Box::SetAttribute(name, value);
  }
}

void Combo::PaintText(IRenderContext* render) {
  if (render == nullptr || current_selection_ < 0) return;
  auto* row = dynamic_cast<ListContainerElement*>(list_->GetItemAt(static_cast<size_t>(current_selection_)));
  if (row == nullptr) return;
  const UiRect padding = row->GetTextPadding();
  const UiRect rect{rect_.left + padding.left, rect_.top + padding.top, rect_.right - padding.right,
                    rect_.bottom - padding.bottom};
  const std::u16string text = row->GetText();
  if (text.empty() || row->GetOwner() == nullptr) return;
  render->DrawText(rect, text, GlobalManager::GetTextColor(row->GetStateTextColor(kControlStateNormal)),
                   row->GetFont(), DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, 255, false);
}

}  // namespace ui
