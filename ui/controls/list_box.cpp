#include "ui/controls/list_box.h"

#include <algorithm>
#include <cstdint>

#include "ui/controls/list_container_element.h"
#include "ui/layout.h"
#include "ui/scroll_bar.h"
#include "ui/window.h"

namespace ui {
ListBox::ListBox(Layout* layout) : ScrollableBox(layout) {}

ListContainerElement* ListBox::RowAt(int index) const {
  if (index < 0) return nullptr;
  return dynamic_cast<ListContainerElement*>(GetItemAt(static_cast<size_t>(index)));
}

void ListBox::RenumberFrom(size_t index) {
  for (size_t i = index; i < items_.size(); ++i) {
    if (auto* row = dynamic_cast<ListContainerElement*>(items_[i])) row->SetIndex(static_cast<int>(i));
  }
}

int ListBox::FindSelectable(int index, bool forward) const {
  const int count = GetCount();
  if (count == 0) return -1;
  index = std::clamp(index, 0, count - 1);
  auto selectable = [this](int i) {
    const ListContainerElement* row = RowAt(i);
    return row != nullptr && row->IsVisible() && row->IsEnabled();
  };
  if (forward) {
    for (int i = index; i < count; ++i) {
      if (selectable(i)) return i;
    }
    return -1;
  }
  for (int i = index; i >= 0; --i) {
    if (selectable(i)) return i;
  }
  return FindSelectable(0, true);
}

void ListBox::UnselectCurrent() {
  if (current_selection_ < 0) return;
  if (ListContainerElement* row = RowAt(current_selection_)) {
    row->SetSelectedFlag(false);
    if (row->GetWindow() != nullptr) row->FireEvent(kEventUnSelect);
    row->Invalidate();
  }
  current_selection_ = -1;
}

bool ListBox::SelectItem(int index, bool take_focus, bool trigger) {
  const int previous = current_selection_;
  UnselectCurrent();
  if (index < 0) return false;
  ListContainerElement* row = RowAt(index);
  if (row == nullptr || !row->IsVisible() || !row->IsEnabled()) return false;
  current_selection_ = index;
  row->OptionBox::Selected(true, trigger);
  EnsureVisible(row->GetPos());
  if (take_focus) row->SetFocus();
  if (GetWindow() != nullptr && trigger) {
    FireEvent(kEventSelect, static_cast<platform::WPARAM>(index),
              static_cast<platform::LPARAM>(previous));
  }
  return true;
}

void ListBox::EnsureVisible(const UiRect& rect) {
  const UiSize scroll = GetScrollPos();
  UiRect moved{rect.left - scroll.cx, rect.top - scroll.cy, rect.right - scroll.cx,
               rect.bottom - scroll.cy};
  const UiRect padding = GetLayout()->GetPadding();
  const UiRect pos = GetPos();
  UiRect view{pos.left + padding.left, pos.top + padding.top, pos.right - padding.right,
              pos.bottom - padding.bottom};
  ScrollBar* h_bar = GetHScrollBar();
  if (h_bar != nullptr && h_bar->IsVisible()) view.bottom -= h_bar->GetFixedHeight();

  const bool inside = moved.left >= view.left && moved.right <= view.right &&
                      moved.top >= view.top && moved.bottom <= view.bottom;
  if (inside) {
    if (auto* parent_row = dynamic_cast<ListContainerElement*>(GetParent())) {
      if (parent_row->GetOwner() != nullptr) parent_row->GetOwner()->EnsureVisible(moved);
    }
    return;
  }
  int dx = 0;
  if (moved.left < view.left) dx = moved.left - view.left;
  if (moved.right > view.right) dx = moved.right - view.right;
  int dy = 0;
  if (moved.top < view.top) dy = moved.top - view.top;
  if (moved.bottom > view.bottom) dy = moved.bottom - view.bottom;
  SetScrollPos(UiSize{scroll.cx + dx, scroll.cy + dy});
}

void ListBox::StopScroll() { GetScrollAnimation().Stop(); }

void ListBox::DispatchEvent(EventArgs& event) { ScrollableBox::DispatchEvent(event); }

void ListBox::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"scrollselect") {
    SetScrollSelect(value == u"true");
    return;
  }
  ScrollableBox::SetAttribute(name, value);
}

bool ListBox::ForwardMouseWhenDisabled(EventArgs& event) {
  if (IsMouseEnabled() || !IsMouseEvent(event.Type)) return false;
  if (GetParent() != nullptr) {
    GetParent()->DispatchEvent(event);
  } else {
    ScrollableBox::HandleEvent(event);
  }
  return true;
}

