#pragma once
// When the worker runs its tick. While the states or the download manager
// have work the tick runs every 2 ms, as the transfers and the states need;
// when the current state only waits, the worker sleeps until the earliest
// time a state gave, or until a task posted to it changes what the states
// say (a new state, an answer, a request), and then ticks at once. The UI's
// view of the store is published by every tick and, while the worker
// sleeps, after every posted task.

#include <cstdint>
#include <limits>


class LauncherStore;

class WorkerTicker {
 public:
  static constexpr int64_t kBusyPeriodMicroseconds = 2000;
  static constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

  explicit WorkerTicker(LauncherStore& store);
  WorkerTicker(const WorkerTicker&) = delete;
  WorkerTicker& operator=(const WorkerTicker&) = delete;

  // On the worker, inside its loop: hooks the loop and ticks at once.
  void Start();
  // On the worker before its loop ends: no tick runs after this.
  void Stop();

  // Ticks run so far (worker only).
  uint64_t ticks() const { return ticks_; }

  // True when the states or the download manager have work for every tick
  // (and before the first tick, which starts the launcher's check).
  static bool HasWork(LauncherStore& store);
  // The earliest time (process clock, microseconds) a waiting state asked
  // to be ticked at, or kNever.
  static int64_t NextDeadline(LauncherStore& store);

 private:
  void Schedule(int64_t at, int64_t now);
  void RunTick(uint64_t generation);
  void AfterTask();

  LauncherStore& store_;
  bool started_ = false;
  bool busy_ = true;           // the last plan was the 2 ms tick
  bool tick_ran_ = false;      // the task just run was a tick
  int64_t scheduled_at_ = kNever;
  uint64_t generation_ = 0;    // the scheduled tick; older ones are dropped
  uint64_t ticks_ = 0;
};
