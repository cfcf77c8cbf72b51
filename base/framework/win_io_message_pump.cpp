#include "base/framework/win_io_message_pump.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <vector>

#include "base/time/task_time_clock.h"

namespace kbase {

namespace {

// Written by a clock advance; only makes the wait recompute its deadline.
constexpr uint64_t kClockMoved = 1;
// Written by SignalWork.
constexpr uint64_t kWork = 1ull << 32;

}  // namespace

WinIOMessagePump::WinIOMessagePump() {
  wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  platform::AddClockWaiter(this);
}

WinIOMessagePump::~WinIOMessagePump() {
  platform::RemoveClockWaiter(this);
  if (wake_fd_ >= 0)
    close(wake_fd_);
}

void WinIOMessagePump::SignalWork() {
  if (have_work_.exchange(1))
    return;
  uint64_t value = kWork;
  ssize_t written = write(wake_fd_, &value, sizeof(value));
  (void)written;
}

void WinIOMessagePump::SignalDelayedWork(int64_t delayed_work_time) {
  delayed_work_time_ = delayed_work_time;
}

void WinIOMessagePump::OnClockAdvanced() {
  uint64_t value = kClockMoved;
  ssize_t written = write(wake_fd_, &value, sizeof(value));
  (void)written;
}

bool WinIOMessagePump::LookForWakeUp() {
  return WaitForWakeUp(TaskTimeClock::Now());  // a look, no wait
}

void WinIOMessagePump::WaitForMoreWork() { WaitForWakeUp(delayed_work_time_); }

bool WinIOMessagePump::WaitForWakeUp(int64_t deadline) {
  for (;;) {
    int64_t timeout = platform::RealTimeoutMicroseconds(deadline);
    std::vector<pollfd> fds = {{wake_fd_, POLLIN, 0}};
    if (waiter_.Wait(&fds, timeout) == 0) {
      if (platform::RealTimeoutMicroseconds(deadline) == 0)
        return false;  // the deadline passed
      continue;        // interrupted
    }
    uint64_t value = 0;
    if (read(wake_fd_, &value, sizeof(value)) != sizeof(value))
      continue;
    if (value >= kWork) {
      have_work_.exchange(0);
      return true;
    }
    // Only the clock moved: recompute the wait (or stop at a passed deadline).
    if (platform::RealTimeoutMicroseconds(deadline) == 0)
      return false;
  }
}

}  // namespace kbase
