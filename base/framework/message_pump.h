#pragma once
// The waiting half of a message loop: it calls the loop back through Delegate
// and sleeps when there is nothing to do, waking when a task is posted, when a
// delayed task falls due, or (for the UI pump) when a window message arrives.

#include <cstdint>

namespace kbase {

class MessagePump {
 public:
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // Each returns true when it did work and more may be waiting.
    virtual bool RunWork() = 0;
    // |next_delayed_work_time| receives the run time of the next delayed task
    // (microseconds of TaskTimeClock), 0 when none is left.
    virtual bool RunDelayedWork(int64_t* next_delayed_work_time) = 0;
    virtual bool RunIdleWork() = 0;
  };

  virtual ~MessagePump() = default;
  virtual void Run(Delegate* delegate) = 0;
  // Ends the innermost run (on the pump's thread).
  virtual void Quit() = 0;
  // Called from any thread after a task was queued.
  virtual void SignalWork() = 0;
  // Called on the pump's thread when a new earliest delayed task exists.
  virtual void SignalDelayedWork(int64_t delayed_work_time) = 0;

 protected:
  // The loop every pump runs, until a quit is asked. Each turn runs, in
  // order, the pump's own input (window messages), the tasks, a look at the
  // pump's wake-up and the delayed tasks; when none of them found work it
  // runs idle work, and when that found none either it waits. A quit is
  // honoured after every step.
  void RunLoop(Delegate* delegate);

  virtual bool QuitRequested() const = 0;
  // The steps a pump adds around the tasks; by default they find nothing.
  virtual bool RunNativeWork() { return false; }
  virtual bool LookForWakeUp() { return false; }
  virtual void OnDelayedWorkRan(bool more_work_is_plausible) { (void)more_work_is_plausible; }
  // Sleeps until work is signalled or delayed_work_time_ falls due.
  virtual void WaitForMoreWork() = 0;

  // Run time of the next delayed task (microseconds of TaskTimeClock); 0
  // when none is left.
  int64_t delayed_work_time_ = 0;
};

}  // namespace kbase
