#include "ui/box.h"

#include <algorithm>
#include <utility>

#include "ui/attribute_value.h"
#include "ui/window.h"

namespace ui {
namespace {

UiRect Shrink(UiRect rect, const UiRect& padding) {
  rect.left += padding.left;
  rect.top += padding.top;
  rect.right -= padding.right;
  rect.bottom -= padding.bottom;
  return rect;
}

}  // namespace

Box::Box(Layout* layout) : layout_(layout != nullptr ? layout : new Layout()) {
  layout_->SetOwner(this);
}

Box::~Box() {
  delayed_destroy_ = false;
  RemoveAll();
}

void Box::SetWindow(Window* window, Box* parent, bool init) {
  for (Control* child : items_) child->SetWindow(window, this, init);
  Control::SetWindow(window, parent, init);
}

UiSize Box::EstimateSize(UiSize available) {
  if (fixed_width_ != kSizeAuto && fixed_height_ != kSizeAuto) {
    return UiSize{fixed_width_, fixed_height_};
  }
  if (!re_estimate_size_) return estimated_size_;
  const UiRect padding = layout_->GetPadding();
  available.cx -= padding.left + padding.right;
  available.cy -= padding.top + padding.bottom;
  const UiSize needed = layout_->EstimateSizeByChildren(items_, available);
  UiSize result{fixed_width_, fixed_height_};
  if (fixed_width_ == kSizeAuto) result.cx = needed.cx;
  if (fixed_height_ == kSizeAuto) result.cy = needed.cy;
  re_estimate_size_ = false;
  for (Control* child : items_) {
    if (!child->IsVisible()) continue;
    if ((child->GetFixedWidth() == kSizeAuto || child->GetFixedHeight() == kSizeAuto) &&
        child->IsReEstimateSize()) {
      re_estimate_size_ = true;
      break;
    }
  }
  estimated_size_ = result;
  return result;
}

void Box::SetPos(UiRect rect) {
  // The control part may run a resize handler that deletes this box.
  std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
  Control::SetPos(rect);
  if (alive.expired()) return;
  if (items_.empty()) return;
  layout_->ArrangeChildren(items_, Shrink(rect_, layout_->GetPadding()));
}

void Box::SetInternalVisible(bool visible) {
  Control::SetInternalVisible(visible);
  const bool shown = IsVisible();
  for (Control* child : items_) child->SetInternalVisible(shown);
}

void Box::SetVisible(bool visible) {
  if (visible == visible_) return;
  Control::SetVisible(visible);
  const bool shown = IsVisible();
  for (Control* child : items_) child->SetInternalVisible(shown);
}

void Box::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  state_ = enabled ? kControlStateNormal : kControlStateDisabled;
  Invalidate();
  for (Control* child : items_) child->SetEnabled(enabled);
  Invalidate();
}

bool Box::CanTabFocus() const { return false; }

Control* Box::FindControl(FindControlProc proc, void* data, unsigned flags, UiPoint scroll_offset) {
  if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
  const bool hit_test = (flags & kFindHitTest) != 0;
  if (hit_test) {
    const UiPoint point = *static_cast<UiPoint*>(data);
    if (!rect_.Contains(point)) return nullptr;
    if (!mouse_child_) return Control::FindControl(proc, data, flags);
  }
  if ((flags & kFindMeFirst) != 0) {
    if (Control* found = Control::FindControl(proc, data, flags)) return found;
  }
  const UiRect inner = Shrink(rect_, layout_->GetPadding());
  const size_t count = items_.size();
  for (size_t n = 0; n < count; ++n) {
    const size_t i = (flags & kFindTopFirst) != 0 ? count - 1 - n : n;
    Control* child = items_[i];
    Control* found = nullptr;
    if (hit_test) {
      const UiPoint point = *static_cast<UiPoint*>(data);
      UiPoint shifted{point.x + scroll_offset.x, point.y + scroll_offset.y};
      found = child->FindControl(proc, &shifted, flags);
      if (found != nullptr && !child->IsFloat() && !inner.Contains(point)) found = nullptr;
    } else {
      found = child->FindControl(proc, data, flags);
    }
    if (found != nullptr) return found;
  }
  if ((flags & kFindMeFirst) == 0) return Control::FindControl(proc, data, flags);
  return nullptr;
}

void Box::DispatchEvent(EventArgs& event) {
  if (IsInternalEvent(event.Type)) {
    HandleEvent(event);
    return;
  }
  std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
  bool gone = false;
  bool result = true;
  if (event.pSender == this) {
    result = RunHandlerMaps(attached_events_, event, alive, &gone);
    if (gone) return;
    if (result) {
      result = RunHandlerMaps(xml_events_, event, alive, &gone);
      if (gone) return;
    }
  }
  // The bubbled handlers see the event whatever the box's own handlers said.
  auto exact = bubbled_events_.find(event.Type);
  if (exact != bubbled_events_.end()) {
    result = RunEventCallbacks(exact->second, &event);
    if (alive.expired()) return;
  }
  auto all = bubbled_events_.find(kEventAll);
  if (all != bubbled_events_.end()) {
    result = RunEventCallbacks(all->second, &event);
    if (alive.expired()) return;
  }
  if (!result) return;
  result = RunHandlerMaps(xml_bubbled_events_, event, alive, &gone);
  if (gone || !result) return;
  HandleEvent(event);
}

