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
};

}  // namespace kbase
