#pragma once
// A clock for tests: it stands still until advanced. Installing it (through
// ScopedFakeClock) makes every wait of the loops and queues end only on work or
// on an advance that reaches their deadline.

#include <atomic>
#include <cstdint>

#include "platform/clock/clock.h"

namespace platform {

class FakeClock final : public Clock {
 public:
  explicit FakeClock(int64_t start_microseconds = 1000000000);

  int64_t NowMicroseconds() const override;
  bool MovesByItself() const override { return false; }

  // Moves the clock forward (a negative delta is ignored: the clock is
  // monotonic) and wakes every waiter to recompute its deadline.
  void Advance(int64_t microseconds);

 private:
  std::atomic<int64_t> now_;
};

// Installs a FakeClock for the scope's lifetime.
class ScopedFakeClock {
 public:
  explicit ScopedFakeClock(int64_t start_microseconds = 1000000000);
  ~ScopedFakeClock();
  ScopedFakeClock(const ScopedFakeClock&) = delete;
  ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;

  FakeClock& clock() { return clock_; }
  void Advance(int64_t microseconds) { clock_.Advance(microseconds); }
  int64_t Now() const { return clock_.NowMicroseconds(); }

 private:
  FakeClock clock_;
};

}  // namespace platform
