#include "ui/scrollable_box.h"

#include <algorithm>
#include <cstdlib>

#include "platform/window/window_messages.h"
#include "ui/attribute_value.h"
#include "ui/auto_clip.h"
#include "ui/dpi_manager.h"
#include "ui/global_manager.h"
#include "ui/render/i_render_context.h"
#include "ui/scroll_bar.h"
#include "ui/window.h"

namespace ui {

namespace {

UiRect Offset(UiRect rect, int dx, int dy) {
  rect.left += dx;
  rect.right += dx;
  rect.top += dy;
  rect.bottom += dy;
  return rect;
}

bool HasRange(const ScrollBar* bar) { return bar != nullptr && bar->GetScrollRange() != 0; }

// Every box shares one first-paint image check, as every box starts with
// all images loaded.
bool g_first_paint_checked = false;

}  // namespace

ScrollableBox::ScrollableBox(Layout* layout) : Box(layout) {}

ScrollableBox::~ScrollableBox() {
  scroll_animation_.Stop();
  bounce_animation_.Stop();
}

void ScrollableBox::SetWindow(Window* window, Box* parent, bool init) {
  if (v_bar_) v_bar_->SetWindow(window, this, false);
  if (h_bar_) h_bar_->SetWindow(window, this, false);
  Box::SetWindow(window, parent, init);
}

// Keeps the box's scroll state, which painting, hit testing and invalidation
// of the children read, in step with the bars.
void ScrollableBox::SyncScrollState() {
  vertical_scroll_range_ = HasRange(v_bar_.get());
  horizontal_scroll_range_ = HasRange(h_bar_.get());
  scroll_offset_ = GetScrollPos();
}

UiRect ScrollableBox::ContentRect() const { return GetPosWithoutPadding(); }

void ScrollableBox::SetPos(UiRect rect) {
  const bool at_end = hold_end_ && HasRange(v_bar_.get()) && v_bar_->GetScrollPos() == v_bar_->GetScrollRange();
  ArrangeAndUpdateScrollBars(rect);
  if (at_end && HasRange(v_bar_.get())) EndDown(false, false);
}

void ScrollableBox::ArrangeAndUpdateScrollBars(UiRect rect) {
  std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
  Control::SetPos(rect);
  if (alive.expired()) return;
  const UiSize needed = CalcRequiredSize(ContentRect());
  ProcessVScrollBar(rect_, needed.cy);
  ProcessHScrollBar(rect_, needed.cx);
  SyncScrollState();
}

UiSize ScrollableBox::CalcRequiredSize(UiRect content_rect) {
  if (items_.empty()) return UiSize{};
  if (!scroll_bar_float_) {
    if (HasRange(v_bar_.get())) content_rect.right -= v_bar_->GetFixedWidth();
    if (HasRange(h_bar_.get())) content_rect.bottom -= h_bar_->GetFixedHeight();
  }
  const UiSize needed = layout_->ArrangeChildren(items_, content_rect);
  child_offsets_.clear();
  if (HasRange(v_bar_.get())) RebuildChildOffsets(true);
  if (HasRange(h_bar_.get())) RebuildChildOffsets(false);
  return needed;
}

void ScrollableBox::RebuildChildOffsets(bool vertical) {
  child_offsets_.clear();
  int offset = 0;
  const int margin = layout_->GetChildMargin();
  for (size_t i = 0; i < items_.size(); ++i) {
    child_offsets_.push_back(offset);
    const UiRect pos = items_[i]->GetPos();
    offset += (vertical ? pos.Height() : pos.Width()) + margin;
  }
}

void ScrollableBox::ProcessVScrollBar(UiRect rect, int needed_height) {
  if (!v_bar_) return;
  const UiRect padding = layout_->GetPadding();
  const UiRect place{rect.right - scroll_bar_padding_.right - v_bar_->GetFixedWidth(),
                     rect.top + scroll_bar_padding_.top, rect.right - scroll_bar_padding_.right,
                     rect.bottom - scroll_bar_padding_.bottom};
  ProcessScrollBar(v_bar_.get(), rect.Height() - padding.top - padding.bottom, needed_height, place);
}

void ScrollableBox::ProcessHScrollBar(UiRect rect, int needed_width) {
  if (!h_bar_) return;
  const UiRect padding = layout_->GetPadding();
  const UiRect place{rect.left + scroll_bar_padding_.left,
                     rect.bottom - scroll_bar_padding_.bottom - h_bar_->GetFixedHeight(),
                     rect.right - scroll_bar_padding_.right, rect.bottom - scroll_bar_padding_.bottom};
  ProcessScrollBar(h_bar_.get(), rect.Width() - padding.left - padding.right, needed_width, place);
}

// One bar against the content along its axis: a first overflow gives the bar
// its range and lays the box out again around it; a changed overflow changes
// the range; content that fits hides the bar.
void ScrollableBox::ProcessScrollBar(ScrollBar* bar, int available, int needed, const UiRect& place) {
  const int diff = needed - available;
  if (available < needed && bar->GetScrollRange() == 0) {
    bar->SetScrollRange(diff);
    bar->SetScrollPos(0);
    SyncScrollState();
    rearranging_ = true;
    SetPos(rect_);
    rearranging_ = false;
    return;
  }
  if (bar->GetScrollRange() == 0) return;
  if (diff > 0 || rearranging_) {
    bar->SetPos(place);
    if (bar->GetScrollRange() == diff) return;
    const int64_t old_position = bar->GetScrollPos();
    bar->SetScrollRange(std::abs(diff));
    if (bar->GetScrollRange() == 0) bar->SetScrollPos(0);
    if (bar->GetScrollPos() >= old_position) return;
  } else {
    bar->SetScrollPos(0);
    bar->SetScrollRange(0);
    bar->SetVisible(false);
  }
  SyncScrollState();
  SetPos(rect_);
}

UiSize ScrollableBox::GetScrollPos() const {
  UiSize pos;
  if (v_bar_) pos.cy = static_cast<int>(v_bar_->GetScrollPos());
  if (h_bar_) pos.cx = static_cast<int>(h_bar_->GetScrollPos());
  return pos;
}

UiSize ScrollableBox::GetScrollRange() const {
  UiSize range;
  if (v_bar_) range.cy = static_cast<int>(v_bar_->GetScrollRange());
  if (h_bar_) range.cx = static_cast<int>(h_bar_->GetScrollRange());
  return range;
}

void ScrollableBox::SetScrollPos(UiSize position) {
  const UiSize range = GetScrollRange();
  if (position.cy < 0 || position.cy > range.cy) {
    position.cy = std::clamp(position.cy, 0, std::max(range.cy, 0));
    scroll_animation_.Stop();
  }
  const UiSize old = GetScrollPos();
  if (HasRange(v_bar_.get())) v_bar_->SetScrollPos(position.cy);
  if (HasRange(h_bar_.get())) h_bar_->SetScrollPos(std::clamp(position.cx, 0, std::max(range.cx, 0)));
  const UiSize now = GetScrollPos();
  const int dy = now.cy - old.cy;
  const int dx = now.cx - old.cx;
  if (dx == 0 && dy == 0) return;
  SyncScrollState();
  UpdateImageCacheWindow(dy);
  Invalidate();
  DispatchScrollChange();
}

void ScrollableBox::DispatchScrollChange() {
  if (window_ == nullptr || scroll_change_suppressed_) return;
  EventArgs event;
  event.Type = kEventScrollChange;
  event.pSender = this;
  event.ptMouse = window_->GetLastMousePos();
  DispatchEvent(event);
}

// Children near the view keep their decoded images; far ones let them go.
void ScrollableBox::UpdateImageCacheWindow(int direction) {
  const UiSize pos = GetScrollPos();
  const UiPoint offset = GetRenderOffset();
  UiRect area = Offset(rect_, pos.cx + offset.x, pos.cy + offset.y);
  area.top -= kImageCacheMargin;
  area.bottom += kImageCacheMargin;
  const size_t count = items_.size();
  for (size_t n = 0; n < count; ++n) {
    Control* child = items_[direction > 0 ? n : count - 1 - n];
    if (!child->IsVisible() || child->IsFloat()) continue;
    if (RectsMeet(child->GetPos(), area)) {
      child->LoadImageCache();
    } else {
      child->UnloadImageCache();
    }
  }
}

void ScrollableBox::SetScrollPosY(int y) { SetScrollPos(UiSize{GetScrollPos().cx, y}); }
void ScrollableBox::SetScrollPosX(int x) { SetScrollPos(UiSize{x, GetScrollPos().cy}); }
void ScrollableBox::OnVScrollAnimationDone() { scroll_change_suppressed_ = false; }
void ScrollableBox::OnHScrollAnimationDone() { scroll_change_suppressed_ = false; }

// Consecutive steps while one runs add to its end value, so quick wheel
// notches add up instead of restarting from the current position.
void ScrollableBox::AnimateLine(bool vertical, int end_value) {
  const int current = vertical ? GetScrollPos().cy : GetScrollPos().cx;
  scroll_animation_.SetStartValue(current);
  scroll_animation_.SetEndValue(end_value);
  scroll_animation_.SetSpeedUpRatio(0);
  scroll_animation_.SetSpeedDownRatio(0.5);
  scroll_animation_.SetSlowDownAcceleration(-0.012);
  scroll_animation_.SetTotalMillSeconds(-1);
  if (vertical) {
    scroll_animation_.SetCallback(WrapWeak([this](int value) { SetScrollPosY(value); }));
    scroll_animation_.SetCompleteCallback(WrapWeak([this] { OnVScrollAnimationDone(); }));
  } else {
    scroll_animation_.SetCallback(WrapWeak([this](int value) { SetScrollPosX(value); }));
    scroll_animation_.SetCompleteCallback(WrapWeak([this] { OnHScrollAnimationDone(); }));
  }
  scroll_animation_.Restart();
}

// A line back (-1) or forward (+1) along one axis; -1 as the amount means
// the axis' scroll unit.
void ScrollableBox::LineStep(bool vertical, int direction, int amount, bool animated) {
  if (amount == -1) amount = vertical ? ver_scroll_unit_ : hor_scroll_unit_;
  const UiSize now = GetScrollPos();
  const int pos = vertical ? now.cy : now.cx;
  if (direction < 0 && pos < 1) return;
  if (direction > 0 && pos >= (vertical ? GetScrollRange().cy : GetScrollRange().cx)) return;
  if (!animated) {
    const int target = direction < 0 ? std::max(pos - amount, 0) : pos + amount;
    SetScrollPos(vertical ? UiSize{now.cx, target} : UiSize{target, now.cy});
    return;
  }
  int end = pos + direction * amount;
  const int running_end = scroll_animation_.GetEndValue();
  if (scroll_animation_.IsPlaying() && (direction < 0 ? running_end <= pos : running_end >= pos)) {
    end = running_end + direction * amount;
  }
  AnimateLine(vertical, end);
}

void ScrollableBox::LineUp(int amount, bool animated) { LineStep(true, -1, amount, animated); }
void ScrollableBox::LineDown(int amount, bool animated) { LineStep(true, 1, amount, animated); }
void ScrollableBox::LineLeft(int amount, bool animated) { LineStep(false, -1, amount, animated); }
void ScrollableBox::LineRight(int amount, bool animated) { LineStep(false, 1, amount, animated); }

int ScrollableBox::VerticalPage() const {
  const UiRect padding = layout_->GetPadding();
  int page = rect_.Height() - padding.top - padding.bottom;
  if (HasRange(h_bar_.get())) page -= h_bar_->GetFixedHeight();
  return page;
}

int ScrollableBox::HorizontalPage() const {
  const UiRect padding = layout_->GetPadding();
  return rect_.Width() - padding.left - padding.right;
}

void ScrollableBox::PageUp() { SetScrollPos(UiSize{GetScrollPos().cx, GetScrollPos().cy - VerticalPage()}); }
void ScrollableBox::PageDown() { SetScrollPos(UiSize{GetScrollPos().cx, GetScrollPos().cy + VerticalPage()}); }
void ScrollableBox::PageLeft() { SetScrollPos(UiSize{GetScrollPos().cx - HorizontalPage(), GetScrollPos().cy}); }
void ScrollableBox::PageRight() { SetScrollPos(UiSize{GetScrollPos().cx + HorizontalPage(), GetScrollPos().cy}); }

void ScrollableBox::HomeUp() { SetScrollPos(UiSize{GetScrollPos().cx, 0}); }
void ScrollableBox::HomeLeft() { SetScrollPos(UiSize{0, GetScrollPos().cy}); }
void ScrollableBox::EndRight() { SetScrollPos(UiSize{GetScrollRange().cx, GetScrollPos().cy}); }

void ScrollableBox::EndDown(bool arrange, bool bounce) {
  if (arrange) ArrangeAndUpdateScrollBars(rect_);
  if (bounce && HasRange(v_bar_.get())) {
    const int range = GetScrollRange().cy;
    const int remaining = bounce_animation_.GetEndValue() + range - GetRenderOffset().y - GetScrollPos().cy;
    if (remaining > 0) {
      bounce_animation_.SetStartValue(-remaining);
      bounce_animation_.SetEndValue(0);
      bounce_animation_.SetSpeedUpRatio(0.3);
      bounce_animation_.SetSpeedUpAcceleration(0.003);
      bounce_animation_.SetSpeedDownRatio(0.7);
      bounce_animation_.SetTotalMillSeconds(-1);
      bounce_animation_.SetMaxTotalMillSeconds(kBounceMaxMillSeconds);
      bounce_animation_.SetCallback(WrapWeak([this](int value) { SetRenderOffsetY(value); }));
      bounce_animation_.Restart();
    }
  }
  SetScrollPos(UiSize{GetScrollPos().cx, GetScrollRange().cy});
}

void ScrollableBox::ScrollUpBy(int amount) {
  const UiSize pos = GetScrollPos();
  if (pos.cy < 1) return;
  SetScrollPos(UiSize{pos.cx, pos.cy - amount});
}

void ScrollableBox::ScrollDownBy(int amount) {
  const UiSize pos = GetScrollPos();
  if (pos.cy >= GetScrollRange().cy) return;
  SetScrollPos(UiSize{pos.cx, pos.cy + amount});
}

std::unique_ptr<ScrollBar> ScrollableBox::MakeBar(bool horizontal) {
  auto bar = std::make_unique<ScrollBar>();
  bar->SetVisible(false);
  bar->SetScrollRange(0);
  bar->SetOwner(this);
  bar->SetWindow(window_, nullptr, false);
  bar->SetClass(horizontal ? u"hscrollbar" : u"vscrollbar");
  if (horizontal) {
    bar->SetHorizontal(true);
    if (bar->GetFixedHeight() == 0) {
      bar->SetFixedWidth(0, false, false);
      bar->SetFixedHeight(ScrollBar::kDefaultThickness, false);
    }
  }
  return bar;
}

void ScrollableBox::EnableScrollBar(bool vertical, bool horizontal) {
  if (vertical && !v_bar_) {
    v_bar_ = MakeBar(false);
  } else if (!vertical && v_bar_) {
    v_bar_.reset();
  }
  if (horizontal && !h_bar_) {
    h_bar_ = MakeBar(true);
  } else if (!horizontal && h_bar_) {
    h_bar_.reset();
  }
  SyncScrollState();
  Arrange();
}

ScrollBar* ScrollableBox::GetVScrollBar() const { return v_bar_.get(); }
ScrollBar* ScrollableBox::GetHScrollBar() const { return h_bar_.get(); }

void ScrollableBox::SetMouseEnabled(bool enabled) {
  if (v_bar_) v_bar_->SetMouseEnabled(enabled);
  if (h_bar_) h_bar_->SetMouseEnabled(enabled);
  Box::SetMouseEnabled(enabled);
}

Control* ScrollableBox::FindControl(FindControlProc proc, void* data, unsigned flags, UiPoint scroll_offset) {
  if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
  if ((flags & kFindHitTest) != 0) {
    if (!rect_.Contains(*static_cast<UiPoint*>(data))) return nullptr;
    if (!mouse_child_) {
      Control* found = nullptr;
      if (v_bar_) found = v_bar_->FindControl(proc, data, flags);
      if (found == nullptr && h_bar_) found = h_bar_->FindControl(proc, data, flags);
      if (found == nullptr) found = Control::FindControl(proc, data, flags);
      return found;
    }
  }
  if (v_bar_) {
    if (Control* found = v_bar_->FindControl(proc, data, flags)) return found;
  }
  if (h_bar_) {
    if (Control* found = h_bar_->FindControl(proc, data, flags)) return found;
  }
  (void)scroll_offset;
  const UiSize pos = GetScrollPos();
  return Box::FindControl(proc, data, flags, UiPoint{pos.cx, pos.cy});
}

void ScrollableBox::SetAttribute(const std::u16string& name, const std::u16string& value) {
  DpiManager* dpi = DpiManager::GetInstance();
  if (name == u"vscrollbar") {
    EnableScrollBar(value == u"true", h_bar_ != nullptr);
  } else if (name == u"vscrollbarstyle") {
    EnableScrollBar(true, h_bar_ != nullptr);
    v_bar_->ApplyAttributeList(value);
  } else if (name == u"hscrollbar") {
    EnableScrollBar(v_bar_ != nullptr, value == u"true");
  } else if (name == u"hscrollbarstyle") {
    EnableScrollBar(v_bar_ != nullptr, true);
    h_bar_->ApplyAttributeList(value);
  } else if (name == u"scrollbarpadding") {
    UiRect padding = ParseRectValue(value);
    dpi->ScaleRect(&padding);
    scroll_bar_padding_ = padding;
  } else if (name == u"vscrollunit") {
    ver_scroll_unit_ = dpi->ScaleInt(ParseIntValue(value));
  } else if (name == u"hscrollunit") {
    hor_scroll_unit_ = dpi->ScaleInt(ParseIntValue(value));
  } else if (name == u"scrollbarfloat") {
    scroll_bar_float_ = ParseBoolValue(value);
  } else if (name == u"defaultdisplayscrollbar") {
    default_display_scroll_bar_ = ParseBoolValue(value);
  } else if (name == u"holdend") {
    hold_end_ = ParseBoolValue(value);
  } else {
    Box::SetAttribute(name, value);
  }
}

void ScrollableBox::PaintChildren(IRenderContext* render, const UiRect& paint_rect) {
  if (!RectsMeet(paint_rect, rect_)) return;
  if (!g_first_paint_checked) {
    g_first_paint_checked = true;
    UpdateImageCacheWindow(1);
  }
  const UiSize pos = GetScrollPos();
  const UiPoint render_offset = GetRenderOffset();
  const UiRect content = ContentRect();
  for (Control* child : items_) {
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      child->Paint(render, paint_rect);
      continue;
    }
    AutoClip clip(render, content);
    const UiPoint old_origin = render->OffsetWindowOrg(UiPoint{pos.cx, pos.cy});
    child->Paint(render, Offset(content, pos.cx + render_offset.x, pos.cy + render_offset.y));
    render->SetWindowOrg(old_origin);
  }
  if (h_bar_ && h_bar_->IsVisible()) h_bar_->Paint(render, paint_rect);
  if (v_bar_ && v_bar_->IsVisible()) v_bar_->Paint(render, paint_rect);
}

