#include "base/framework/message_loop.h"

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/framework/io_message_loop.h"
#include "base/framework/message_loop_proxy.h"
#include "base/time/task_time_clock.h"
#include "platform/clock/fake_clock.h"

namespace kbase {
namespace {

// Every test runs a default loop on the test's thread against a fake clock.
class MessageLoopTest : public ::testing::Test {
 protected:
  // Runs until every task that is due has run and nothing is left to do now.
  void RunUntilIdle() {
    loop_.PostTask([this] { loop_.QuitWhenIdle(); });
    loop_.RunWithRunState();
  }

  platform::ScopedFakeClock clock_;
  MessageLoop loop_;
  std::vector<std::string> order_;
};

TEST_F(MessageLoopTest, ImmediateBeforeDelayedAndDelayedByRunTime) {
  auto record = [this](const char* name) { return [this, name] { order_.push_back(name); }; };
  loop_.PostDelayedTask(record("d20"), TimeDelta(20));
  loop_.PostTask(record("a"));
  loop_.PostDelayedTask(record("d10-first"), TimeDelta(10));
  loop_.PostDelayedTask(record("d10-second"), TimeDelta(10));
  loop_.PostTask(record("b"));
  loop_.PostTask([this] { clock_.Advance(30); });
  RunUntilIdle();
  EXPECT_EQ((std::vector<std::string>{"a", "b", "d10-first", "d10-second", "d20"}), order_);
}

TEST_F(MessageLoopTest, AfterTaskHookRunsOnceAfterEveryTaskAndSeesWhatItDid) {
  std::vector<std::string> seen;
  loop_.SetAfterTaskHook([&] { seen.push_back(order_.empty() ? "-" : order_.back()); });
  auto record = [this](const char* name) { return [this, name] { order_.push_back(name); }; };
  loop_.PostTask(record("a"));
  loop_.PostDelayedTask(record("d"), TimeDelta(10));
  loop_.PostTask(record("b"));
  clock_.Advance(10);
  loop_.PostTask([this] { loop_.QuitWhenIdle(); });
  loop_.RunWithRunState();
  // a, b, the due delayed task, then the quitting task (which names nothing).
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "d", "d"}));
  loop_.SetAfterTaskHook(nullptr);
  loop_.PostTask(record("c"));
  RunUntilIdle();
  EXPECT_EQ(seen.size(), 4u);
}

TEST_F(MessageLoopTest, DelayedTasksNeverRunEarlyAndRunAtTheFirstTurnWhenDue) {
  constexpr int64_t kStep = 7;
  const int64_t start = clock_.Now();
  // Spaced so that no two fall due within one step: one due task runs a turn.
  const int64_t delays[] = {0, 15, 29, 50, 333, 1000};
  struct Ran {
    int64_t due;
    int64_t at = 0;
  };
  std::vector<Ran> ran;
  for (int64_t delay : delays)
    ran.push_back({start + delay});
  for (size_t i = 0; i < ran.size(); ++i)
    loop_.PostDelayedTask([&, i] { ran[i].at = TaskTimeClock::Now(); }, TimeDelta(delays[i]));

  // A ticker moves the clock a little at every turn until all have run.
  std::function<void()> tick = [&] {
    bool all_ran = true;
    for (const Ran& r : ran)
      all_ran &= r.at != 0;
    if (all_ran) {
      loop_.QuitWhenIdle();
      return;
    }
    clock_.Advance(kStep);
    loop_.PostTask(tick);
  };
  loop_.PostTask(tick);
  loop_.RunWithRunState();

  for (size_t i = 0; i < ran.size(); ++i) {
    EXPECT_GE(ran[i].at, ran[i].due) << "delay " << delays[i];
    EXPECT_LE(ran[i].at - ran[i].due, kStep) << "delay " << delays[i];
  }
}

TEST_F(MessageLoopTest, WaitingLoopWakesWhenTheClockReachesItsTask) {
  // The loop blocks waiting for the delayed task; another thread advances
  // the clock in steps, the last of which makes the task due.
  bool ran = false;
  int64_t due = clock_.Now() + 5000;
  loop_.PostDelayedTask(
      [&] {
        ran = true;
        EXPECT_GE(TaskTimeClock::Now(), due);
        loop_.QuitWhenIdle();
      },
      TimeDelta(5000));
  std::thread advancer([this] {
    for (int i = 0; i < 5; ++i)
      clock_.Advance(1000);
  });
  loop_.RunWithRunState();
  advancer.join();
  EXPECT_TRUE(ran);
}

TEST_F(MessageLoopTest, ProducersOnManyThreadsKeepTheirOwnOrder) {
  constexpr int kProducers = 4;
  constexpr int kTasksEach = 2000;
  std::vector<std::vector<int>> seen(kProducers);
  int remaining = kProducers * kTasksEach;
  auto proxy = loop_.message_loop_proxy();
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      for (int i = 0; i < kTasksEach; ++i) {
        ASSERT_TRUE(proxy->PostTask([&, p, i] {
          seen[p].push_back(i);
          if (--remaining == 0)
            loop_.QuitWhenIdle();
        }));
      }
    });
  }
  loop_.RunWithRunState();
  for (auto& t : producers)
    t.join();
  for (int p = 0; p < kProducers; ++p) {
    ASSERT_EQ(static_cast<size_t>(kTasksEach), seen[p].size());
    for (int i = 0; i < kTasksEach; ++i)
      ASSERT_EQ(i, seen[p][i]) << "producer " << p;
  }
}

