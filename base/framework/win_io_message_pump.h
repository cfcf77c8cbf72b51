#pragma once
// The pump of an I/O loop. No thread of the program runs one; it carries the
// least such a loop needs: tasks, delayed tasks and a wake-up, waited on
// through a descriptor (an eventfd) to the microsecond. Completions of
// asynchronous I/O are not delivered through it.

#include "base/framework/win_message_pump.h"
#include "platform/clock/clock.h"
#include "platform/clock/descriptor_waiter.h"

namespace kbase {

class WinIOMessagePump : public WinMessagePump, private platform::ClockWaiter {
 public:
  WinIOMessagePump();
  ~WinIOMessagePump() override;

  void SignalWork() override;
  void SignalDelayedWork(int64_t delayed_work_time) override;

 private:
  void OnClockAdvanced() override;
  bool LookForWakeUp() override;
  void WaitForMoreWork() override;
  // Waits for the pump's own wake-up until |deadline| (0 = none); true when
  // it came (and clears the have-work flag).
  bool WaitForWakeUp(int64_t deadline);

  int wake_fd_ = -1;
  platform::DescriptorWaiter waiter_;
};

}  // namespace kbase