void ScrollableBox::ClearImageCache() {
  Box::ClearImageCache();
  if (v_bar_) v_bar_->ClearImageCache();
  if (h_bar_) h_bar_->ClearImageCache();
}

bool ScrollableBox::HandleVerticalInput(EventArgs& event) {
  switch (event.Type) {
    case kEventKeyDown:
      if (!IsKeyboardEnabled()) return false;
      switch (event.chKey) {
        case platform::VK_PRIOR: PageUp(); return true;
        case platform::VK_NEXT: PageDown(); return true;
        case platform::VK_END: EndDown(true, true); return true;
        case platform::VK_HOME: HomeUp(); return true;
        case platform::VK_UP: LineUp(ver_scroll_unit_, true); return true;
        case platform::VK_DOWN: LineDown(ver_scroll_unit_, true); return true;
        default: return false;
      }
    case kEventMouseScrollWheel: {
      if (!wheel_enabled_) return false;
      const int delta = static_cast<int>(static_cast<platform::LPARAM>(event.wParam));
      if (delta >= 1) {
        LineUp(delta, true);
      } else {
        LineDown(-delta, true);
      }
      return true;
    }
    case kEventTouchDown:
    case kEventPointDown:
      if (!IsEnabled()) return false;
      SetMouseFocused(true);
      drag_point_ = event.ptMouse;
      return true;
    case kEventTouchMove:
    case kEventPointMove: {
      if (!IsMouseFocused()) return false;
      const int dy = event.ptMouse.y - drag_point_.y;
      if (dy == 0) return true;
      drag_point_ = event.ptMouse;
      if (dy >= 1) {
        ScrollUpBy(dy);
      } else {
        ScrollDownBy(-dy);
      }
      return true;
    }
    case kEventTouchUp:
    case kEventPointUp:
      if (!IsMouseFocused()) return false;
      SetMouseFocused(false);
      drag_point_ = event.ptMouse;
      return true;
    default:
      return false;
  }
}

