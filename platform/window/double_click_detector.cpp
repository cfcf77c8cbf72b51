#include "platform/window/double_click_detector.h"

#include <cstdlib>

namespace platform {

bool DoubleClickDetector::OnPress(uint64_t window, int button, Point point, int64_t time_ms) {
  const bool is_double = have_first_ && window == window_ && button == button_ &&
                         time_ms >= time_ms_ && time_ms - time_ms_ <= interval_ms_ &&
                         std::abs(point.x - point_.x) <= slop_ && std::abs(point.y - point_.y) <= slop_;
  if (is_double) {
    have_first_ = false;
    return true;
  }
  have_first_ = true;
  window_ = window;
  button_ = button;
  point_ = point;
  time_ms_ = time_ms;
  return false;
}

}  // namespace platform
