#pragma once
// One element of a message loop's queues.

#include <cstdint>

#include "base/callback/weak_callback.h"

namespace kbase {

struct PendingTask {
  PendingTask(StdClosure task, int64_t run_time, bool nestable);

  // Microseconds of TaskTimeClock; 0 runs as soon as possible.
  int64_t delayed_run_time = 0;
  // Order among equal run times; given when the task enters the delayed heap.
  // 64-bit so that it never overflows on a long-lived loop.
  int64_t sequence_num = 0;
  bool nestable = true;
  StdClosure std_task;

  // Heap order: std::priority_queue puts the greatest on top, so a task is
  // "less" when it runs later (later run time, or same time and posted later).
  bool operator<(const PendingTask& other) const;
};

}  // namespace kbase
