#include "base/time/task_time_clock.h"

#include "platform/clock/clock.h"

namespace kbase {

int64_t TaskTimeClock::Now() { return platform::NowMicroseconds(); }

}  // namespace kbase
