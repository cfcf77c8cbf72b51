#pragma once
// A periodic timer thread in place of the multimedia timer: every period of
// the process clock it calls one tick function, which is expected only to post
// a message to the thread that does the work. It follows the injectable clock
// (platform/clock), so under a fake clock it ticks when the clock is advanced
// past the next due time, never by itself. A tick that comes late is not
// repeated to catch up: the next one is due one period after it ran.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/clock/clock.h"

namespace platform {

class PeriodicTimer final : private ClockWaiter {
 public:
  PeriodicTimer() = default;
  ~PeriodicTimer();
  PeriodicTimer(const PeriodicTimer&) = delete;
  PeriodicTimer& operator=(const PeriodicTimer&) = delete;

  // Starts the thread, or changes the period of the running one; the first
  // tick is due one period from now. A period below 1 ms counts as 1 ms.
  void Start(uint32_t period_ms, std::function<void()> tick);
  // Stops the thread and waits for it; no tick runs after Stop returns.
  void Stop();
  bool IsRunning() const;
  uint32_t period_ms() const;

 private:
  void Run();
  void OnClockAdvanced() override;

  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::function<void()> tick_;
  int64_t period_us_ = 0;
  int64_t due_us_ = 0;
  bool stopping_ = false;
  bool running_ = false;
  std::thread thread_;
};

}  // namespace platform
