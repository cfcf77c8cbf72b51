// The one timer service of the UI thread: closures that run every interval
// while their owner's weak flag lives, driven by a periodic timer thread that
// only posts a tick message to a hidden window of the UI thread. All timer
// work (the closures included) runs on the UI thread when that message is
// dispatched. Times come from the process clock, so a fake clock drives it in
// tests.
//
// The timer thread ticks every 16 ms while a task is due within a second, and
// once, sized to the next task, when the nearest is further away; it stops
// when no task is left and at shutdown.
#ifndef UI_TIMER_MANAGER_H_
#define UI_TIMER_MANAGER_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "base/callback/weak_callback.h"
#include "platform/message/message_types.h"
#include "platform/timer/periodic_timer.h"

namespace ui {

inline constexpr platform::UINT kMsgTimerManagerTick = 11023;

class TimerManager {
 public:
  static constexpr uint32_t kFastPeriodMs = 16;

  // The manager; the first call (on the UI thread) makes its hidden window.
  static TimerManager* GetInstance();

  // Runs the callback every |interval_ms| while the flag lives: |run_count|
  // times (0 and 1 both once), or until the flag is gone for -1. The first
  // run is one interval from now. An interval below 1 ms counts as 1 ms, so
  // a task runs at most once a poll. Always true.
  bool AddTimer(const std::weak_ptr<kbase::WeakFlag>& flag, const kbase::StdClosure& callback,
                uint32_t interval_ms, int run_count);
  // Runs every task that is due (on the tick message).
  void Poll();
  // Stops and joins the timer thread, drops every task and the hidden window.
  void Shutdown();

  // The period the timer thread runs at, 0 while it is stopped.
  uint32_t GetTimerPeriod() const;
  size_t GetTaskCount() const { return tasks_.size(); }

 private:
  struct TimerTask {
    kbase::StdClosure callback;
    int64_t interval_us = 0;
    int run_count = 0;
    int64_t due_us = 0;
    std::weak_ptr<kbase::WeakFlag> flag;
  };
  struct LaterDue {
    bool operator()(const TimerTask& a, const TimerTask& b) const { return a.due_us > b.due_us; }
  };

  TimerManager() = default;
  ~TimerManager();

  void EnsureWindow();
  void RunTimer(uint32_t period_ms);
  void StopTimer();

  std::vector<TimerTask> tasks_;  // a heap, earliest due on top
  platform::HWND window_ = nullptr;
  uint32_t period_ms_ = 0;
  platform::PeriodicTimer timer_;
};

}  // namespace ui

#endif  // UI_TIMER_MANAGER_H_
