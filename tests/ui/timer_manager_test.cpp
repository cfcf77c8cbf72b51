#include "ui/timer_manager.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/clock/fake_clock.h"
#include "platform/message/message_api.h"

namespace ui {
namespace {

constexpr int64_t kMs = 1000;

class TimerManagerTest : public ::testing::Test {
 protected:
  void TearDown() override { manager_->Shutdown(); }

  // Moves the clock and polls, as the tick message would.
  void AdvanceAndPoll(int64_t ms) {
    clock_.Advance(ms * kMs);
    manager_->Poll();
  }

  platform::ScopedFakeClock clock_;
  TimerManager* manager_ = TimerManager::GetInstance();
  kbase::WeakCallbackFlag owner_;
};

TEST_F(TimerManagerTest, RunCountsZeroAndOneRunOnceMinusOneUntilTheFlagGoes) {
  int runs[3] = {0, 0, 0};
  const int counts[3] = {0, 1, -1};
  for (int i = 0; i < 3; ++i) {
    manager_->AddTimer(owner_.GetWeakFlag(), [&runs, i] { ++runs[i]; }, 10, counts[i]);
  }
  for (int tick = 0; tick < 5; ++tick) AdvanceAndPoll(10);
  EXPECT_EQ(runs[0], 1);
  EXPECT_EQ(runs[1], 1);
  EXPECT_EQ(runs[2], 5);
  owner_.Cancel();
  AdvanceAndPoll(10);
  EXPECT_EQ(runs[2], 5);
  EXPECT_EQ(manager_->GetTaskCount(), 0u);
  EXPECT_EQ(manager_->GetTimerPeriod(), 0u) << "no task left: the timer thread stops";
}

TEST_F(TimerManagerTest, TaskRunsOnlyWhenDue) {
  int runs = 0;
  manager_->AddTimer(owner_.GetWeakFlag(), [&runs] { ++runs; }, 50, 3);
  AdvanceAndPoll(49);
  EXPECT_EQ(runs, 0);
  AdvanceAndPoll(1);
  EXPECT_EQ(runs, 1);
  AdvanceAndPoll(120);  // late: one run, not a burst to catch up
  EXPECT_EQ(runs, 2);
  AdvanceAndPoll(50);
  EXPECT_EQ(runs, 3);
  AdvanceAndPoll(50);
  EXPECT_EQ(runs, 3);
}

TEST_F(TimerManagerTest, DeadOwnersTaskIsDroppedWithoutRunning) {
  int runs = 0;
  {
    kbase::WeakCallbackFlag short_lived;
    manager_->AddTimer(short_lived.GetWeakFlag(), [&runs] { ++runs; }, 16, -1);
  }
  AdvanceAndPoll(16);
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(manager_->GetTaskCount(), 0u);
}

TEST_F(TimerManagerTest, IntervalZeroRunsOncePerPoll) {
  int runs = 0;
  manager_->AddTimer(owner_.GetWeakFlag(), [&runs] { ++runs; }, 0, -1);
  manager_->Poll();
  EXPECT_EQ(runs, 0) << "due one interval (at least 1 ms) from now";
  AdvanceAndPoll(1);
  EXPECT_EQ(runs, 1);
  AdvanceAndPoll(16);
  EXPECT_EQ(runs, 2) << "returns after one run, not looping inside the poll";
  manager_->Poll();
  EXPECT_EQ(runs, 2);
}

TEST_F(TimerManagerTest, DistantTaskSlowsTheTimerAndANewOneSpeedsItUp) {
  manager_->AddTimer(owner_.GetWeakFlag(), [] {}, 5000, 1);
  EXPECT_EQ(manager_->GetTimerPeriod(), TimerManager::kFastPeriodMs);
  manager_->Poll();
  EXPECT_EQ(manager_->GetTimerPeriod(), 5002u);
  manager_->AddTimer(owner_.GetWeakFlag(), [] {}, 100, 1);
  EXPECT_EQ(manager_->GetTimerPeriod(), TimerManager::kFastPeriodMs);
}

TEST_F(TimerManagerTest, TimerThreadPostsTheTickThatRunsTheTask) {
  int runs = 0;
  manager_->AddTimer(owner_.GetWeakFlag(), [&runs] { ++runs; }, 16, 1);
  clock_.Advance(16 * kMs);
  // The timer thread sees the clock move and posts the tick; waiting for the
  // message is waiting for that post.
  platform::MSG message;
  while (runs == 0) {
    ASSERT_EQ(platform::GetMessage(&message, nullptr, 0, 0), 1);
    platform::DispatchMessage(&message);
  }
  EXPECT_EQ(message.message, kMsgTimerManagerTick);
  EXPECT_EQ(runs, 1);
}

TEST_F(TimerManagerTest, ShutdownStopsTheThreadAndDropsTasks) {
  int runs = 0;
  manager_->AddTimer(owner_.GetWeakFlag(), [&runs] { ++runs; }, 16, -1);
  manager_->Shutdown();
  EXPECT_EQ(manager_->GetTimerPeriod(), 0u);
  EXPECT_EQ(manager_->GetTaskCount(), 0u);
  AdvanceAndPoll(32);
  EXPECT_EQ(runs, 0);
}

}  // namespace
}  // namespace ui
