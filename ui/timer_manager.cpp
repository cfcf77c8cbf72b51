#include "ui/timer_manager.h"

#include <algorithm>

#include "platform/clock/clock.h"
#include "platform/message/message_api.h"

namespace ui {

namespace {

constexpr int64_t kMicrosecondsPerMs = 1000;
constexpr int64_t kMicrosecondsPerSecond = 1000000;

platform::LRESULT TimerWindowProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wparam,
                                  platform::LPARAM lparam) {
  if (message == kMsgTimerManagerTick) {
    TimerManager::GetInstance()->Poll();
    return 1;
  }
  return platform::DefWindowProc(hwnd, message, wparam, lparam);
}

}  // namespace

TimerManager* TimerManager::GetInstance() {
  static TimerManager manager;
  manager.EnsureWindow();
  return &manager;
}

TimerManager::~TimerManager() { timer_.Stop(); }

void TimerManager::EnsureWindow() {
  if (window_ == nullptr || !platform::IsWindow(window_)) {
    window_ = platform::CreateMessageWindow(TimerWindowProc);
  }
}

bool TimerManager::AddTimer(const std::weak_ptr<kbase::WeakFlag>& flag, const kbase::StdClosure& callback,
                            uint32_t interval_ms, int run_count) {
  TimerTask task;
  task.callback = callback;
  task.interval_us = std::max<int64_t>(int64_t{interval_ms} * kMicrosecondsPerMs, kMicrosecondsPerMs);
  task.run_count = run_count;
  task.due_us = platform::NowMicroseconds() + task.interval_us;
  task.flag = flag;
  tasks_.push_back(std::move(task));
  std::push_heap(tasks_.begin(), tasks_.end(), LaterDue());
  if (period_ms_ != kFastPeriodMs) RunTimer(kFastPeriodMs);
  return true;
}

void TimerManager::Poll() {
  const int64_t now = platform::NowMicroseconds();
  while (!tasks_.empty()) {
    const int64_t wait = tasks_.front().due_us - now;
    if (wait > 0) {
      if (wait < kMicrosecondsPerSecond) {
        if (period_ms_ != kFastPeriodMs) RunTimer(kFastPeriodMs);
      } else {
        RunTimer(static_cast<uint32_t>(wait / kMicrosecondsPerMs + 2));
      }
      return;
    }
    std::pop_heap(tasks_.begin(), tasks_.end(), LaterDue());
    TimerTask task = std::move(tasks_.back());
    tasks_.pop_back();
    if (task.flag.expired()) continue;
    // The callback may add timers; the task is out of the heap meanwhile.
    task.callback();
    if (task.run_count > 1) {
      --task.run_count;
    } else if (task.run_count != -1) {
      continue;
    }
    task.due_us = now + task.interval_us;
    tasks_.push_back(std::move(task));
    std::push_heap(tasks_.begin(), tasks_.end(), LaterDue());
  }
  StopTimer();
}

void TimerManager::Shutdown() {
  StopTimer();
  tasks_.clear();
  if (window_ != nullptr && platform::IsWindow(window_)) platform::DestroyWindow(window_);
  window_ = nullptr;
}

uint32_t TimerManager::GetTimerPeriod() const { return period_ms_; }

void TimerManager::RunTimer(uint32_t period_ms) {
  const platform::HWND window = window_;
  timer_.Start(period_ms, [window] { platform::PostMessage(window, kMsgTimerManagerTick, 0, 0); });
  period_ms_ = period_ms;
}

void TimerManager::StopTimer() {
  timer_.Stop();
  period_ms_ = 0;
}

}  // namespace ui
