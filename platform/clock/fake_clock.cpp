#include "platform/clock/fake_clock.h"

namespace platform {

FakeClock::FakeClock(int64_t start_microseconds)
    : now_(start_microseconds > 0 ? start_microseconds : 1) {}

int64_t FakeClock::NowMicroseconds() const { return now_.load(std::memory_order_acquire); }

void FakeClock::Advance(int64_t microseconds) {
  if (microseconds > 0)
    now_.fetch_add(microseconds, std::memory_order_acq_rel);
  NotifyClockAdvanced();
}

ScopedFakeClock::ScopedFakeClock(int64_t start_microseconds) : clock_(start_microseconds) {
  SetClock(&clock_);
}

ScopedFakeClock::~ScopedFakeClock() { SetClock(nullptr); }

}  // namespace platform
