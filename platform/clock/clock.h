#pragma once
// The process's one monotonic clock, in microseconds (in place of tick counts,
// timeGetTime and the performance counter). CLOCK_MONOTONIC by default; tests
// install a FakeClock and advance it, so nothing that waits for a time needs a
// real sleep.
//
// Waiting against the clock: a waiter computes its real time-out with
// RealTimeoutMicroseconds(deadline) and registers a ClockWaiter so that an
// advanced fake clock wakes it to recompute. With the real clock no waiter is
// ever woken this way: the time-out itself ends the wait.

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Microseconds since an arbitrary origin; never decreases, never wraps and
  // is always above 0 (0 means "no time" to the callers).
  virtual int64_t NowMicroseconds() const = 0;
  // False for a clock that only moves when told to: waits on it then end only
  // when the clock is advanced (which wakes every ClockWaiter).
  virtual bool MovesByItself() const = 0;
};

// Reads the installed clock.
int64_t NowMicroseconds();

// Milliseconds of the installed clock, in place of GetTickCount64 and
// GetTickCount (the 32-bit form wraps as the Windows one does; time
// arithmetic in this program uses the 64-bit one).
uint64_t GetTickCount64();
uint32_t GetTickCount();

// Real microseconds to block for before |deadline| (microseconds of the
// installed clock) is reached: 0 when it has passed, -1 when only a wake-up
// can end the wait (no deadline, or a clock that does not move by itself).
// A deadline of 0 or below means "no deadline".
int64_t RealTimeoutMicroseconds(int64_t deadline);

// Installs |clock| for the whole process (nullptr restores CLOCK_MONOTONIC).
// The caller keeps it alive while installed and installs it before threads
// that read it start.
void SetClock(Clock* clock);

// Something blocked until a time of the clock: woken when the clock is moved,
// so that it can compute its wait again.
class ClockWaiter {
 public:
  virtual void OnClockAdvanced() = 0;

 protected:
  ~ClockWaiter() = default;
};

// A waiter registered here is woken on every advance of a fake clock until it
// is removed; once RemoveClockWaiter returns, it is no longer called.
void AddClockWaiter(ClockWaiter* waiter);
void RemoveClockWaiter(ClockWaiter* waiter);
void NotifyClockAdvanced();

}  // namespace platform
