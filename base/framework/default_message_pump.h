#pragma once
// The worker threads' pump: a wake-up event on a condition variable, waited on
// with the exact deadline of the next delayed task.

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "base/framework/message_pump.h"
#include "platform/clock/clock.h"

namespace kbase {

class DefaultMessagePump : public MessagePump, private platform::ClockWaiter {
 public:
  DefaultMessagePump();
  ~DefaultMessagePump() override;

  void Run(Delegate* delegate) override;
  void Quit() override;
  void SignalWork() override;
  void SignalDelayedWork(int64_t delayed_work_time) override;

 private:
  bool QuitRequested() const override { return should_quit_; }
  void WaitForMoreWork() override;
  void OnClockAdvanced() override;
  // Blocks until the event is set or |deadline| (0 = none) is reached, and
  // resets the event (auto-reset).
  void WaitForWork(int64_t deadline);

  std::mutex event_lock_;
  std::condition_variable event_;
  bool event_signaled_ = false;
  // Set when the clock moved; it only makes the wait recompute its time-out
  // and never counts as work.
  bool clock_moved_ = false;

  bool should_quit_ = false;
};

}  // namespace kbase
