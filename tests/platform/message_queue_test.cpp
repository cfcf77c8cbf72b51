#include "platform/message/message_api.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/clock/fake_clock.h"
#include "platform/message/event_source.h"

namespace platform {
namespace {

constexpr UINT kMsgA = WM_USER + 10;
constexpr UINT kMsgB = WM_USER + 11;

// Records what its windows' procedure receives.
std::vector<UINT>* g_received = nullptr;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_received)
    g_received->push_back(message);
  return DefWindowProc(hwnd, message, wparam, lparam);
}

class MessageQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received = &received_;
    hwnd_ = CreateMessageWindow(&RecordingProc);
    ASSERT_NE(nullptr, hwnd_);
  }
  void TearDown() override {
    DestroyWindow(hwnd_);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    g_received = nullptr;
  }

  ScopedFakeClock clock_;
  HWND hwnd_ = nullptr;
  std::vector<UINT> received_;
};

TEST_F(MessageQueueTest, PostsFromManyThreadsKeepEachPostersOrderThenQuit) {
  constexpr int kPosters = 4;
  constexpr int kEach = 500;
  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p) {
    posters.emplace_back([this, p] {
      for (int i = 0; i < kEach; ++i)
        ASSERT_TRUE(PostMessage(hwnd_, kMsgA, static_cast<WPARAM>(p), i));
    });
  }
  std::vector<LPARAM> last(kPosters, -1);
  MSG msg;
  for (int n = 0; n < kPosters * kEach; ++n) {
    ASSERT_EQ(1, GetMessage(&msg, nullptr, 0, 0));
    ASSERT_EQ(hwnd_, msg.hwnd);
    ASSERT_EQ(kMsgA, msg.message);
    EXPECT_EQ(last[msg.wParam] + 1, msg.lParam);
    last[msg.wParam] = msg.lParam;
  }
  for (auto& t : posters)
    t.join();
  // The quit comes after every message posted before it was retrieved.
  PostQuitMessage(3);
  ASSERT_TRUE(PostMessage(hwnd_, kMsgB, 0, 0));
  EXPECT_EQ(1, GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(kMsgB, msg.message);
  EXPECT_EQ(0, GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(WM_QUIT, msg.message);
  EXPECT_EQ(3u, msg.wParam);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, PeekFiltersAndRemoves) {
  HWND other = CreateMessageWindow(&RecordingProc);
  ASSERT_TRUE(PostMessage(hwnd_, kMsgA, 1, 0));
  ASSERT_TRUE(PostMessage(other, kMsgB, 2, 0));
  ASSERT_TRUE(PostMessage(hwnd_, kMsgB, 3, 0));
  MSG msg;
  struct Case {
    HWND hwnd;
    UINT min, max;
    bool found;
    WPARAM wparam;
  } cases[] = {
      {nullptr, 0, 0, true, 1},
      {other, 0, 0, true, 2},
      {hwnd_, kMsgB, kMsgB, true, 3},
      {hwnd_, WM_TIMER, WM_TIMER, false, 0},
      {kThreadMessagesOnly, 0, 0, false, 0},
  };
  for (const Case& c : cases) {
    // Without removal the same message is seen again.
    for (int i = 0; i < 2; ++i) {
      ASSERT_EQ(c.found, PeekMessage(&msg, c.hwnd, c.min, c.max, PM_NOREMOVE));
      if (c.found) {
        EXPECT_EQ(c.wparam, msg.wParam);
      }
    }
  }
  ASSERT_TRUE(PeekMessage(&msg, other, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(1u, msg.wParam);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(3u, msg.wParam);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(other);
}

TEST_F(MessageQueueTest, TimersFireWhenDueOncePerRetrievalAndStopWhenKilled) {
  MSG msg;
  ASSERT_EQ(5u, SetTimer(hwnd_, 5, 30, nullptr));
  clock_.Advance(29999);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  clock_.Advance(1);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(WM_TIMER, msg.message);
  EXPECT_EQ(hwnd_, msg.hwnd);
  EXPECT_EQ(5u, msg.wParam);
  // Many missed periods still make one message, and the next is a period on.
  clock_.Advance(300000);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  // Posted messages come before a due timer.
  clock_.Advance(30000);
  ASSERT_TRUE(PostMessage(hwnd_, kMsgA, 0, 0));
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(kMsgA, msg.message);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(WM_TIMER, msg.message);
  DispatchMessage(&msg);
  EXPECT_EQ(std::vector<UINT>{WM_TIMER}, received_);

  EXPECT_TRUE(KillTimer(hwnd_, 5));
  EXPECT_FALSE(KillTimer(hwnd_, 5));
  clock_.Advance(1000000);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, ShortTimersAreClampedAndTimerProcsRun) {
  static int proc_calls = 0;
  proc_calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, uint64_t) { ++proc_calls; });
  ASSERT_NE(0u, id);
  MSG msg;
  clock_.Advance(9999);  // below the 10 ms floor
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  clock_.Advance(1);
  ASSERT_TRUE(PeekMessage(&msg, kThreadMessagesOnly, 0, 0, PM_REMOVE));
  EXPECT_EQ(id, msg.wParam);
  DispatchMessage(&msg);
  EXPECT_EQ(1, proc_calls);
  EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST_F(MessageQueueTest, WaitEndsOnAPostOrAtItsDeadlineOnly) {
  // A post from another thread wakes a wait without a deadline.
  std::thread poster([this] { PostMessage(hwnd_, kMsgA, 0, 0); });
  EXPECT_TRUE(WaitForQueueInput(0));
  poster.join();
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));

  // A deadline is reached only when the clock gets there.
  const int64_t deadline = clock_.Now() + 5000;
  std::thread advancer([this] {
    for (int i = 0; i < 5; ++i)
      clock_.Advance(1000);
  });
  EXPECT_FALSE(WaitForQueueInput(deadline));
  EXPECT_GE(clock_.Now(), deadline);
  advancer.join();

  // A timer due before the deadline ends the wait with input.
  SetTimer(hwnd_, 1, 10, nullptr);
  std::thread timer_advancer([this] { clock_.Advance(10000); });
  EXPECT_TRUE(WaitForQueueInput(clock_.Now() + 1000000));
  timer_advancer.join();
  KillTimer(hwnd_, 1);
}

