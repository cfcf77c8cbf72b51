#include "base/framework/ui_message_loop.h"

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/framework/message_loop_proxy.h"
#include "base/framework/win_ui_message_pump.h"
#include "base/thread/framework_thread.h"
#include "base/thread/thread_registry.h"
#include "base/time/task_time_clock.h"
#include "platform/clock/fake_clock.h"
#include "platform/message/message_api.h"

namespace kbase {
namespace {

using platform::MSG;

constexpr platform::UINT kMsgPing = platform::WM_USER + 50;
constexpr platform::UINT kMsgRunNested = platform::WM_USER + 51;
constexpr platform::UINT kMsgRunModal = platform::WM_USER + 52;

// A window whose procedure forwards to whatever the running test installs.
std::function<void(platform::UINT, platform::WPARAM)>* g_handler = nullptr;

platform::LRESULT TestWindowProc(platform::HWND hwnd, platform::UINT message,
                                 platform::WPARAM wparam, platform::LPARAM lparam) {
  if (g_handler && message >= platform::WM_USER)
    (*g_handler)(message, wparam);
  return platform::DefWindowProc(hwnd, message, wparam, lparam);
}

class UIMessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_handler = &handler_;
    hwnd_ = platform::CreateMessageWindow(&TestWindowProc);
  }
  void TearDown() override {
    platform::DestroyWindow(hwnd_);
    g_handler = nullptr;
  }

  void RunUntilIdle() {
    loop_.PostTask([this] { loop_.QuitWhenIdle(); });
    loop_.RunWithRunState();
  }

  platform::ScopedFakeClock clock_;
  UIMessageLoop loop_;
  platform::HWND hwnd_ = nullptr;
  std::function<void(platform::UINT, platform::WPARAM)> handler_ = [](platform::UINT,
                                                                      platform::WPARAM) {};
  std::vector<std::string> order_;
};

TEST_F(UIMessageLoopTest, TasksFromOtherThreadsAndMessagesShareTheThread) {
  constexpr int kTasks = 300;
  int tasks_run = 0;
  int pings = 0;
  handler_ = [&](platform::UINT message, platform::WPARAM) {
    if (message == kMsgPing)
      ++pings;
  };
  auto proxy = loop_.message_loop_proxy();
  std::thread poster([&] {
    for (int i = 0; i < kTasks; ++i) {
      ASSERT_TRUE(proxy->PostTask([&] {
        if (++tasks_run == kTasks)
          loop_.QuitWhenIdle();
      }));
      ASSERT_TRUE(platform::PostMessage(hwnd_, kMsgPing, 0, 0));
    }
  });
  loop_.RunWithRunState();
  poster.join();
  EXPECT_EQ(kTasks, tasks_run);
  RunUntilIdle();  // the last pings
  EXPECT_EQ(kTasks, pings);
}

TEST_F(UIMessageLoopTest, WaitingPumpRunsAShortDelayAtItsExactTime) {
  // Due in 3 ms: the window timer is armed for 10 ms, but the pump's own
  // wait ends at 3 ms. The clock only ever reaches 3 ms here.
  const int64_t due = clock_.Now() + 3000;
  int64_t ran_at = 0;
  loop_.PostDelayedTask(
      [&] {
        ran_at = TaskTimeClock::Now();
        loop_.QuitWhenIdle();
      },
      TimeDelta::FromMilliseconds(3));
  std::thread advancer([this] {
    for (int i = 0; i < 3; ++i)
      clock_.Advance(1000);
  });
  loop_.RunWithRunState();
  advancer.join();
  EXPECT_EQ(due, ran_at);
}

TEST_F(UIMessageLoopTest, QuitMessageEndsNestedAndOuterRunsAndStaysVisible) {
  handler_ = [&](platform::UINT message, platform::WPARAM) {
    if (message != kMsgRunNested)
      return;
    order_.push_back("nested begins");
    loop_.RunWithRunState();
    order_.push_back("nested ends");
  };
  loop_.PostTask([&] {
    platform::PostMessage(hwnd_, kMsgRunNested, 0, 0);
    loop_.PostTask([&] {
      order_.push_back("quit posted");
      platform::PostQuitMessage(9);
    });
  });
  loop_.RunWithRunState();
  order_.push_back("outer ends");
  EXPECT_EQ((std::vector<std::string>{"nested begins", "quit posted", "nested ends", "outer ends"}),
            order_);
  MSG msg;
  ASSERT_TRUE(platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE));
  EXPECT_EQ(platform::WM_QUIT, msg.message);
  EXPECT_EQ(9u, msg.wParam);
}

