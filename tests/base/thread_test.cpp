#include "base/thread/framework_thread.h"

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/framework/message_loop_proxy.h"
#include "base/thread/thread_registry.h"
#include "platform/clock/fake_clock.h"

namespace kbase {
namespace {

constexpr int kWorkerId = 7;
constexpr int64_t kPeriod = 2000000;

// A worker that registers itself under an identifier while it runs.
class Worker : public FrameworkThread {
 public:
  explicit Worker(int identifier) : FrameworkThread("MiscThread"), identifier_(identifier) {}
  ~Worker() override { Stop(); }

  bool registered() const { return registered_; }

 protected:
  void Init() override { registered_ = ThreadRegistry::GetInstance()->RegisterCurrentThread(identifier_); }
  void Cleanup() override { ThreadRegistry::GetInstance()->UnregisterCurrentThread(); }

 private:
  int identifier_;
  bool registered_ = false;
};

// Runs |task| on |thread| and waits for its result.
template <typename Result>
Result RunOn(FrameworkThread& thread, std::function<Result()> task) {
  std::promise<Result> result;
  EXPECT_TRUE(thread.message_loop_proxy()->PostTask([&] { result.set_value(task()); }));
  return result.get_future().get();
}

// Returns once every task of |thread| that is due now has run: the last step
// is a delayed task due now, which runs after every delayed task due earlier.
void Flush(FrameworkThread& thread) {
  std::promise<void> done;
  EXPECT_TRUE(thread.message_loop_proxy()->PostTask([&] {
    MessageLoop::Current()->PostDelayedTask([&] { done.set_value(); }, TimeDelta(0));
  }));
  done.get_future().get();
}

class ThreadTest : public ::testing::Test {
 protected:
  platform::ScopedFakeClock clock_;
};

TEST_F(ThreadTest, StartRunsInitFirstAndStopRunsWhatWasQueued) {
  Worker worker(kWorkerId);
  EXPECT_FALSE(worker.IsRunning());
  ASSERT_TRUE(worker.Start());
  EXPECT_TRUE(worker.registered());  // Init finished before Start returned
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_NE(0u, worker.thread_id());

  std::atomic<int> runs{0};
  for (int i = 0; i < 100; ++i)
    ASSERT_TRUE(ThreadRegistry::PostTask(kWorkerId, [&runs] { runs++; }));
  bool delayed_ran = false;
  ASSERT_TRUE(ThreadRegistry::PostDelayedTask(kWorkerId, [&] { delayed_ran = true; },
                                              TimeDelta(1000)));
  worker.Stop();
  EXPECT_EQ(100, runs.load());
  EXPECT_FALSE(delayed_ran);  // never due: dropped with the loop
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_EQ(0u, worker.thread_id());
  EXPECT_FALSE(ThreadRegistry::PostTask(kWorkerId, [&runs] { runs++; }));
  worker.Stop();  // a second Stop does nothing
}

TEST_F(ThreadTest, StopFromTwoThreadsAtOnceEndsTheThreadOnce) {
  Worker worker(kWorkerId);
  ASSERT_TRUE(worker.Start());
  std::atomic<int> runs{0};
  for (int i = 0; i < 20; ++i)
    ThreadRegistry::PostTask(kWorkerId, [&runs] { runs++; });
  std::thread first([&] { worker.Stop(); });
  std::thread second([&] { worker.Stop(); });
  first.join();
  second.join();
  EXPECT_EQ(20, runs.load());
  EXPECT_FALSE(worker.IsRunning());
  // The thread can be started again afterwards.
  ASSERT_TRUE(worker.Start());
  EXPECT_TRUE(ThreadRegistry::PostTask(kWorkerId, [&runs] { runs++; }));
  worker.Stop();
  EXPECT_EQ(21, runs.load());
}

TEST_F(ThreadTest, StopWithoutStartDoesNothing) {
  Worker worker(kWorkerId);
  worker.Stop();
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_FALSE(ThreadRegistry::PostTask(kWorkerId, [] {}));
}

TEST_F(ThreadTest, RegistrationIsCountedAndExclusive) {
  Worker worker(kWorkerId);
  Worker other(kWorkerId + 1);
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(other.Start());
  ThreadRegistry* registry = ThreadRegistry::GetInstance();

  EXPECT_FALSE(registry->RegisterCurrentThread(3));  // the test thread runs no loop
  EXPECT_EQ(-1, FrameworkThread::CurrentThreadIdentifier());
  EXPECT_FALSE(RunOn<bool>(other, [&] { return registry->RegisterCurrentThread(kWorkerId); }));
  EXPECT_FALSE(RunOn<bool>(worker, [&] { return registry->RegisterCurrentThread(-1); }));
  EXPECT_FALSE(RunOn<bool>(worker, [&] { return registry->RegisterCurrentThread(99); }));

  // The worker holds its identifier once (from Init); register it again.
  EXPECT_TRUE(RunOn<bool>(worker, [&] { return registry->RegisterCurrentThread(kWorkerId); }));
  EXPECT_EQ(kWorkerId, RunOn<int>(worker, [] { return FrameworkThread::CurrentThreadIdentifier(); }));
  EXPECT_TRUE(RunOn<bool>(worker, [&] { return registry->UnregisterCurrentThread(); }));
  EXPECT_NE(nullptr, registry->FindProxy(kWorkerId));  // one registration left
  EXPECT_TRUE(RunOn<bool>(worker, [&] { return registry->UnregisterCurrentThread(); }));
  EXPECT_EQ(nullptr, registry->FindProxy(kWorkerId));
  EXPECT_EQ(-1, RunOn<int>(worker, [] { return FrameworkThread::CurrentThreadIdentifier(); }));
  EXPECT_FALSE(RunOn<bool>(worker, [&] { return registry->UnregisterCurrentThread(); }));

  // The identifier is free for the other thread now.
  EXPECT_TRUE(RunOn<bool>(other, [&] { return registry->UnregisterCurrentThread(); }));
  EXPECT_TRUE(RunOn<bool>(other, [&] { return registry->RegisterCurrentThread(kWorkerId); }));
  EXPECT_EQ(other.message_loop_proxy(), registry->FindProxy(kWorkerId));
}

TEST_F(ThreadTest, ThreadEndingRegisteredIsNoLongerReachable) {
  {
    Worker worker(kWorkerId);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(RunOn<bool>(worker, [] {
      return ThreadRegistry::GetInstance()->RegisterCurrentThread(kWorkerId);
    }));
    // Cleanup unregisters once; one registration is left when the loop ends.
  }
  EXPECT_EQ(nullptr, ThreadRegistry::GetInstance()->FindProxy(kWorkerId));
}

class Ticker : public SupportWeakCallback {
 public:
  std::atomic<int> runs{0};
};

// Advances the clock by one period |count| times, letting the worker finish
// each run (and re-post the next) before the next advance.
void AdvancePeriods(platform::ScopedFakeClock& clock, Worker& worker, int count) {
  for (int i = 0; i < count; ++i) {
    clock.Advance(kPeriod);
    Flush(worker);
  }
}

TEST_F(ThreadTest, RepeatingTaskRunsItsCountOnePeriodApart) {
  Worker worker(kWorkerId);
  ASSERT_TRUE(worker.Start());
  auto ticker = std::make_unique<Ticker>();
  Ticker* raw = ticker.get();
  ThreadRegistry::PostRepeatingTask(kWorkerId, ticker->WrapWeak([raw] { raw->runs++; }),
                                    TimeDelta(kPeriod), 3);
  clock_.Advance(kPeriod - 1);
  Flush(worker);
  EXPECT_EQ(0, raw->runs.load());  // not before one whole period
  clock_.Advance(1);
  Flush(worker);
  EXPECT_EQ(1, raw->runs.load());
  AdvancePeriods(clock_, worker, 5);
  EXPECT_EQ(3, raw->runs.load());
  worker.Stop();
}

TEST_F(ThreadTest, RepeatingTaskRunsUntilItsOwnerDies) {
  Worker worker(kWorkerId);
  ASSERT_TRUE(worker.Start());
  auto ticker = std::make_unique<Ticker>();
  Ticker* raw = ticker.get();
  ThreadRegistry::PostRepeatingTask(kWorkerId, ticker->WrapWeak([raw] { raw->runs++; }),
                                    TimeDelta(kPeriod), -1);
  AdvancePeriods(clock_, worker, 4);
  EXPECT_EQ(4, raw->runs.load());
  // The owner dies on the thread that runs its closures, between two runs.
  std::atomic<int> runs_at_death{-1};
  RunOn<bool>(worker, [&] {
    runs_at_death = raw->runs.load();
    ticker.reset();
    return true;
  });
  AdvancePeriods(clock_, worker, 3);
  EXPECT_EQ(4, runs_at_death.load());
  worker.Stop();
}

TEST_F(ThreadTest, RepeatingTaskOfACountOfZeroNeverRuns) {
  Worker worker(kWorkerId);
  ASSERT_TRUE(worker.Start());
  Ticker ticker;
  for (int times : {0, -2})
    ThreadRegistry::PostRepeatingTask(kWorkerId, ticker.WrapWeak([&] { ticker.runs++; }),
                                      TimeDelta(kPeriod), times);
  AdvancePeriods(clock_, worker, 3);
  EXPECT_EQ(0, ticker.runs.load());
  worker.Stop();
}

TEST_F(ThreadTest, PlainThreadRunsItsBodyAndJoins) {
  struct Body : Thread {
    ~Body() override { Join(); }
    void Run() override { ran_on = CurrentThreadId(); }
    std::atomic<uint32_t> ran_on{0};
  };
  Body body;
  ASSERT_TRUE(body.Create());
  uint32_t id = body.thread_id();
  EXPECT_NE(0u, id);
  EXPECT_NE(CurrentThreadId(), id);
  body.Join();
  EXPECT_EQ(id, body.ran_on.load());
  EXPECT_FALSE(body.has_handle());
}

}  // namespace
}  // namespace kbase
