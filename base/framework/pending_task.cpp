#include "base/framework/pending_task.h"

#include <utility>

namespace kbase {

PendingTask::PendingTask(StdClosure task, int64_t run_time, bool is_nestable)
    : delayed_run_time(run_time), nestable(is_nestable), std_task(std::move(task)) {}

bool PendingTask::operator<(const PendingTask& other) const {
  if (delayed_run_time != other.delayed_run_time)
    return delayed_run_time > other.delayed_run_time;
  return sequence_num > other.sequence_num;
}

}  // namespace kbase
