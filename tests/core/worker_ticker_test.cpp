// The worker's tick against the fake clock: every 2 ms while a state has
// work, not at all while it only waits, at its deadline, and at once when a
// task posted to the worker gives it work.
#include "project/Launcher/core/worker_ticker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/clock/fake_clock.h"
#include "project/Launcher/core/flow/enter_game_state.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/services/download_manager.h"
#include "tests/core/test_thread.h"

namespace {

// A state whose work and deadline the test sets; it counts its updates and,
// like the launcher's states, moves its deadline once it acted on it.
struct Probe {
  std::atomic<int> updates{0};
  std::atomic<bool> hasWork{false};
  std::atomic<int64_t> deadlineMs{0};
};

class ProbeState : public State {
 public:
  explicit ProbeState(Probe* probe) : probe_(probe) {}
  int32_t TypeId() const override { return kEnterGameStateId; }
  void Enter(State*) override {}
  void Update() override {
    ++probe_->updates;
    probe_->deadlineMs = 0;
  }
  void Leave(State*) override {}
  bool HasWork() const override { return probe_->hasWork; }
  int64_t NextDeadlineMs() const override { return probe_->deadlineMs; }

 private:
  Probe* probe_;
};

class TickedWorker : public RegisteredTestThread {
 public:
  explicit TickedWorker(LauncherStore& store) : RegisteredTestThread(kThreadMisc), store_(store), ticker_(store) {}
  ~TickedWorker() override { Stop(); }
  uint64_t ticks() {
    uint64_t n = 0;
    RunOn(kThreadMisc, [&] { n = ticker_.ticks(); });
    return n;
  }

 protected:
  void Init() override {
    RegisteredTestThread::Init();
    store_.firstTick = true;  // no launcher check: the test sets the state
    ticker_.Start();
  }
  void Cleanup() override {
    ticker_.Stop();
    store_.ChangeState(nullptr);
    RegisteredTestThread::Cleanup();
  }

 private:
  LauncherStore& store_;
  WorkerTicker ticker_;
};

class WorkerTickerTest : public testing::Test {
 protected:
  // Lets the worker run what is due: after a first task the loop runs a due
  // delayed task before it takes the second.
  static void Settle() {
    RunOn(kThreadMisc, [] {});
    RunOn(kThreadMisc, [] {});
  }
  // Moves the clock in 2 ms steps, letting the worker see each.
  void Advance(int steps) {
    for (int i = 0; i < steps; ++i) {
      clock_.Advance(WorkerTicker::kBusyPeriodMicroseconds);
      Settle();
    }
  }
  int64_t NowMs() const { return clock_.Now() / 1000; }

  platform::ScopedFakeClock clock_;
  LauncherStore& store_ = LauncherStore::GetInstance();
  Probe probe_;
};

TEST_F(WorkerTickerTest, SleepsWhileTheStateWaitsAndTicksAtItsDeadlineOrOnWork) {
  TickedWorker worker(store_);
  ASSERT_TRUE(worker.Start());
  RunOn(kThreadMisc, [this] { store_.ChangeState(std::make_unique<ProbeState>(&probe_)); });
  Settle();

  // Waiting with no deadline: a second of the clock and 500 posted tasks
  // later the state has not been updated once.
  const int waiting = probe_.updates;
  const uint64_t ticks = worker.ticks();
  Advance(500);
  EXPECT_EQ(probe_.updates, waiting);
  EXPECT_LE(worker.ticks(), ticks + 1);  // the count's own task may not tick

  // A deadline set by a task posted to the worker: one update when it comes.
  const int64_t deadline = NowMs() + 50;
  RunOn(kThreadMisc, [&] { probe_.deadlineMs = deadline; });
  Advance(24);
  EXPECT_EQ(probe_.updates, waiting);
  Advance(1);
  EXPECT_EQ(probe_.updates, waiting + 1);
  Advance(50);
  EXPECT_EQ(probe_.updates, waiting + 1);

  // Work given by a posted task: updated at once, then every 2 ms.
  RunOn(kThreadMisc, [this] { probe_.hasWork = true; });
  Settle();
  const int busy = probe_.updates;
  EXPECT_GT(busy, waiting + 1);
  Advance(50);
  EXPECT_GE(probe_.updates, busy + 50);

  // Back to waiting: the ticks stop again.
  RunOn(kThreadMisc, [this] { probe_.hasWork = false; });
  Advance(2);
  const int rested = probe_.updates;
  Advance(100);
  EXPECT_EQ(probe_.updates, rested);
}

// The idle state waits for the page refresh, the launcher's recheck and the
// poll, at the times its Update acts on them; a poll under way is work.
TEST_F(WorkerTickerTest, TheIdleStateWaitsForItsRefreshRecheckAndPoll) {
  store_.localGameVersion.clear();
  store_.gateConfig = GateConfig();
  EnterGameState::ResetRefreshForTesting();
  EnterGameState idle;
  idle.Enter(nullptr);
  const int64_t entered = NowMs();
  EXPECT_FALSE(idle.HasWork());
  // No game yet: no poll; the refresh (8 h after the last, never so far)
  // comes before the recheck 12 h after entry.
  EXPECT_EQ(idle.NextDeadlineMs(), std::min<int64_t>(28800000, entered + 43200000));
  // With a game the first poll is due at once.
  store_.localGameVersion = "10077_0_1";
  EXPECT_EQ(idle.NextDeadlineMs(), entered);
  idle.pollStep = 2;
  EXPECT_TRUE(idle.HasWork());
  idle.pollStep = 0;
  // The idle state sends the queued usage events, one a tick.
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SendEvent("{}", "http://127.0.0.1:1/event", false);
  EXPECT_TRUE(idle.HasWork());
  downloads.SendQueuedEvent();  // refused at once: events are best effort
  EXPECT_FALSE(idle.HasWork());
  store_.localGameVersion.clear();
}

}  // namespace
