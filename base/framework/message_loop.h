#pragma once
// The task queues of one thread. Immediate tasks run in posting order, delayed
// tasks by due time (equal times in the order they were queued); the waiting
// is left to the loop's pump. Other threads never touch a loop directly: they
// post through its MessageLoopProxy, which fails once the loop is gone.

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <queue>
#include <vector>

#include "base/callback/weak_callback.h"
#include "base/framework/message_pump.h"
#include "base/framework/pending_task.h"
#include "base/time/time_delta.h"

namespace kbase {

class MessageLoopProxy;
class WinMessagePumpDispatcher;

class MessageLoop : public MessagePump::Delegate {
 public:
  enum Type { kDefaultMessageLoop = 0, kUIMessageLoop = 1, kIOMessageLoop = 2 };

  // One active run of the loop; runs nest, the innermost is current.
  struct RunState {
    int run_depth = 1;
    bool quit_received = false;
    WinMessagePumpDispatcher* dispatcher = nullptr;
    RunState* previous = nullptr;
  };

  // Pushes a run state for the scope's lifetime: the outermost run has depth
  // 1, a nested one its outer depth + 1.
  class AutoRunState {
   public:
    explicit AutoRunState(MessageLoop* loop, WinMessagePumpDispatcher* dispatcher = nullptr);
    ~AutoRunState();
    AutoRunState(const AutoRunState&) = delete;
    AutoRunState& operator=(const AutoRunState&) = delete;

   private:
    MessageLoop* loop_;
    RunState state_;
  };

  // Made on the thread that will run it; it becomes that thread's current loop.
  MessageLoop();
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The calling thread's loop, or null.
  static MessageLoop* Current();

  Type type() const { return type_; }
  bool IsType(Type type) const { return type_ == type; }

  // Posting from the loop's own thread (others use the proxy).
  void PostTask(const StdClosure& task);
  void PostDelayedTask(const StdClosure& task, TimeDelta delay);
  void PostNonNestableTask(const StdClosure& task);
  void PostNonNestableDelayedTask(const StdClosure& task, TimeDelta delay);

  // Runs the pump until the current run state quits. A run state must have
  // been pushed (AutoRunState); the UI loop hands the run state's dispatcher
  // to its pump.
  virtual void Run();
  // Pushes a run state (the outermost one, or one nested in the current run)
  // and runs until it quits.
  void RunWithRunState(WinMessagePumpDispatcher* dispatcher = nullptr);
  // The current run ends when the loop is next idle: every immediate task
  // queued so far still runs. Called on the loop's thread.
  void QuitWhenIdle();

  // Called on the loop's thread after every task it runs (null: none), so
  // that a thread that otherwise sleeps long can look at what the task
  // changed. Set on the loop's thread.
  void SetAfterTaskHook(StdClosure hook) { after_task_hook_ = std::move(hook); }

  const RunState* run_state() const { return state_; }
  std::shared_ptr<MessageLoopProxy> message_loop_proxy() const { return proxy_; }

  // Queues |task| (any thread that holds the loop alive). Wakes the pump only
  // when the incoming queue was empty, so a burst of posts wakes it once.
  virtual void EnqueueIncomingTask(PendingTask task);

  // MessagePump::Delegate
  bool RunWork() override;
  bool RunDelayedWork(int64_t* next_delayed_work_time) override;
  bool RunIdleWork() override;

 protected:
  // For the UI and I/O loops, which only change the pump.
  MessageLoop(Type type, std::shared_ptr<MessagePump> pump);
  MessagePump* pump() const { return pump_.get(); }

 private:
  using TaskQueue = std::deque<PendingTask>;
  using DelayedTaskQueue = std::priority_queue<PendingTask>;

  void Init();
  void SwapIncomingQueue();
  void AddToDelayedWorkQueue(PendingTask task);
  bool DeferOrRunPendingTask(PendingTask task);
  void ExecuteTask(const PendingTask& task);
  bool DropPendingTasks();

  Type type_;
  RunState* state_ = nullptr;
  std::shared_ptr<MessagePump> pump_;
  bool nestable_tasks_allowed_ = true;

  std::mutex incoming_lock_;
  TaskQueue incoming_queue_;  // the only queue other threads write

  TaskQueue work_queue_;
  TaskQueue deferred_non_nestable_work_queue_;
  DelayedTaskQueue delayed_work_queue_;
  int64_t next_delayed_task_sequence_num_ = 0;
  int64_t recent_tick_ = 0;

  std::shared_ptr<MessageLoopProxy> proxy_;
  StdClosure after_task_hook_;
};

}  // namespace kbase
