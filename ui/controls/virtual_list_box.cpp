#include "ui/controls/virtual_list_box.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "ui/scroll_bar.h"

namespace ui {
VirtualListBox::VirtualListBox(Layout* layout)
    : ListBox(layout != nullptr ? layout : new VirtualLayout()) {}

int VirtualListBox::RowCount() const {
  return provider_ != nullptr ? std::max(provider_->GetElementCount(), 0) : 0;
}

bool VirtualListBox::IsVirtual() const {
  // Without a positive row height no row has a place: the list then stacks
  // its elements instead of dividing by the height.
  return provider_ != nullptr && element_height_ > 0 && RowCount() > GetCount();
}

int VirtualListBox::ContentHeight() const {
  const int64_t height = static_cast<int64_t>(RowCount()) * std::max(element_height_, 0);
  return static_cast<int>(std::min<int64_t>(height, std::numeric_limits<int>::max()));
}

void VirtualListBox::InitElements(int count) {
  max_elements_ = std::max(count, 0);
  const int rows = std::min(max_elements_, RowCount());
  for (int i = 0; i < rows; ++i) {
    Control* element = provider_->CreateElement();
    Add(element);
    provider_->FillElement(element, i);
  }
}

void VirtualListBox::Refresh() {
  const int rows = RowCount();
  const int before = GetCount();
  while (GetCount() > rows) RemoveAt(0);
  if (GetCount() < rows && provider_ != nullptr) {
    const int wanted = std::min(rows, std::max(max_elements_, GetCount()));
    while (GetCount() < wanted) Add(provider_->CreateElement());
  }
  if (rows <= GetCount()) {
    if (before == max_elements_) GetLayout()->ArrangeChildren(items_, GetPos());
    for (int i = 0; i < GetCount(); ++i) provider_->FillElement(GetItemAt(static_cast<size_t>(i)), i);
  } else if (rows > 0) {
    ReArrangeRows(true);
    Arrange();
  }
}

void VirtualListBox::RemoveAll() {
  ListBox::RemoveAll();
  if (ScrollBar* bar = GetVScrollBar(); bar != nullptr && bar->GetScrollPos() != 0) {
    bar->SetScrollPos(0);
    bar->Arrange();
  }
  previous_position_ = 0;
  placed_once_ = false;
}

void VirtualListBox::SetScrollPos(UiSize position) {
  previous_position_ = GetScrollPos().cy;
  ListBox::SetScrollPos(position);
  if (IsVirtual()) ReArrangeRows(false);
}

void VirtualListBox::SetPos(UiRect rect) {
  const bool unchanged = rect == GetPos();
  ListBox::SetPos(rect);
  if (!unchanged && IsVirtual()) ReArrangeRows(true);
}

void VirtualListBox::HandleEvent(EventArgs& event) {
  if (ForwardMouseWhenDisabled(event)) return;
  if (event.Type == kEventKeyDown) {
    switch (event.chKey) {
      case kKeyEnd: SetScrollPosY(GetScrollRange().cy); return;
      case kKeyHome: SetScrollPosY(0); return;
      case kKeyUp:
      case kKeyDown: OnArrowKeyDown(event.chKey); return;
      default: break;
    }
  }
  if (event.Type == kEventKeyUp && (event.chKey == kKeyUp || event.chKey == kKeyDown)) {
    OnArrowKeyUp(event.chKey);
    return;
  }
  ListBox::HandleEvent(event);
}

void VirtualListBox::PlaceElement(int element, int row, bool fill) {
  Control* control = GetItemAt(static_cast<size_t>(element));
  const UiRect pos = GetPos();
  const int top = pos.top + row * element_height_;
  control->SetPos(UiRect{pos.left, top, pos.right, top + element_height_});
  if (fill) provider_->FillElement(control, row);
}

void VirtualListBox::PlaceFromRow(int first_element, int first_row) {
  const int rows = RowCount();
  for (int k = first_element; k < GetCount(); ++k) {
    const int row = first_row + (k - first_element);
    PlaceElement(k, row, row < rows);
  }
}

void VirtualListBox::ReArrangeRows(bool forced) {
  if (!IsVirtual()) return;
  const int p = GetScrollPos().cy;
  bool full = true;
  if (!forced && !placed_once_) {
    placed_once_ = true;
  } else if (!forced) {
    if (GetCount() == 0 || GetPos().Width() <= 0) return;
    const UiRect pos = GetPos();
    if (p >= previous_position_) {
      const int last_bottom = GetItemAt(static_cast<size_t>(GetCount() - 1))->GetPos().bottom;
      if (last_bottom - pos.bottom >= p) return;
      full = false;
    } else {
      const int first_top = GetItemAt(0)->GetPos().top;
      if (p >= first_top - pos.top) return;
    }
  }
  const int first_row = p / element_height_;
  if (!full) {
    PlaceFromRow(0, first_row);
    return;
  }
  const int visible = GetPos().Height() / element_height_;
  // Fewer elements than fit into the view leave no spares rather than a
  // negative count of them.
  const int spares = std::max(GetCount() - visible - 1, 0);
  for (int j = 0; j < spares; ++j) {
    const int row = first_row - spares + j;
    PlaceElement(j, row, row >= 0);
  }
  PlaceFromRow(spares, first_row);
}

UiSize VirtualLayout::ArrangeChildren(const std::vector<Control*>& children, UiRect rect) {
  auto* list = dynamic_cast<VirtualListBox*>(GetOwner());
  if (list == nullptr || !list->IsVirtual()) return VLayout::ArrangeChildren(children, rect);
  (void)children;
  list->ReArrangeRows(false);
  return UiSize{rect.Width(), list->ContentHeight()};
}

}  // namespace ui
