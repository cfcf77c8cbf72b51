#include "ui/scroll_bar.h"

#include <algorithm>

#include "platform/window/window_api.h"
#include "ui/attribute_value.h"
#include "ui/dpi_manager.h"
#include "ui/render/render_types.h"
#include "ui/scrollable_box.h"
#include "ui/timer_manager.h"
#include "ui/wide_text.h"
#include "ui/window.h"

namespace ui {

namespace {

bool IsAllZero(const UiRect& rect) {
  return rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0;
}

int64_t Clamp(int64_t value, int64_t range) { return std::clamp<int64_t>(value, 0, std::max<int64_t>(range, 0)); }

}  // namespace

ScrollBar::ScrollBar()
    : bk_images_(this), button1_images_(this), button2_images_(this), thumb_images_(this), rail_images_(this) {
  fixed_width_ = kDefaultThickness;
  fixed_height_ = 0;
  float_ = true;
  SetReleaseOnFocusLoss(true);
}

ScrollBar::~ScrollBar() { repeat_flag_.Cancel(); }

void ScrollBar::SetHorizontal(bool horizontal) {
  if (horizontal_ == horizontal) return;
  horizontal_ = horizontal;
  if (horizontal_ && fixed_height_ == 0) {
    fixed_height_ = kDefaultThickness;
    fixed_width_ = 0;
  } else if (!horizontal_ && fixed_width_ == 0) {
    fixed_width_ = kDefaultThickness;
    fixed_height_ = 0;
  }
  if (owner_ != nullptr) {
    owner_->Arrange();
  } else {
    ArrangeFromAncestor();
  }
}

void ScrollBar::SetScrollRange(int64_t range) {
  if (range == range_) return;
  range_ = std::max<int64_t>(range, 0);
  if (position_ > range_) position_ = range_;
  if (range_ == 0) {
    SetVisible(false);
  } else if (!auto_hide_ && !IsVisible()) {
    SetFadeVisible(true);
  }
  LayOutParts();
}

void ScrollBar::SetScrollPos(int64_t position) {
  if (position == position_) return;
  position_ = Clamp(position, range_);
  LayOutParts();
}

void ScrollBar::SetShowButton1(bool show) {
  show_button1_ = show;
  LayOutParts();
}

void ScrollBar::SetShowButton2(bool show) {
  show_button2_ = show;
  LayOutParts();
}

void ScrollBar::SetPos(UiRect rect) {
  Control::SetPos(rect);
  LayOutParts();
}

// The parts along the bar: two square buttons at the ends, and a thumb whose
// length shows the visible share and whose place shows the position. All
// divisors are checked, so a bar too short for its thumb, or with no range,
// never divides by zero.
void ScrollBar::LayOutParts() {
  const UiRect rc = rect_;
  const int thickness = Thickness();
  const int length = horizontal_ ? rc.Width() : rc.Height();
  int available = length;
  if (show_button1_) available -= thickness;
  if (show_button2_) available -= thickness;
  thumb_rect_ = UiRect{};

  // Positions along the axis, mapped back to a rect across it.
  const auto along = [&](int start, int end) {
    return horizontal_ ? UiRect{rc.left + start, rc.top, rc.left + end, rc.top + thickness}
                       : UiRect{rc.left, rc.top + start, rc.left + thickness, rc.top + end};
  };

  if (available > thickness) {
    button1_rect_ = show_button1_ ? along(0, thickness) : along(0, 0);
    button2_rect_ = show_button2_ ? along(length - thickness, length) : along(length, length);
    const int rail_start = show_button1_ ? thickness : 0;
    const int rail_end = show_button2_ ? length - thickness : length;
    if (range_ <= 0) {
      thumb_rect_ = along(rail_start, rail_end);
      return;
    }
    int64_t thumb = static_cast<int64_t>(length) * available / (static_cast<int64_t>(length) + range_);
    if (thumb < thumb_min_length_) thumb = thumb_min_length_;
    // 128-bit product: a range near the 64-bit limit must not overflow.
    int64_t start = rail_start + static_cast<int64_t>(static_cast<__int128>(available - thumb) * position_ / range_);
    int64_t end = start + thumb;
    if (end > rail_end) {
      end = rail_end;
      start = rail_end - thumb;
    }
    thumb_rect_ = along(static_cast<int>(start), static_cast<int>(end));
    return;
  }
  const int size = std::min(thickness, length / 2);
  button1_rect_ = show_button1_ ? along(0, size) : along(0, 0);
  button2_rect_ = show_button2_ ? along(length - size, length) : along(length, length);
  if (horizontal_) {
    button1_rect_.bottom = button2_rect_.bottom = rc.top + thickness;
  } else {
    button1_rect_.right = button2_rect_.right = rc.left + thickness;
  }
}

void ScrollBar::SetVisible(bool visible) {
  if (visible == visible_) return;
  const bool was_visible = IsVisible();
  visible_ = visible;
  focused_ = false;
  if (!visible && window_ != nullptr && window_->GetFocus() == this) window_->SetFocus(nullptr);
  if (IsVisible() != was_visible) ArrangeSelf();
}

void ScrollBar::SetEnabled(bool enabled) {
  if (enabled != enabled_) {
    enabled_ = enabled;
    if (enabled) {
      state_ = kControlStateNormal;
      hot_alpha_ = 0;
    } else {
      state_ = kControlStateDisabled;
    }
    Invalidate();
  }
  const ControlState part = enabled ? kControlStateNormal : kControlStateDisabled;
  button1_state_ = button2_state_ = thumb_state_ = part;
}

void ScrollBar::SetFocus() {
  if (owner_ != nullptr) {
    owner_->SetFocus();
    return;
  }
  Control::SetFocus();
}

bool ScrollBar::HasHotState() { return true; }

void ScrollBar::SetPartImage(StateImage& part, ControlState state, const std::u16string& image) {
  Image& target = part[state];
  target.ClearCache();
  target.SetImageString(image);
  Invalidate();
}

void ScrollBar::SetButton1StateImage(ControlState state, const std::u16string& image) {
  SetPartImage(button1_images_, state, image);
}
void ScrollBar::SetButton2StateImage(ControlState state, const std::u16string& image) {
  SetPartImage(button2_images_, state, image);
}
void ScrollBar::SetThumbStateImage(ControlState state, const std::u16string& image) {
  SetPartImage(thumb_images_, state, image);
}
void ScrollBar::SetRailStateImage(ControlState state, const std::u16string& image) {
  SetPartImage(rail_images_, state, image);
}
void ScrollBar::SetBkStateImage(ControlState state, const std::u16string& image) {
  SetPartImage(bk_images_, state, image);
}

void ScrollBar::SetAttribute(const std::u16string& name, const std::u16string& value) {
  static const std::pair<const char16_t*, ControlState> kStates[] = {
      {u"normalimage", kControlStateNormal},
      {u"hotimage", kControlStateHot},
      {u"pushedimage", kControlStatePushed},
      {u"disabledimage", kControlStateDisabled}};
  const std::pair<const char16_t*, StateImage ScrollBar::*> kParts[] = {
      {u"button1", &ScrollBar::button1_images_}, {u"button2", &ScrollBar::button2_images_},
      {u"thumb", &ScrollBar::thumb_images_},     {u"rail", &ScrollBar::rail_images_},
      {u"bk", &ScrollBar::bk_images_}};
  for (const auto& [part, member] : kParts) {
    for (const auto& [suffix, state] : kStates) {
      if (name == std::u16string(part) + suffix) {
        SetPartImage(this->*member, state, value);
        return;
      }
    }
  }
  DpiManager* dpi = DpiManager::GetInstance();
  if (name == u"hor") {
    SetHorizontal(ParseBoolValue(value));
  } else if (name == u"linesize") {
    SetLineSize(dpi->ScaleInt(ParseIntValue(value)));
  } else if (name == u"thumbminlength") {
    SetThumbMinLength(dpi->ScaleInt(ParseIntValue(value)));
  } else if (name == u"range") {
    SetScrollRange(ParseIntValue(value));
  } else if (name == u"value") {
    SetScrollPos(ParseIntValue(value));
  } else if (name == u"showbutton1") {
    SetShowButton1(ParseBoolValue(value));
  } else if (name == u"showbutton2") {
    SetShowButton2(ParseBoolValue(value));
  } else if (name == u"autohidescroll") {
    SetAutoHideScroll(ParseBoolValue(value));
  } else {
    Control::SetAttribute(name, value);
  }
}

std::u16string ScrollBar::DestModifier(const UiRect& rect) const {
  return FormatWideString(u"destscale='false' dest='%d,%d,%d,%d'", rect.left - rect_.left,
                          rect.top - rect_.top, rect.right - rect_.left, rect.bottom - rect_.top);
}

// Draws the first image that exists along the state's fall-backs.
void ScrollBar::PaintPart(IRenderContext* render, StateImage& part, ControlState state,
                          const UiRect& rect, bool lit_by_thumb) {
  const std::u16string modify = DestModifier(rect);
  std::vector<ControlState> order;
  switch (state) {
    case kControlStateDisabled:
      order = {kControlStateDisabled, kControlStateNormal};
      break;
    case kControlStatePushed:
      order = {kControlStatePushed, kControlStateHot, kControlStateNormal};
      break;
    case kControlStateHot:
      order = {kControlStateHot, kControlStateNormal};
      break;
    default:
      if (lit_by_thumb) {
        order = {kControlStateHot, kControlStateNormal};
      } else {
        order = {kControlStateNormal};
      }
  }
  for (ControlState candidate : order) {
    if (part.Find(candidate) == nullptr) continue;
    if (DrawImage(render, part[candidate], modify)) return;
  }
}

void ScrollBar::PaintContent(IRenderContext* render, const UiRect& paint_rect) {
  paint_rect_ = IntersectRect(paint_rect, rect_);
  if (paint_rect_.IsEmpty()) return;
  bk_images_.PaintStatusImage(render, state_);
  const bool thumb_pushed = thumb_state_ == kControlStatePushed;
  if (show_button1_) PaintPart(render, button1_images_, button1_state_, button1_rect_, thumb_pushed);
  if (show_button2_) PaintPart(render, button2_images_, button2_state_, button2_rect_, thumb_pushed);
  if (IsAllZero(thumb_rect_)) return;
  thumb_images_.PaintStatusImage(render, thumb_state_, DestModifier(thumb_rect_));
  const int thickness = Thickness();
  UiRect grip = thumb_rect_;
  if (horizontal_) {
    grip.left = (thumb_rect_.left + thumb_rect_.right) / 2 - thickness / 2;
    grip.right = grip.left + thickness;
  } else {
    grip.top = (thumb_rect_.top + thumb_rect_.bottom) / 2 - thickness / 2;
    grip.bottom = grip.top + thickness;
  }
  PaintPart(render, rail_images_, thumb_state_, grip, false);
}

void ScrollBar::PaintChildren(IRenderContext* /*render*/, const UiRect& /*paint_rect*/) {}

void ScrollBar::ClearImageCache() {
  Control::ClearImageCache();
  bk_images_.ClearCache();
  button1_images_.ClearCache();
  button2_images_.ClearCache();
  thumb_images_.ClearCache();
  rail_images_.ClearCache();
}

void ScrollBar::ForwardToOwner(EventArgs& event) {
  if (owner_ != nullptr) owner_->DispatchEvent(event);
}

void ScrollBar::HandleEvent(EventArgs& event) {
  if (!mouse_enabled_ && IsMouseEvent(event.Type)) {
    ForwardToOwner(event);
    return;
  }
  switch (event.Type) {
    case kEventInternalSetFocus:
    case kEventInternalKillFocus:
    case kEventInternalMenu:
      return;
    case kEventMouseButtonDown:
    case kEventPointDown:
    case kEventInternalDoubleClick:
      OnButtonDown(event);
      return;
    case kEventMouseButtonUp:
    case kEventPointUp:
      OnButtonUp(event);
      return;
    case kEventMouseMove:
    case kEventPointMove:
      OnPointerMove(event);
      return;
    case kEventMouseEnter:
      MouseEnter(event);
      ForwardToOwner(event);
      return;
    case kEventMouseLeave:
      MouseLeave(event);
      ForwardToOwner(event);
      return;
    case kEventSetCursor:
      if (cursor_type_ == kCursorHandIbeam) {
        ForwardToOwner(event);
      } else {
        platform::SetCursor(cursor_type_ == kCursorHand ? platform::CursorKind::kHand
                                                        : platform::CursorKind::kArrow);
      }
      return;
    default:
      ForwardToOwner(event);
  }
}

void ScrollBar::OnButtonDown(EventArgs& event) {
  if (!enabled_) return;
  drag_offset_ = 0;
  repeat_ticks_ = 0;
  repeat_flag_.Cancel();
  TimerManager::GetInstance()->AddTimer(repeat_flag_.GetWeakFlag(), [this] { OnRepeatTimer(); },
                                        kRepeatIntervalMs, -1);
  const UiPoint point = event.ptMouse;
  if (button1_rect_.Contains(point)) {
    button1_state_ = kControlStatePushed;
    StepLineBack();
  } else if (button2_rect_.Contains(point)) {
    button2_state_ = kControlStatePushed;
    StepLineForward();
  } else if (thumb_rect_.Contains(point)) {
    thumb_state_ = kControlStatePushed;
    SetMouseFocused(true);
    drag_start_point_ = point;
    drag_start_position_ = position_;
  } else if (horizontal_) {
    if (point.x < thumb_rect_.left) {
      StepPageBack();
    } else if (point.x > thumb_rect_.right) {
      StepPageForward();
    }
  } else {
    if (point.y < thumb_rect_.top) {
      StepPageBack();
    } else if (point.y > thumb_rect_.bottom) {
      StepPageForward();
    }
  }
  ButtonDown(event);
}

void ScrollBar::OnButtonUp(EventArgs& event) {
  drag_offset_ = 0;
  repeat_ticks_ = 0;
  repeat_flag_.Cancel();
  if (IsMouseFocused()) {
    thumb_state_ = rect_.Contains(event.ptMouse) ? kControlStateHot : kControlStateNormal;
  } else if (button1_state_ == kControlStatePushed) {
    button1_state_ = kControlStateNormal;
    Invalidate();
  } else if (button2_state_ == kControlStatePushed) {
    button2_state_ = kControlStateNormal;
    Invalidate();
  }
  ButtonUp(event);
}

// Dragging: the pointer's distance from the press, as a share of the free
// track, becomes a position offset; the position follows on the next tick.
void ScrollBar::OnPointerMove(const EventArgs& event) {
  if (!IsMouseFocused()) return;
  const UiRect thumb = thumb_rect_;
  int64_t track = horizontal_ ? int64_t{rect_.Width()} - thumb.Width() : int64_t{rect_.Height()} - thumb.Height();
  if (show_button1_) track -= Thickness();
  if (show_button2_) track -= Thickness();
  if (track == 0) return;
  const int64_t moved = horizontal_ ? event.ptMouse.x - drag_start_point_.x : event.ptMouse.y - drag_start_point_.y;
  drag_offset_ = static_cast<int64_t>(static_cast<__int128>(moved) * range_ / track);
}

void ScrollBar::OnRepeatTimer() {
  ++repeat_ticks_;
  if (thumb_state_ == kControlStatePushed) {
    const int64_t target = drag_start_position_ + drag_offset_;
    if (owner_ != nullptr) {
      UiSize pos = owner_->GetScrollPos();
      if (horizontal_) {
        pos.cx = static_cast<int>(Clamp(target, range_));
      } else {
        pos.cy = static_cast<int>(Clamp(target, range_));
      }
      owner_->SetScrollPos(pos);
    } else if (target != position_) {
      SetScrollPos(target);
    }
    return;
  }
  if (repeat_ticks_ <= kRepeatDelayTicks) return;
  if (button1_state_ == kControlStatePushed) {
    StepLineBack();
  } else if (button2_state_ == kControlStatePushed) {
    StepLineForward();
  } else if (!IsAllZero(thumb_rect_)) {
    // Held on the rail: page towards the pointer until the thumb reaches it.
    const UiPoint cursor = CursorInWindow();
    if (horizontal_) {
      if (cursor.x < thumb_rect_.left) {
        StepPageBack();
      } else if (cursor.x > thumb_rect_.right) {
        StepPageForward();
      }
    } else {
      if (cursor.y < thumb_rect_.top) {
        StepPageBack();
      } else if (cursor.y > thumb_rect_.bottom) {
        StepPageForward();
      }
    }
  }
}

UiPoint ScrollBar::CursorInWindow() const {
  if (window_ == nullptr) return UiPoint{};
  platform::Point point;
  if (window_->GetHWND() != nullptr && platform::GetCursorPos(&point) &&
      platform::ScreenToClient(window_->GetHWND(), &point)) {
    return point;
  }
  return window_->GetLastMousePos();
}

void ScrollBar::MoveOwnPosition(int64_t delta) {
  if (delta == 0) return;
  SetScrollPos(Clamp(position_ + delta, range_));
}

void ScrollBar::StepLineBack() {
  if (owner_ == nullptr) return MoveOwnPosition(-line_size_);
  if (horizontal_) {
    owner_->LineLeft(-1, true);
  } else {
    owner_->LineUp(-1, true);
  }
}

void ScrollBar::StepLineForward() {
  if (owner_ == nullptr) return MoveOwnPosition(line_size_);
  if (horizontal_) {
    owner_->LineRight(-1, true);
  } else {
    owner_->LineDown(-1, true);
  }
}

void ScrollBar::StepPageBack() {
  if (owner_ == nullptr) return MoveOwnPosition(horizontal_ ? -rect_.Width() : -rect_.Height());
  if (horizontal_) {
    owner_->PageLeft();
  } else {
    owner_->PageUp();
  }
}

void ScrollBar::StepPageForward() {
  if (owner_ == nullptr) return MoveOwnPosition(horizontal_ ? rect_.Width() : rect_.Height());
  if (horizontal_) {
    owner_->PageRight();
  } else {
    owner_->PageDown();
  }
}

bool ScrollBar::MouseEnter(EventArgs& event) {
  if (!Control::MouseEnter(event)) return false;
  button1_state_ = button2_state_ = thumb_state_ = kControlStateHot;
  return true;
}

bool ScrollBar::MouseLeave(EventArgs& event) {
  if (!Control::MouseLeave(event)) return false;
  button1_state_ = button2_state_ = thumb_state_ = kControlStateNormal;
  return true;
}

bool ScrollBar::ButtonUp(EventArgs& event) {
  bool result = false;
  if (IsMouseFocused()) {
    SetMouseFocused(false);
    Invalidate();
    if (rect_.Contains(event.ptMouse)) {
      state_ = kControlStateHot;
      hot_alpha_ = 255;
      Activate();
      result = true;
    } else {
      state_ = kControlStateNormal;
      hot_alpha_ = 0;
    }
  }
  if (owner_ != nullptr && auto_hide_ && !owner_->GetPos().Contains(event.ptMouse)) SetFadeVisible(false);
  return result;
}

}  // namespace ui
