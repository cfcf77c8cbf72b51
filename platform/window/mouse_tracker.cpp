#include "platform/window/mouse_tracker.h"

#include "platform/window/window_messages.h"

namespace platform {

void MouseTracker::Arm(uint64_t window, uint32_t flags, int hover_ms, int64_t now_ms) {
  if (flags & TME_CANCEL) {
    if (window_ == window) {
      if (flags & TME_LEAVE) leave_armed_ = false;
      if (flags & TME_HOVER) hover_armed_ = false;
    }
    return;
  }
  if (window_ != window) {
    leave_armed_ = false;
    hover_armed_ = false;
    window_ = window;
  }
  if (flags & TME_LEAVE) leave_armed_ = true;
  if (flags & TME_HOVER) {
    hover_armed_ = true;
    hover_ms_ = hover_ms > 0 ? hover_ms : 400;
    hover_deadline_ms_ = now_ms + hover_ms_;
  }
}

void MouseTracker::OnMove(uint64_t window, Point client, int64_t now_ms) {
  if (window != window_) return;
  last_point_ = client;
  if (hover_armed_) hover_deadline_ms_ = now_ms + hover_ms_;
}

bool MouseTracker::OnLeave(uint64_t window) {
  if (window != window_) return false;
  hover_armed_ = false;
  const bool fire = leave_armed_;
  leave_armed_ = false;
  return fire;
}

std::optional<MouseTracker::Hover> MouseTracker::TakeDueHover(int64_t now_ms) {
  if (!hover_armed_ || now_ms < hover_deadline_ms_) return std::nullopt;
  hover_armed_ = false;
  return Hover{window_, last_point_};
}

void MouseTracker::Forget(uint64_t window) {
  if (window != window_) return;
  window_ = 0;
  leave_armed_ = false;
  hover_armed_ = false;
}

}  // namespace platform