void ListBox::HandleEvent(EventArgs& event) {
  if (ForwardMouseWhenDisabled(event)) return;
  switch (event.Type) {
    case kEventKeyDown: {
      int target = 0;
      switch (event.chKey) {
        case kKeyEnd: target = FindSelectable(GetCount() - 1, true); break;
        case kKeyHome: target = FindSelectable(0, false); break;
        case kKeyUp: target = FindSelectable(current_selection_ - 1, false); break;
        case kKeyDown: target = FindSelectable(current_selection_ + 1, true); break;
        default: ScrollableBox::HandleEvent(event); return;
      }
      SelectItem(target, true, true);
      return;
    }
    case kEventMouseButtonDown:
    case kEventMouseButtonUp:
      return;
    case kEventMouseScrollWheel:
      if (scroll_select_) {
        const int wheel = static_cast<int>(static_cast<int64_t>(event.wParam));
        const int target = wheel > 0 ? FindSelectable(current_selection_ - 1, false)
                                     : FindSelectable(current_selection_ + 1, true);
        SelectItem(target, true, true);
        return;
      }
      break;
    default:
      break;
  }
  ScrollableBox::HandleEvent(event);
}

bool ListBox::ButtonDown(EventArgs& event) {
  (void)event;
  bool handled = false;
  if (IsEnabled()) {
    SetState(kControlStatePushed);
    SetMouseFocused(true);
    Invalidate();
    handled = true;
  }
  StopScroll();
  return handled;
}

bool ListBox::Add(Control* control) {
  if (auto* row = dynamic_cast<ListContainerElement*>(control)) {
    row->SetOwner(this);
    row->SetIndex(GetCount());
  }
  return ScrollableBox::Add(control);
}

bool ListBox::AddAt(Control* control, size_t index) {
  if (!ScrollableBox::AddAt(control, index)) return false;
  if (auto* row = dynamic_cast<ListContainerElement*>(control)) {
    row->SetOwner(this);
    row->SetIndex(static_cast<int>(index));
  }
  RenumberFrom(index + 1);
  if (current_selection_ >= static_cast<int>(index)) ++current_selection_;
  return true;
}

bool ListBox::Remove(Control* control) {
  const int index = GetItemIndex(control);
  if (index < 0) return false;
  return RemoveAt(static_cast<size_t>(index));
}

bool ListBox::RemoveAt(size_t index) {
  Control* child = GetItemAt(index);
  if (child == nullptr || !ScrollableBox::Remove(child)) return false;
  RenumberFrom(index);
  const int removed = static_cast<int>(index);
  if (removed == current_selection_) {
    if (select_next_on_remove_) {
      --current_selection_;
      SelectItem(FindSelectable(removed, false), false, true);
    } else {
      current_selection_ = -1;
    }
  } else if (removed < current_selection_) {
    --current_selection_;
  }
  return true;
}

void ListBox::RemoveAll() {
  current_selection_ = -1;
  ScrollableBox::RemoveAll();
}

bool ListBox::SetItemIndex(Control* control, size_t index) {
  const int old_index = GetItemIndex(control);
  if (old_index < 0) return false;
  if (static_cast<size_t>(old_index) == index) return true;
  if (index >= items_.size()) return false;
  Control* selected = current_selection_ >= 0 ? GetItemAt(static_cast<size_t>(current_selection_))
                                              : nullptr;
  if (!ScrollableBox::SetItemIndex(control, index)) return false;
  RenumberFrom(0);
  if (selected != nullptr) current_selection_ = GetItemIndex(selected);
  return true;
}

bool ListBox::ScrollChildToTop(Control* child) {
  if (child == nullptr || GetScrollRange().cy == 0) return false;
  const UiRect owner_pos = GetLayout()->GetOwner()->GetPos();
  const int view_top = owner_pos.top + GetLayout()->GetPadding().top;
  const int child_top = child->GetPos().top;
  if (child_top < view_top) return false;
  SetScrollPos(UiSize{GetScrollPos().cx, child_top - view_top});
  return true;
}

bool ListBox::ScrollItemToTop(Control* control) {
  return GetItemIndex(control) >= 0 && ScrollChildToTop(control);
}

bool ListBox::ScrollItemToTopByName(const std::u16string& name) {
  for (Control* child : items_) {
    if (child->GetName() == name) return ScrollChildToTop(child);
  }
  return false;
}

Control* ListBox::GetTopItem() const {
  const int limit = GetPos().top + GetLayout()->GetPadding().top + GetScrollPos().cy;
  for (Control* child : items_) {
    if (child->IsVisible() && !child->IsFloat() && child->GetPos().bottom >= limit) return child;
  }
  return nullptr;
}

}  // namespace ui
