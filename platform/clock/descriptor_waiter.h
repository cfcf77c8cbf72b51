#pragma once
// Waits for descriptors to become readable with an exact time-out. poll's own
// time-outs carry a slack of 0.1% of their length (3 ms over 3 s); a timerfd
// among the polled descriptors ends the wait on time instead.

#include <poll.h>

#include <cstdint>
#include <vector>

namespace platform {

class DescriptorWaiter {
 public:
  DescriptorWaiter();
  ~DescriptorWaiter();
  DescriptorWaiter(const DescriptorWaiter&) = delete;
  DescriptorWaiter& operator=(const DescriptorWaiter&) = delete;

  // Blocks until one of |fds| is readable (their revents are filled) or
  // |timeout_us| real microseconds passed (-1: no time-out). Returns the
  // number of ready descriptors of |fds|; 0 on time-out or interruption.
  int Wait(std::vector<pollfd>* fds, int64_t timeout_us);

 private:
  int timer_fd_ = -1;
};

}  // namespace platform
