#include "base/framework/message_loop.h"

#include <utility>

#include "base/framework/default_message_pump.h"
#include "base/framework/message_loop_proxy.h"
#include "base/time/task_time_clock.h"

namespace kbase {

namespace {

thread_local MessageLoop* t_current_loop = nullptr;

// Destroying a task's closure may post new tasks; give up after this many
// passes rather than loop forever.
constexpr int kMaxDestructionPasses = 100;

}  // namespace

MessageLoop::AutoRunState::AutoRunState(MessageLoop* loop, WinMessagePumpDispatcher* dispatcher)
    : loop_(loop) {
  state_.previous = loop_->state_;
  state_.run_depth = state_.previous ? state_.previous->run_depth + 1 : 1;
  state_.dispatcher = dispatcher;
  loop_->state_ = &state_;
}

MessageLoop::AutoRunState::~AutoRunState() { loop_->state_ = state_.previous; }

MessageLoop::MessageLoop()
    : MessageLoop(kDefaultMessageLoop, std::make_shared<DefaultMessagePump>()) {}

MessageLoop::MessageLoop(Type type, std::shared_ptr<MessagePump> pump)
    : type_(type), pump_(std::move(pump)) {
  Init();
}

void MessageLoop::Init() {
  t_current_loop = this;
  proxy_ = MessageLoopProxy::Create(this);
}

MessageLoop::~MessageLoop() {
  bool has_work = false;
  for (int pass = 0; pass < kMaxDestructionPasses; ++pass) {
    DropPendingTasks();
    SwapIncomingQueue();
    has_work = DropPendingTasks();
    if (!has_work)
      break;
  }
  // Posts through the proxy fail from now on.
  proxy_->DetachLoop();
  proxy_.reset();
  t_current_loop = nullptr;
}

MessageLoop* MessageLoop::Current() { return t_current_loop; }

void MessageLoop::PostTask(const StdClosure& task) {
  EnqueueIncomingTask(PendingTask(task, 0, true));
}

void MessageLoop::PostDelayedTask(const StdClosure& task, TimeDelta delay) {
  EnqueueIncomingTask(PendingTask(task, TaskTimeClock::Now() + delay.ToMicroseconds(), true));
}

void MessageLoop::PostNonNestableTask(const StdClosure& task) {
  EnqueueIncomingTask(PendingTask(task, 0, false));
}

void MessageLoop::PostNonNestableDelayedTask(const StdClosure& task, TimeDelta delay) {
  EnqueueIncomingTask(PendingTask(task, TaskTimeClock::Now() + delay.ToMicroseconds(), false));
}

void MessageLoop::EnqueueIncomingTask(PendingTask task) {
  std::shared_ptr<MessagePump> pump;
  {
    std::lock_guard<std::mutex> lock(incoming_lock_);
    bool was_empty = incoming_queue_.empty();
    incoming_queue_.push_back(std::move(task));
    if (!was_empty)
      return;  // the pump was already told
    pump = pump_;  // keeps the pump alive while it is signalled
  }
  pump->SignalWork();
}

void MessageLoop::Run() { pump_->Run(this); }

void MessageLoop::RunWithRunState(WinMessagePumpDispatcher* dispatcher) {
  AutoRunState state(this, dispatcher);
  Run();
}

void MessageLoop::QuitWhenIdle() {
  if (state_)
    state_->quit_received = true;
}

void MessageLoop::SwapIncomingQueue() {
  if (!work_queue_.empty())
    return;
  std::lock_guard<std::mutex> lock(incoming_lock_);
  if (!incoming_queue_.empty())
    incoming_queue_.swap(work_queue_);
}

void MessageLoop::AddToDelayedWorkQueue(PendingTask task) {
  task.sequence_num = next_delayed_task_sequence_num_++;
  delayed_work_queue_.push(std::move(task));
}

bool MessageLoop::RunWork() {
  if (!nestable_tasks_allowed_)
    return false;
  for (;;) {
    SwapIncomingQueue();
    if (work_queue_.empty())
      return false;
    do {
      PendingTask task = std::move(work_queue_.front());
      work_queue_.pop_front();
      if (task.delayed_run_time != 0) {
        int64_t sequence_num = next_delayed_task_sequence_num_;
        int64_t run_time = task.delayed_run_time;
        AddToDelayedWorkQueue(std::move(task));
        // A new earliest delayed task: the pump must wake for it.
        if (delayed_work_queue_.top().sequence_num == sequence_num)
          pump_->SignalDelayedWork(run_time);
      } else if (DeferOrRunPendingTask(std::move(task))) {
        return true;
      }
    } while (!work_queue_.empty());
  }
}

bool MessageLoop::RunDelayedWork(int64_t* next_delayed_work_time) {
  if (!nestable_tasks_allowed_ || delayed_work_queue_.empty()) {
    recent_tick_ = 0;
    *next_delayed_work_time = 0;
    return false;
  }
  // The clock is read once for a run of tasks that were already due.
  int64_t next_run_time = delayed_work_queue_.top().delayed_run_time;
  if (recent_tick_ < next_run_time) {
    recent_tick_ = TaskTimeClock::Now();
    if (recent_tick_ < next_run_time) {
      *next_delayed_work_time = next_run_time;
      return false;
    }
  }
  // priority_queue::top is const: the closure is copied out, then popped.
  PendingTask task = delayed_work_queue_.top();
  delayed_work_queue_.pop();
  *next_delayed_work_time =
      delayed_work_queue_.empty() ? 0 : delayed_work_queue_.top().delayed_run_time;
  return DeferOrRunPendingTask(std::move(task));
}

bool MessageLoop::RunIdleWork() {
  if (state_ && state_->run_depth == 1 && !deferred_non_nestable_work_queue_.empty()) {
    PendingTask task = std::move(deferred_non_nestable_work_queue_.front());
    deferred_non_nestable_work_queue_.pop_front();
    ExecuteTask(task);
    return true;
  }
  if (state_ && state_->quit_received)
    pump_->Quit();
  return false;
}

bool MessageLoop::DeferOrRunPendingTask(PendingTask task) {
  if (task.nestable || (state_ && state_->run_depth == 1)) {
    ExecuteTask(task);
    return true;
  }
  // A non-nestable task that came up in a nested run waits for the outermost.
  deferred_non_nestable_work_queue_.push_back(std::move(task));
  return false;
}

void MessageLoop::ExecuteTask(const PendingTask& task) {
  // No other task of this loop starts inside this one, not even from a loop
  // that the task itself runs. Nested runs that do run tasks are entered from
  // window messages (a modal loop), not from tasks.
  nestable_tasks_allowed_ = false;
  task.std_task();
  nestable_tasks_allowed_ = true;
  if (after_task_hook_) after_task_hook_();
}

bool MessageLoop::DropPendingTasks() {
  while (!work_queue_.empty()) {
    PendingTask task = std::move(work_queue_.front());
    work_queue_.pop_front();
    if (task.delayed_run_time != 0)
      AddToDelayedWorkQueue(std::move(task));
    // An immediate task is destroyed here, unrun.
  }
  deferred_non_nestable_work_queue_.clear();
  bool had_delayed = !delayed_work_queue_.empty();
  while (!delayed_work_queue_.empty())
    delayed_work_queue_.pop();
  return had_delayed;
}

}  // namespace kbase
