// Turns a second button press into a double click the way Windows does: the
// same button on the same window, soon enough after the first press and near
// enough to it. A third press starts over as a single click.
#pragma once

#include <cstdint>

#include "platform/window/geometry.h"

namespace platform {

class DoubleClickDetector {
 public:
  static constexpr int64_t kDefaultIntervalMs = 500;
  // Half of the default double-click rectangle (4 x 4 pixels).
  static constexpr int kDefaultSlop = 2;

  explicit DoubleClickDetector(int64_t interval_ms = kDefaultIntervalMs, int slop = kDefaultSlop)
      : interval_ms_(interval_ms), slop_(slop) {}

  // `button` is 1 left, 2 middle, 3 right; `point` in screen coordinates.
  // True when this press completes a double click.
  bool OnPress(uint64_t window, int button, Point point, int64_t time_ms);
  void Reset() { have_first_ = false; }

 private:
  int64_t interval_ms_;
  int slop_;
  bool have_first_ = false;
  uint64_t window_ = 0;
  int button_ = 0;
  Point point_;
  int64_t time_ms_ = 0;
};

}  // namespace platform
