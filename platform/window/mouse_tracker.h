// The state behind TrackMouseEvent: a leave request fires WM_MOUSELEAVE when
// the pointer leaves the window, a hover request fires WM_MOUSEHOVER once the
// pointer has rested in the window for the hover time. Each fires once and
// must be armed again.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/window/geometry.h"

namespace platform {

class MouseTracker {
 public:
  struct Hover {
    uint64_t window = 0;
    Point client;
  };

  void Arm(uint64_t window, uint32_t flags, int hover_ms, int64_t now_ms);
  void OnMove(uint64_t window, Point client, int64_t now_ms);
  // True when a leave was armed for this window (and is now used up).
  bool OnLeave(uint64_t window);
  // The hover that has fallen due by now, used up when returned.
  std::optional<Hover> TakeDueHover(int64_t now_ms);
  // When the armed hover falls due, or -1.
  int64_t HoverDeadline() const { return hover_armed_ ? hover_deadline_ms_ : -1; }
  void Forget(uint64_t window);

 private:
  uint64_t window_ = 0;
  bool leave_armed_ = false;
  bool hover_armed_ = false;
  int hover_ms_ = 0;
  int64_t hover_deadline_ms_ = 0;
  Point last_point_;
};

}  // namespace platform