void Box::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (layout_->SetAttribute(name, value)) return;
  if (name == u"mousechild") {
    SetMouseChildEnabled(ParseBoolValue(value));
  } else {
    Control::SetAttribute(name, value);
  }
}

void Box::PaintChildren(IRenderContext* render, const UiRect& paint_rect) {
  if (!RectsMeet(paint_rect, rect_)) return;
  for (Control* child : items_) {
    if (child->IsVisible()) child->Paint(render, paint_rect);
  }
}

void Box::LoadImageCache() {
  Control::LoadImageCache();
  for (Control* child : items_) child->LoadImageCache();
}

void Box::UnloadImageCache() {
  Control::UnloadImageCache();
  for (Control* child : items_) child->UnloadImageCache();
}

void Box::ClearImageCache() {
  Control::ClearImageCache();
  for (Control* child : items_) child->ClearImageCache();
}

int Box::FindSelectable(int index, bool forward) const {
  const int count = GetCount();
  if (count == 0) return -1;
  index = std::clamp(index, 0, count - 1);
  if (forward) {
    for (int i = index; i < count; ++i) {
      if (IsSelectableRow(items_[static_cast<size_t>(i)])) return i;
    }
    return -1;
  }
  for (int i = index; i >= 0; --i) {
    if (IsSelectableRow(items_[static_cast<size_t>(i)])) return i;
  }
  return FindSelectable(0, true);
}

bool Box::IsSelectableRow(const Control* control) {
  // Only list rows can be selected, and no control of the framework core is
  // one: the list widgets bring the row class.
  (void)control;
  return false;
}

Control* Box::GetItemAt(size_t index) const {
  return index < items_.size() ? items_[index] : nullptr;
}

int Box::GetItemIndex(Control* control) const {
  auto it = std::find(items_.begin(), items_.end(), control);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

bool Box::SetItemIndex(Control* control, size_t index) {
  if (index >= items_.size()) return false;
  auto it = std::find(items_.begin(), items_.end(), control);
  if (it == items_.end()) return false;
  Arrange();
  items_.erase(it);
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), control);
  return true;
}

int Box::GetCount() const { return static_cast<int>(items_.size()); }

bool Box::Add(Control* control) { return AddAt(control, items_.size()); }

bool Box::AddAt(Control* control, size_t index) {
  if (control == nullptr || index > items_.size()) return false;
  if (window_ != nullptr) {
    control->SetWindow(window_, this, true);
    window_->RegisterNamedControls(control);
  }
  if (IsVisible()) {
    Arrange();
  } else {
    control->SetInternalVisible(false);
  }
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), control);
  return true;
}

void Box::ReleaseChild(Control* control) {
  if (!auto_destroy_) return;
  if (delayed_destroy_ && window_ != nullptr) {
    control->SetWindow(window_, nullptr, false);
    window_->AddDelayedDestroy(control);
  } else {
    delete control;
  }
}

bool Box::Remove(Control* control) {
  auto it = std::find(items_.begin(), items_.end(), control);
  if (it == items_.end()) return false;
  Arrange();
  // Out of the array first: deleting the child may reach this box again.
  items_.erase(it);
  ReleaseChild(control);
  return true;
}

bool Box::RemoveAt(size_t index) {
  Control* control = GetItemAt(index);
  return control != nullptr && Remove(control);
}

void Box::RemoveAll() {
  std::vector<Control*> items;
  items.swap(items_);
  for (Control* child : items) ReleaseChild(child);
  Arrange();
}

bool Box::IsAutoDestroy() const { return auto_destroy_; }
void Box::SetAutoDestroy(bool auto_destroy) { auto_destroy_ = auto_destroy; }
bool Box::IsDelayedDestroy() const { return delayed_destroy_; }
void Box::SetDelayedDestroy(bool delayed_destroy) { delayed_destroy_ = delayed_destroy; }
bool Box::IsMouseChildEnabled() const { return mouse_child_; }
void Box::SetMouseChildEnabled(bool enabled) { mouse_child_ = enabled; }
Layout* Box::GetLayout() const { return layout_.get(); }

void Box::SetLayout(Layout* layout) {
  layout_.reset(layout != nullptr ? layout : new Layout());
  layout_->SetOwner(this);
}

UiRect Box::GetPosWithoutPadding() const { return Shrink(rect_, layout_->GetPadding()); }

void Box::SwapChild(Control* a, Control* b) {
  auto ia = std::find(items_.begin(), items_.end(), a);
  auto ib = std::find(items_.begin(), items_.end(), b);
  if (ia == items_.end() || ib == items_.end()) return;
  std::iter_swap(ia, ib);
}

void Box::AttachBubbledEvent(int type, const EventCallback& callback) {
  bubbled_events_[type].push_back(callback);
}

void Box::AttachXmlBubbledEvent(int type, const EventCallback& callback) {
  xml_bubbled_events_[type].push_back(callback);
}

}  // namespace ui