TEST_F(UIMessageLoopTest, NestedRunDefersNonNestableTasksAndQuitsOnlyItself) {
  handler_ = [&](platform::UINT message, platform::WPARAM) {
    if (message != kMsgRunNested)
      return;
    loop_.PostNonNestableTask([&] { order_.push_back("non-nestable"); });
    loop_.PostTask([&] { order_.push_back("nestable"); });
    loop_.PostTask([&] { loop_.QuitWhenIdle(); });
    loop_.RunWithRunState();
    order_.push_back("nested ended");
    loop_.PostTask([&] { loop_.QuitWhenIdle(); });  // for the outer run
  };
  platform::PostMessage(hwnd_, kMsgRunNested, 0, 0);
  // Queued before the nested run starts: it runs inside it.
  loop_.PostTask([&] { order_.push_back("outer task"); });
  loop_.RunWithRunState();
  EXPECT_EQ((std::vector<std::string>{"outer task", "nestable", "nested ended", "non-nestable"}),
            order_);
}

TEST_F(UIMessageLoopTest, MessageTakenByAFilterHookIsNotDispatched) {
  std::vector<platform::WPARAM> dispatched;
  handler_ = [&](platform::UINT message, platform::WPARAM wparam) {
    if (message == kMsgPing)
      dispatched.push_back(wparam);
  };
  int hook = platform::SetMessageFilterHook([](int code, MSG* msg) {
    return code == WinUIMessagePump::kMessageFilterCode && msg->message == kMsgPing &&
           msg->wParam == 2;
  });
  for (platform::WPARAM i = 1; i <= 3; ++i)
    platform::PostMessage(hwnd_, kMsgPing, i, 0);
  RunUntilIdle();
  platform::UnhookMessageFilter(hook);
  EXPECT_EQ((std::vector<platform::WPARAM>{1, 3}), dispatched);
}

class StoppingDispatcher : public WinMessagePumpDispatcher {
 public:
  bool Dispatch(const MSG& message) override {
    seen.push_back(message.wParam);
    return message.wParam != 2;
  }
  std::vector<platform::WPARAM> seen;
};

TEST_F(UIMessageLoopTest, DispatcherReplacesDispatchAndCanEndTheRun) {
  int dispatched = 0;
  handler_ = [&](platform::UINT, platform::WPARAM) { ++dispatched; };
  for (platform::WPARAM i = 1; i <= 3; ++i)
    platform::PostMessage(hwnd_, kMsgPing, i, 0);
  StoppingDispatcher dispatcher;
  loop_.RunWithRunState(&dispatcher);
  EXPECT_EQ((std::vector<platform::WPARAM>{1, 2}), dispatcher.seen);
  EXPECT_EQ(0, dispatched);
  RunUntilIdle();  // the third, dispatched normally
  EXPECT_EQ(1, dispatched);
}

TEST_F(UIMessageLoopTest, ManySignalsWhileBusyLeaveOneWorkMessage) {
  WinUIMessagePump* pump = loop_.ui_pump();
  auto proxy = loop_.message_loop_proxy();
  int later_tasks = 0;
  size_t work_messages = 0;
  loop_.PostTask([&] {
    // The UI thread is busy in this task while another thread posts and
    // signals again and again.
    std::thread([&] {
      for (int i = 0; i < 500; ++i) {
        proxy->PostTask([&] { ++later_tasks; });
        pump->SignalWork();
      }
    }).join();
    std::vector<MSG> taken;
    MSG msg;
    while (platform::PeekMessage(&msg, pump->message_hwnd(), WinUIMessagePump::kMsgHaveWork,
                                 WinUIMessagePump::kMsgHaveWork, platform::PM_REMOVE))
      taken.push_back(msg);
    work_messages = taken.size();
    for (const MSG& m : taken)  // put them back as they were
      platform::PostMessage(m.hwnd, m.message, m.wParam, m.lParam);
  });
  RunUntilIdle();
  EXPECT_EQ(1u, work_messages);
  EXPECT_EQ(500, later_tasks);
}

TEST_F(UIMessageLoopTest, FullQueueDoesNotLeaveTheLoopDeaf) {
  // While the queue is full the work message cannot be posted; later posts
  // must still wake the loop once it has drained the queue and sleeps.
  auto proxy = loop_.message_loop_proxy();
  int pings = 0;
  std::promise<void> flood_drained;
  handler_ = [&](platform::UINT message, platform::WPARAM) {
    if (message == kMsgPing && ++pings == static_cast<int>(platform::kMaxPostedMessages))
      flood_drained.set_value();
  };
  std::promise<void> flood_task_ran;
  loop_.PostTask([&] {
    while (platform::PostMessage(hwnd_, kMsgPing, 0, 0)) {
    }
    std::thread([&] {
      proxy->PostTask([&] { flood_task_ran.set_value(); });
    }).join();
  });
  std::promise<void> late_ran;
  std::atomic<bool> had_to_nudge{false};
  std::thread late_poster([&] {
    flood_task_ran.get_future().wait();
    flood_drained.get_future().wait();  // the loop is about to sleep
    proxy->PostTask([&] {
      late_ran.set_value();
      loop_.QuitWhenIdle();
    });
    // A deaf loop would sleep forever: wake it with a message so that the
    // test fails instead of hanging.
    if (late_ran.get_future().wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      had_to_nudge = true;
      platform::PostMessage(hwnd_, kMsgRunNested, 0, 0);
    }
  });
  loop_.RunWithRunState();
  late_poster.join();
  EXPECT_FALSE(had_to_nudge);
  EXPECT_EQ(static_cast<int>(platform::kMaxPostedMessages), pings);
}

