#pragma once
// Keeps the threads created while it lives on one processor, as on a machine
// whose other processors are busy: a thread woken by a post then often runs
// at once, in the middle of the poster's work, which is how races between
// two threads show up on a loaded machine.

#include <sched.h>

class OneProcessor {
 public:
  OneProcessor() {
    pinned_ = ::sched_getaffinity(0, sizeof saved_, &saved_) == 0;
    if (!pinned_) return;
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
      if (CPU_ISSET(cpu, &saved_)) {
        CPU_SET(cpu, &one);
        break;
      }
    }
    pinned_ = ::sched_setaffinity(0, sizeof one, &one) == 0;
  }
  ~OneProcessor() {
    if (pinned_) ::sched_setaffinity(0, sizeof saved_, &saved_);
  }
  OneProcessor(const OneProcessor&) = delete;
  OneProcessor& operator=(const OneProcessor&) = delete;

 private:
  cpu_set_t saved_{};
  bool pinned_ = false;
};
