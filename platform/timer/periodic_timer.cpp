#include "platform/timer/periodic_timer.h"

#include <chrono>
#include <utility>

namespace platform {

PeriodicTimer::~PeriodicTimer() { Stop(); }

void PeriodicTimer::Start(uint32_t period_ms, std::function<void()> tick) {
  const int64_t period_us = static_cast<int64_t>(period_ms == 0 ? 1 : period_ms) * 1000;
  std::unique_lock<std::mutex> guard(lock_);
  tick_ = std::move(tick);
  period_us_ = period_us;
  due_us_ = NowMicroseconds() + period_us;
  if (running_) {
    wake_.notify_all();
    return;
  }
  running_ = true;
  stopping_ = false;
  guard.unlock();
  AddClockWaiter(this);
  thread_ = std::thread([this] { Run(); });
}

void PeriodicTimer::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!running_) return;
    stopping_ = true;
    wake_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
  RemoveClockWaiter(this);
  std::lock_guard<std::mutex> guard(lock_);
  running_ = false;
  tick_ = nullptr;
}

bool PeriodicTimer::IsRunning() const {
  std::lock_guard<std::mutex> guard(lock_);
  return running_;
}

uint32_t PeriodicTimer::period_ms() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<uint32_t>(period_us_ / 1000);
}

void PeriodicTimer::OnClockAdvanced() {
  std::lock_guard<std::mutex> guard(lock_);
  wake_.notify_all();
}

void PeriodicTimer::Run() {
  std::unique_lock<std::mutex> guard(lock_);
  while (!stopping_) {
    const int64_t timeout = RealTimeoutMicroseconds(due_us_);
    if (timeout == 0) {
      due_us_ = NowMicroseconds() + period_us_;
      std::function<void()> tick = tick_;
      guard.unlock();
      if (tick) tick();
      guard.lock();
      continue;
    }
    // Woken by Stop, a new period, or an advance of a fake clock; each makes
    // the loop compute its wait again.
    if (timeout < 0) {
      wake_.wait(guard);
    } else {
      wake_.wait_for(guard, std::chrono::microseconds(timeout));
    }
  }
}

}  // namespace platform
