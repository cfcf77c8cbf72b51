#pragma once
// The task system's clock: microseconds of the process's one monotonic clock
// (platform/clock). 64-bit, above 0, never wraps; a test that installs a fake
// clock moves it.

#include <cstdint>

namespace kbase {

class TaskTimeClock {
 public:
  static int64_t Now();
};

}  // namespace kbase
