#include "base/callback/weak_callback.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace kbase {
namespace {

class Target : public SupportWeakCallback {};

TEST(WeakCallbackTest, ClosuresOfADeadOwnerDoNothingAndReturnDefaults) {
  // The closures touch state that outlives the owner, so a closure that ran
  // after the owner's death would show in `total` and `calls` rather than
  // read freed memory.
  auto target = std::make_unique<Target>();
  Target* raw = target.get();
  int total = 0;
  int calls = 0;
  auto add = target->WrapWeak([&total](int v) { return total += v; });
  auto handler = target->WrapWeak([&calls] { return ++calls > 0; });
  auto self = target->WrapWeak([raw] { return raw; });
  int side_effects = 0;
  auto plain = target->WrapWeak([&side_effects] { ++side_effects; });
  auto copy = add;

  EXPECT_EQ(5, add(5));
  EXPECT_EQ(7, copy(2));  // a copy reaches the same state
  EXPECT_TRUE(handler());
  EXPECT_EQ(raw, self());
  plain();
  EXPECT_EQ(1, side_effects);

  target.reset();
  EXPECT_TRUE(add.Expired());
  EXPECT_EQ(0, add(5));
  EXPECT_EQ(0, copy(5));
  EXPECT_EQ(7, total);
  EXPECT_FALSE(handler());
  EXPECT_EQ(1, calls);
  EXPECT_EQ(nullptr, self());
  plain();
  EXPECT_EQ(1, side_effects);
}

TEST(WeakCallbackTest, CancelSilencesEarlierClosuresOnly) {
  WeakCallbackFlag flag;
  int runs = 0;
  auto before = flag.WrapWeak([&runs] { ++runs; });
  auto before_copy = before;
  flag.Cancel();
  auto after = flag.WrapWeak([&runs] { runs += 10; });

  before();
  before_copy();
  EXPECT_EQ(0, runs);
  after();
  EXPECT_EQ(10, runs);
  // Cancelling again silences the new closure as well.
  flag.Cancel();
  after();
  EXPECT_EQ(10, runs);
}

TEST(WeakCallbackTest, StatefulCallableKeepsItsStateAcrossCalls) {
  WeakCallbackFlag flag;
  StdClosure closure;
  int last = 0;
  auto counter = flag.WrapWeak([count = 0, &last]() mutable { last = ++count; });
  closure = counter;  // as queues and timers hold it
  closure();
  closure();
  EXPECT_EQ(2, last);
  flag.Cancel();
  closure();
  EXPECT_EQ(2, last);
}

TEST(WeakCallbackTest, ClosuresShareTheOwnersOneFlag) {
  // An owner reached through two bases still has one flag.
  struct Delegate : virtual SupportWeakCallback {};
  struct Control : virtual SupportWeakCallback {};
  struct Both : Control, Delegate {};
  auto both = std::make_unique<Both>();
  auto a = static_cast<Control*>(both.get())->WrapWeak([] { return 1; });
  auto b = static_cast<Delegate*>(both.get())->WrapWeak([] { return 2; });
  EXPECT_FALSE(a.weak_flag().owner_before(b.weak_flag()) ||
               b.weak_flag().owner_before(a.weak_flag()));
  both.reset();
  EXPECT_EQ(0, a());
  EXPECT_EQ(0, b());
}

TEST(WeakCallbackTest, CopiesMadeOnOtherThreadsWhileTheOwnerDies) {
  auto target = std::make_unique<Target>();
  auto closure = target->WrapWeak([] { return std::string("alive"); });
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  std::atomic<int> copies{0};
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&] {
      while (!go.load()) {
      }
      for (int j = 0; j < 1000; ++j) {
        auto copy = closure;
        copies.fetch_add(1);
        (void)copy.Expired();
      }
    });
  }
  EXPECT_EQ("alive", closure());
  go.store(true);
  target.reset();  // while the copies are being made and dropped
  for (auto& t : threads)
    t.join();
  EXPECT_EQ(4000, copies.load());
  EXPECT_EQ("", closure());
}

}  // namespace
}  // namespace kbase
