#include "base/framework/default_message_pump.h"

#include <chrono>

#include "base/time/task_time_clock.h"

namespace kbase {

DefaultMessagePump::DefaultMessagePump() { platform::AddClockWaiter(this); }

DefaultMessagePump::~DefaultMessagePump() { platform::RemoveClockWaiter(this); }

void DefaultMessagePump::Run(Delegate* delegate) {
  RunLoop(delegate);
  should_quit_ = false;  // the pump can run again
}

void DefaultMessagePump::WaitForMoreWork() {
  if (delayed_work_time_ != 0 && delayed_work_time_ <= TaskTimeClock::Now()) {
    delayed_work_time_ = 0;  // due now: look again without waiting
    return;
  }
  WaitForWork(delayed_work_time_);
}

void DefaultMessagePump::Quit() { should_quit_ = true; }

void DefaultMessagePump::SignalWork() {
  {
    std::lock_guard<std::mutex> lock(event_lock_);
    event_signaled_ = true;
  }
  event_.notify_one();
}

void DefaultMessagePump::SignalDelayedWork(int64_t delayed_work_time) {
  delayed_work_time_ = delayed_work_time;
}

void DefaultMessagePump::OnClockAdvanced() {
  {
    std::lock_guard<std::mutex> lock(event_lock_);
    clock_moved_ = true;
  }
  event_.notify_one();
}

void DefaultMessagePump::WaitForWork(int64_t deadline) {
  std::unique_lock<std::mutex> lock(event_lock_);
  for (;;) {
    if (event_signaled_)
      break;
    clock_moved_ = false;
    int64_t timeout = platform::RealTimeoutMicroseconds(deadline);
    if (timeout == 0)
      break;
    if (timeout < 0) {
      event_.wait(lock, [this] { return event_signaled_ || clock_moved_; });
    } else {
      event_.wait_for(lock, std::chrono::microseconds(timeout),
                      [this] { return event_signaled_ || clock_moved_; });
    }
    // A clock move or a time-out: recompute, the deadline may have passed.
  }
  event_signaled_ = false;
}

}  // namespace kbase