// A pipe standing in for a display connection: each byte written becomes a
// message.
class PipeSource : public EventSource {
 public:
  PipeSource(HWND target) : target_(target) {
    EXPECT_EQ(0, pipe2(fds_, O_NONBLOCK | O_CLOEXEC));
  }
  ~PipeSource() override {
    close(fds_[0]);
    close(fds_[1]);
  }
  int descriptor() const override { return fds_[0]; }
  void Pump() override {
    char byte;
    while (read(fds_[0], &byte, 1) == 1)
      PostMessage(target_, kMsgB, static_cast<WPARAM>(byte), 0);
  }
  void Write(char byte) { EXPECT_EQ(1, write(fds_[1], &byte, 1)); }

 private:
  HWND target_;
  int fds_[2];
};

TEST_F(MessageQueueTest, EventSourceDescriptorWakesTheWait) {
  PipeSource source(hwnd_);
  MessageQueue::ForCurrentThread()->AddEventSource(&source);
  std::thread writer([&source] { source.Write('x'); });
  EXPECT_TRUE(WaitForQueueInput(0));
  writer.join();
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(kMsgB, msg.message);
  EXPECT_EQ(static_cast<WPARAM>('x'), msg.wParam);
  // Events already pending are taken by a peek without any wait.
  source.Write('y');
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(static_cast<WPARAM>('y'), msg.wParam);
  MessageQueue::ForCurrentThread()->RemoveEventSource(&source);
}

TEST_F(MessageQueueTest, DestroyedWindowGetsNothingMore) {
  HWND doomed = CreateMessageWindow(&RecordingProc);
  ASSERT_TRUE(IsWindow(doomed));
  ASSERT_TRUE(PostMessage(doomed, kMsgA, 0, 0));
  SetTimer(doomed, 1, 10, nullptr);
  // Another thread can neither destroy the window nor set its timers.
  std::thread([doomed] {
    EXPECT_FALSE(DestroyWindow(doomed));
    EXPECT_EQ(0u, SetTimer(doomed, 2, 10, nullptr));
    EXPECT_NE(0u, GetWindowThreadId(doomed));
  }).join();
  ASSERT_TRUE(DestroyWindow(doomed));
  EXPECT_EQ((std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}), received_);
  EXPECT_FALSE(IsWindow(doomed));
  EXPECT_FALSE(DestroyWindow(doomed));
  EXPECT_FALSE(PostMessage(doomed, kMsgA, 0, 0));
  clock_.Advance(20000);
  MSG msg;
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(-1, GetMessage(&msg, doomed, 0, 0));
}

TEST_F(MessageQueueTest, FullQueueRefusesPosts) {
  size_t accepted = 0;
  while (PostMessage(hwnd_, kMsgA, 0, 0) && accepted <= kMaxPostedMessages)
    ++accepted;
  EXPECT_EQ(kMaxPostedMessages, accepted);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(PostMessage(hwnd_, kMsgA, 0, 0));
}

TEST_F(MessageQueueTest, FilterHooksSeeMessagesLatestFirst) {
  std::vector<std::string> calls;
  int first = SetMessageFilterHook([&](int code, MSG* msg) {
    calls.push_back("first " + std::to_string(code));
    return msg->message == kMsgA;
  });
  int second = SetMessageFilterHook([&](int, MSG*) {
    calls.push_back("second");
    return false;
  });
  MSG msg;
  msg.message = kMsgA;
  EXPECT_TRUE(CallMsgFilter(&msg, 7));
  msg.message = kMsgB;
  EXPECT_FALSE(CallMsgFilter(&msg, 7));
  EXPECT_EQ((std::vector<std::string>{"second", "first 7", "second", "first 7"}), calls);
  UnhookMessageFilter(first);
  UnhookMessageFilter(second);
  msg.message = kMsgA;
  EXPECT_FALSE(CallMsgFilter(&msg, 7));
}

TEST_F(MessageQueueTest, UserDataAndProcedureSlots) {
  EXPECT_EQ(0, SetWindowLongPtr(hwnd_, GWLP_USERDATA, 42));
  EXPECT_EQ(42, GetWindowLongPtr(hwnd_, GWLP_USERDATA));
  static int replaced_calls;
  replaced_calls = 0;
  WNDPROC replacement = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++replaced_calls; };
  LONG_PTR old = SetWindowLongPtr(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(replacement));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(&RecordingProc), old);
  ASSERT_TRUE(PostMessage(hwnd_, kMsgA, 0, 0));
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(1, DispatchMessage(&msg));
  SetWindowLongPtr(hwnd_, GWLP_WNDPROC, old);
}

}  // namespace
}  // namespace platform
