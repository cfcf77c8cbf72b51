#include "platform/clock/clock.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace platform {

namespace {

class MonotonicClock final : public Clock {
 public:
  int64_t NowMicroseconds() const override {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Offset by one so that even a reading right at boot is above 0.
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000 + 1;
  }
  bool MovesByItself() const override { return true; }
};

MonotonicClock g_monotonic_clock;
std::atomic<Clock*> g_clock{&g_monotonic_clock};

struct WaiterList {
  std::mutex lock;
  std::vector<ClockWaiter*> waiters;
};

WaiterList& Waiters() {
  static WaiterList* list = new WaiterList;  // lives past static destruction
  return *list;
}

}  // namespace

int64_t NowMicroseconds() { return g_clock.load(std::memory_order_acquire)->NowMicroseconds(); }

uint64_t GetTickCount64() { return static_cast<uint64_t>(NowMicroseconds() / 1000); }

uint32_t GetTickCount() { return static_cast<uint32_t>(GetTickCount64()); }

int64_t RealTimeoutMicroseconds(int64_t deadline) {
  if (deadline <= 0)
    return -1;
  const Clock* clock = g_clock.load(std::memory_order_acquire);
  int64_t remaining = deadline - clock->NowMicroseconds();
  if (remaining <= 0)
    return 0;
  return clock->MovesByItself() ? remaining : -1;
}

void SetClock(Clock* clock) {
  g_clock.store(clock ? clock : &g_monotonic_clock, std::memory_order_release);
  NotifyClockAdvanced();
}

void AddClockWaiter(ClockWaiter* waiter) {
  WaiterList& list = Waiters();
  std::lock_guard<std::mutex> guard(list.lock);
  list.waiters.push_back(waiter);
}

void RemoveClockWaiter(ClockWaiter* waiter) {
  WaiterList& list = Waiters();
  std::lock_guard<std::mutex> guard(list.lock);
  list.waiters.erase(std::remove(list.waiters.begin(), list.waiters.end(), waiter),
                     list.waiters.end());
}

void NotifyClockAdvanced() {
  // Called under the list's lock so that a waiter being removed is never
  // called after its removal returned. Waiters only signal (a condition
  // variable, an eventfd) and never call back into this list.
  WaiterList& list = Waiters();
  std::lock_guard<std::mutex> guard(list.lock);
  for (ClockWaiter* waiter : list.waiters)
    waiter->OnClockAdvanced();
}

}  // namespace platform
