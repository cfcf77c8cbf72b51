#include "project/Launcher/core/worker_ticker.h"

#include <algorithm>

#include "base/framework/message_loop.h"
#include "base/time/time_delta.h"
#include "platform/clock/clock.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/misc_thread.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/services/download_manager.h"

namespace {

bool StateHasWork(const State* state) { return state && state->HasWork(); }

int64_t DeadlineOf(const State* state) {
  if (!state) return WorkerTicker::kNever;
  const int64_t ms = state->NextDeadlineMs();
  if (ms <= 0) return WorkerTicker::kNever;
  return ms >= WorkerTicker::kNever / 1000 ? WorkerTicker::kNever : ms * 1000;
}

}  // namespace

WorkerTicker::WorkerTicker(LauncherStore& store) : store_(store) {}

bool WorkerTicker::HasWork(LauncherStore& store) {
  return !store.firstTick || StateHasWork(store.currentState()) ||
         StateHasWork(store.preDownloadState.get()) || DownloadManager::GetInstance().HasWork();
}

int64_t WorkerTicker::NextDeadline(LauncherStore& store) {
  return std::min(DeadlineOf(store.currentState()), DeadlineOf(store.preDownloadState.get()));
}

void WorkerTicker::Start() {
  started_ = true;
  kbase::MessageLoop::Current()->SetAfterTaskHook([this] { AfterTask(); });
  Schedule(platform::NowMicroseconds(), platform::NowMicroseconds());
}

void WorkerTicker::Stop() {
  started_ = false;
  ++generation_;
  scheduled_at_ = kNever;
  if (kbase::MessageLoop* loop = kbase::MessageLoop::Current()) loop->SetAfterTaskHook(nullptr);
}

void WorkerTicker::Schedule(int64_t at, int64_t now) {
  if (!started_ || at == kNever) {
    scheduled_at_ = kNever;
    return;
  }
  at = std::max(at, now);
  scheduled_at_ = at;
  const uint64_t generation = ++generation_;
  kbase::MessageLoop::Current()->PostDelayedTask(
      [this, generation] { RunTick(generation); },
      kbase::TimeDelta::FromMicroseconds(at - now));
}

void WorkerTicker::RunTick(uint64_t generation) {
  if (!started_ || generation != generation_) return;  // replaced by an earlier tick
  tick_ran_ = true;
  ++ticks_;
  scheduled_at_ = kNever;
  MiscThread::Tick(store_);
  const int64_t now = platform::NowMicroseconds();
  busy_ = HasWork(store_);
  // A deadline already due is taken at the next short tick, never sooner, so
  // a state that does not move its deadline cannot spin the worker.
  const int64_t soonest = now + kBusyPeriodMicroseconds;
  Schedule(busy_ ? soonest : std::max(NextDeadline(store_), soonest), now);
}

void WorkerTicker::AfterTask() {
  if (tick_ran_) {
    tick_ran_ = false;
    return;
  }
  // While busy the next tick is at most 2 ms away and sees the change.
  if (!started_ || busy_) return;
  store_.PublishUiView();
  const int64_t now = platform::NowMicroseconds();
  if (HasWork(store_)) {
    busy_ = true;
    Schedule(now, now);
  } else if (const int64_t next = NextDeadline(store_); next < scheduled_at_) {
    Schedule(next, now);
  }
}