TEST_F(UIMessageLoopTest, ForeignModalLoopStillRunsTasksAndDelayedWork) {
  // A message handler enters a modal loop of its own (as a system dialog
  // would); the pump's work message and window timer keep tasks flowing.
  std::atomic<bool> modal_done{false};
  std::vector<std::string> ran_in_modal;
  int64_t delayed_ran_at = 0;
  auto proxy = loop_.message_loop_proxy();
  handler_ = [&](platform::UINT message, platform::WPARAM) {
    if (message != kMsgRunModal)
      return;
    const int64_t due = clock_.Now() + 3000;
    std::thread([&] {
      proxy->PostTask([&] { ran_in_modal.push_back("task"); });
    }).join();
    loop_.PostDelayedTask(
        [&] {
          ran_in_modal.push_back("delayed");
          delayed_ran_at = TaskTimeClock::Now();
          modal_done = true;
        },
        TimeDelta::FromMilliseconds(3));
    // Time passes while the modal loop runs; only the pump's window timer
    // can bring the delayed task in here.
    std::thread clock_mover([&] {
      while (!modal_done) {
        clock_.Advance(1000);
        std::this_thread::yield();
      }
    });
    MSG msg;
    while (!modal_done && platform::GetMessage(&msg, nullptr, 0, 0) > 0)
      platform::DispatchMessage(&msg);
    clock_mover.join();
    EXPECT_GE(delayed_ran_at, due);
  };
  platform::PostMessage(hwnd_, kMsgRunModal, 0, 0);
  RunUntilIdle();
  EXPECT_TRUE(modal_done);
  EXPECT_EQ((std::vector<std::string>{"task", "delayed"}), ran_in_modal);
}

// The UI thread as the program runs it: a framework thread on the calling
// thread, registered as kThreadUI, ended by the quit message.
class MainThread : public FrameworkThread {
 public:
  MainThread() : FrameworkThread("MainThread") {}
  ~MainThread() override { Stop(); }
  std::promise<void> ready;

 protected:
  void Init() override {
    ThreadRegistry::GetInstance()->RegisterCurrentThread(kThreadUI);
    ready.set_value();
  }
  void Cleanup() override { ThreadRegistry::GetInstance()->UnregisterCurrentThread(); }
};

TEST(UIThreadTest, RunsOnTheCallingThreadUntilTheQuitMessage) {
  platform::ScopedFakeClock clock;
  MainThread main_thread;
  std::atomic<int> identifier_seen{-2};
  std::thread worker([&] {
    main_thread.ready.get_future().wait();
    ThreadRegistry::PostTask(kThreadUI, [&] {
      identifier_seen = FrameworkThread::CurrentThreadIdentifier();
      ThreadRegistry::PostDelayedTask(kThreadUI, [] { platform::PostQuitMessage(0); },
                                      TimeDelta(500));
    });
    // The delayed quit becomes due once the clock moves (the UI thread may
    // not have queued it yet: keep moving until it has ended).
    while (ThreadRegistry::GetInstance()->FindProxy(kThreadUI))
      clock.Advance(500);
  });
  main_thread.RunOnCurrentThread();
  worker.join();
  EXPECT_EQ(kThreadUI, identifier_seen.load());
  EXPECT_FALSE(ThreadRegistry::PostTask(kThreadUI, [] {}));
  MSG msg;
  EXPECT_TRUE(platform::PeekMessage(&msg, nullptr, platform::WM_QUIT, platform::WM_QUIT,
                                    platform::PM_REMOVE));
}

TEST(UIThreadTest, StopFromAnotherThreadRunsQueuedTasksFirst) {
  platform::ScopedFakeClock clock;
  MainThread main_thread;
  std::atomic<int> runs{0};
  std::thread controller([&] {
    main_thread.ready.get_future().wait();
    for (int i = 0; i < 50; ++i)
      ThreadRegistry::PostTask(kThreadUI, [&] { runs++; });
    main_thread.Stop();
  });
  main_thread.RunOnCurrentThread();
  controller.join();
  EXPECT_EQ(50, runs.load());
}

}  // namespace
}  // namespace kbase