TEST_F(MessageLoopTest, TaskPostedDuringAnotherWaitsForItToReturn) {
  auto proxy = loop_.message_loop_proxy();
  loop_.PostTask([&] {
    order_.push_back("first begins");
    // Another thread posts while this task runs; the loop must not run the
    // new task inside this one.
    std::thread([&] { proxy->PostTask([&] { order_.push_back("second"); }); }).join();
    order_.push_back("first ends");
  });
  RunUntilIdle();
  EXPECT_EQ((std::vector<std::string>{"first begins", "first ends", "second"}), order_);
}

TEST(MessageLoopLifetimeTest, QuitRunsQueuedTasksAndDropsUndueOnes) {
  platform::ScopedFakeClock clock;
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> watch = token;
  int immediate_runs = 0;
  bool delayed_ran = false;
  {
    MessageLoop loop;
    loop.PostTask([&] { loop.QuitWhenIdle(); });
    for (int i = 0; i < 3; ++i)
      loop.PostTask([&] { ++immediate_runs; });
    loop.PostDelayedTask([&delayed_ran, token] { delayed_ran = true; }, TimeDelta(1000));
    token.reset();
    loop.RunWithRunState();
    EXPECT_EQ(3, immediate_runs);
    EXPECT_FALSE(watch.expired());  // still queued
  }
  EXPECT_FALSE(delayed_ran);
  EXPECT_TRUE(watch.expired());  // destroyed unrun with the loop
}

// When destroyed, queues a delayed task holding a new Reposter, for as long as
// its loop is the thread's current one.
struct Reposter {
  Reposter(MessageLoop* loop, int* count) : loop(loop), count(count) {}
  ~Reposter() {
    if (MessageLoop::Current() != loop || ++*count > 100000)
      return;
    auto next = std::make_shared<Reposter>(loop, count);
    loop->PostDelayedTask([next] {}, TimeDelta(1));
  }
  MessageLoop* loop;
  int* count;
};

TEST(MessageLoopLifetimeTest, DestructionEndsWhenClosuresKeepPosting) {
  platform::ScopedFakeClock clock;
  int destructions = 0;
  {
    auto loop = std::make_unique<MessageLoop>();
    auto first = std::make_shared<Reposter>(loop.get(), &destructions);
    loop->PostDelayedTask([first] {}, TimeDelta(1));
    first.reset();
    loop.reset();
  }
  // It kept dropping what the closures posted, but gave up after its passes.
  EXPECT_GT(destructions, 1);
  EXPECT_LE(destructions, 101);
}

TEST(MessageLoopLifetimeTest, PostsThroughTheProxyFailAfterTheLoopIsGone) {
  platform::ScopedFakeClock clock;
  auto loop = std::make_unique<MessageLoop>();
  auto proxy = loop->message_loop_proxy();
  EXPECT_TRUE(proxy->IsOnLoopThread());
  loop.reset();
  bool ran = false;
  EXPECT_FALSE(proxy->PostTask([&] { ran = true; }));
  EXPECT_FALSE(proxy->PostDelayedTask([&] { ran = true; }, TimeDelta(10)));
  EXPECT_FALSE(proxy->PostNonNestableTask([&] { ran = true; }));
  EXPECT_FALSE(proxy->PostNonNestableDelayedTask([&] { ran = true; }, TimeDelta(0)));
  EXPECT_FALSE(proxy->IsOnLoopThread());
  EXPECT_FALSE(ran);
  EXPECT_EQ(nullptr, MessageLoop::Current());
}

TEST_F(MessageLoopTest, ProxyReleasedElsewhereIsDeletedOnItsLoopsThread) {
  // A proxy of the loop whose only reference another thread releases.
  auto proxy = MessageLoopProxy::Create(&loop_);
  std::weak_ptr<WeakFlag> alive = proxy->GetWeakFlag();
  std::thread([p = std::move(proxy)]() mutable {
    EXPECT_FALSE(p->IsOnLoopThread());
    p.reset();
  }).join();
  EXPECT_FALSE(alive.expired());  // handed to the loop, not deleted there
  RunUntilIdle();
  EXPECT_TRUE(alive.expired());
}

TEST_F(MessageLoopTest, ProxyHandedToALoopThatNeverRunsIsStillFreed) {
  auto loop = std::make_unique<MessageLoop>();
  auto proxy = MessageLoopProxy::Create(loop.get());
  std::weak_ptr<WeakFlag> alive = proxy->GetWeakFlag();
  std::thread([p = std::move(proxy)]() mutable { p.reset(); }).join();
  EXPECT_FALSE(alive.expired());
  loop.reset();
  EXPECT_TRUE(alive.expired());
}

}  // namespace
}  // namespace kbase

namespace kbase {
namespace {

TEST(IOMessageLoopTest, RunsPostedAndDelayedTasksOnItsPump) {
  platform::ScopedFakeClock clock;
  IOMessageLoop loop;
  EXPECT_TRUE(loop.IsType(MessageLoop::kIOMessageLoop));
  auto proxy = loop.message_loop_proxy();
  std::vector<std::string> order;
  const int64_t due = clock.Now() + 2000;
  int64_t delayed_ran_at = 0;
  loop.PostDelayedTask(
      [&] {
        order.push_back("delayed");
        delayed_ran_at = TaskTimeClock::Now();
        loop.QuitWhenIdle();
      },
      TimeDelta(2000));
  std::thread other([&] {
    std::promise<void> ran;
    proxy->PostTask([&] {
      order.push_back("from another thread");
      ran.set_value();
    });
    ran.get_future().wait();
    clock.Advance(1000);
    clock.Advance(1000);
  });
  loop.RunWithRunState();
  other.join();
  EXPECT_EQ((std::vector<std::string>{"from another thread", "delayed"}), order);
  EXPECT_GE(delayed_ran_at, due);
}

}  // namespace
}  // namespace kbase