bool ScrollableBox::HandleHorizontalInput(EventArgs& event) {
  switch (event.Type) {
    case kEventKeyDown:
      if (!IsKeyboardEnabled()) return false;
      switch (event.chKey) {
        case platform::VK_PRIOR: PageLeft(); return true;
        case platform::VK_NEXT: PageRight(); return true;
        case platform::VK_END: EndRight(); return true;
        case platform::VK_HOME: HomeLeft(); return true;
        case platform::VK_UP: LineLeft(hor_scroll_unit_, true); return true;
        case platform::VK_DOWN: LineRight(hor_scroll_unit_, true); return true;
        default: return false;
      }
    case kEventMouseScrollWheel: {
      if (!wheel_enabled_) return false;
      const int delta = static_cast<int>(static_cast<platform::LPARAM>(event.wParam));
      if (delta >= 1) {
        LineLeft(delta, true);
      } else {
        LineRight(-delta, true);
      }
      return true;
    }
    default:
      return false;
  }
}

void ScrollableBox::HandleEvent(EventArgs& event) {
  if (!mouse_enabled_ && IsMouseEvent(event.Type)) {
    if (parent_ != nullptr) parent_->DispatchEvent(event);
    return;
  }
  if (HasRange(v_bar_.get()) && v_bar_->IsEnabled()) {
    if (HandleVerticalInput(event)) return;
  } else if (HasRange(h_bar_.get()) && h_bar_->IsEnabled()) {
    if (HandleHorizontalInput(event)) return;
  }
  Box::HandleEvent(event);
}

bool ScrollableBox::MouseEnter(EventArgs& event) {
  if (!Box::MouseEnter(event)) return false;
  for (ScrollBar* bar : {v_bar_.get(), h_bar_.get()}) {
    if (HasRange(bar) && bar->IsEnabled() && bar->IsAutoHideScroll()) bar->SetFadeVisible(true);
  }
  return true;
}

bool ScrollableBox::MouseLeave(EventArgs& event) {
  if (!Box::MouseLeave(event)) return false;
  for (ScrollBar* bar : {v_bar_.get(), h_bar_.get()}) {
    if (HasRange(bar) && bar->IsEnabled() && bar->IsAutoHideScroll() &&
        bar->GetThumbState() == kControlStateNormal) {
      bar->SetFadeVisible(false);
    }
  }
  return true;
}

}  // namespace ui
