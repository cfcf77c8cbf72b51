#include "platform/clock/descriptor_waiter.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>

namespace platform {

DescriptorWaiter::DescriptorWaiter() {
  timer_fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
}

DescriptorWaiter::~DescriptorWaiter() {
  if (timer_fd_ >= 0)
    close(timer_fd_);
}

int DescriptorWaiter::Wait(std::vector<pollfd>* fds, int64_t timeout_us) {
  if (timeout_us == 0) {
    int ready = poll(fds->data(), fds->size(), 0);
    return ready > 0 ? ready : 0;
  }
  bool armed = false;
  if (timeout_us > 0) {
    itimerspec spec = {};
    spec.it_value.tv_sec = static_cast<time_t>(timeout_us / 1000000);
    spec.it_value.tv_nsec = static_cast<long>((timeout_us % 1000000) * 1000);
    armed = timerfd_settime(timer_fd_, 0, &spec, nullptr) == 0;
  }
  fds->push_back({timer_fd_, POLLIN, 0});
  // Without a timer (none asked for, or it could not be armed) poll's own
  // time-out is the fallback.
  int poll_timeout = -1;
  if (timeout_us > 0 && !armed)
    poll_timeout = static_cast<int>(std::min<int64_t>((timeout_us + 999) / 1000, 1 << 30));
  int ready = poll(fds->data(), fds->size(), poll_timeout);
  bool timer_fired = ready > 0 && (fds->back().revents & POLLIN);
  fds->pop_back();
  if (armed) {
    itimerspec off = {};
    timerfd_settime(timer_fd_, 0, &off, nullptr);  // disarms and clears expiries
  }
  if (ready <= 0)
    return 0;
  return timer_fired ? ready - 1 : ready;
}

}  // namespace platform
