// The window functions over the X11 back-end: what another process does to
// our window reaches its procedure through the thread's message queue.
#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/message/event_source.h"
#include "platform/message/message_queue.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"

extern char** environ;

namespace platform {
namespace {

struct Seen {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  std::string payload;
};
std::vector<Seen>* g_seen = nullptr;

LRESULT Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Seen seen{message, wparam, lparam, {}};
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const CopyDataStruct*>(lparam);
    seen.payload.assign(static_cast<const char*>(data->lpData), data->cbData);
    g_seen->push_back(seen);
    return 9;
  }
  g_seen->push_back(seen);
  return DefWindowProc(hwnd, message, wparam, lparam);
}

constexpr UINT kPeerExited = WM_APP + 77;

// A child process whose exit reaches the thread's queue: its pidfd joins the
// queue's wait, and once it has exited a message is posted to `notify`.
class PeerProcess : public EventSource {
 public:
  PeerProcess(std::vector<std::string> args, HWND notify) : notify_(notify) {
    args.insert(args.begin(), PLATFORM_IPC_PEER);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return;
    pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    MessageQueue::ForCurrentThread()->AddEventSource(this);
  }
  ~PeerProcess() override {
    if (pidfd_ < 0) return;
    MessageQueue::ForCurrentThread()->RemoveEventSource(this);
    if (code_ == kRunning) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(pidfd_);
  }
  int descriptor() const override { return code_ == kRunning ? pidfd_ : -1; }
  void Pump() override {
    int status = 0;
    if (code_ != kRunning || waitpid(pid_, &status, WNOHANG) != pid_) return;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    PostMessage(notify_, kPeerExited, 0, 0);
  }
  int code() const { return code_; }
  static constexpr int kRunning = -1000;

 private:
  HWND notify_;
  pid_t pid_ = 0;
  int pidfd_ = -1;
  int code_ = kRunning;
};

// Dispatches until `done` holds; false when it does not within 5 seconds.
bool PumpUntil(const std::function<bool()>& done) {
  const int64_t deadline = NowMicroseconds() + 5 * 1000 * 1000;
  for (;;) {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    if (done()) return true;
    if (!WaitForQueueInput(deadline)) return done();
  }
}

class X11WindowApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    backend_ = x11::X11Backend::Open(x11::X11Backend::Options{});
    ASSERT_NE(backend_, nullptr);
    InstallWindowBackend(backend_.get());
    g_seen = &seen_;
    WNDCLASS window_class;
    window_class.lpfnWndProc = &Proc;
    window_class.lpszClassName = u"X11ApiWindow";
    ASSERT_TRUE(RegisterClass(window_class) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    hwnd_ = CreateWindowEx(WS_EX_LAYERED, u"X11ApiWindow", u"api", WS_VISIBLE, 1000, 600, 120, 80, nullptr, nullptr);
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override {
    if (hwnd_) DestroyWindow(hwnd_);
    InstallWindowBackend(nullptr);
    backend_.reset();
    g_seen = nullptr;
  }
  bool Saw(UINT message) const {
    for (const Seen& s : seen_) {
      if (s.message == message) return true;
    }
    return false;
  }

  std::unique_ptr<x11::X11Backend> backend_;
  std::vector<Seen> seen_;
  HWND hwnd_ = nullptr;
};

TEST_F(X11WindowApiTest, AnotherProcessFindsTheWindowByItsPropertyAndPostsToIt) {
  ASSERT_TRUE(SetProp(hwnd_, u"_VDL_LAUNCHER_KOREA_TEST", reinterpret_cast<uintptr_t>(hwnd_)));
  // This process finds its own window once, however it looks.
  const auto found = FindWindowsWithSelfProperty(u"_VDL_LAUNCHER_KOREA_TEST");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], hwnd_);
  PeerProcess peer({"post", "_VDL_LAUNCHER_KOREA_TEST", "2026", "0x8000000000000001", "-2"}, hwnd_);
  ASSERT_TRUE(PumpUntil([&] { return Saw(kPeerExited) && Saw(2026); }));
  EXPECT_EQ(peer.code(), 0);
  ASSERT_TRUE(Saw(2026));
  for (const Seen& s : seen_) {
    if (s.message != 2026) continue;
    EXPECT_EQ(s.wparam, 0x8000000000000001ull);
    EXPECT_EQ(s.lparam, -2);
  }
}

TEST_F(X11WindowApiTest, CopyDataReachesTheProcedureAndItsResultTheSender) {
  ASSERT_TRUE(SetProp(hwnd_, u"_VDL_COPY_TEST", reinterpret_cast<uintptr_t>(hwnd_)));
  PeerProcess peer({"copydata", "_VDL_COPY_TEST", "0", "hello"}, hwnd_);
  ASSERT_TRUE(PumpUntil([&] { return Saw(kPeerExited); }));
  EXPECT_EQ(peer.code(), 0);
  ASSERT_TRUE(Saw(WM_COPYDATA));
  for (const Seen& s : seen_) {
    if (s.message == WM_COPYDATA) {
      EXPECT_EQ(s.payload, "hello");
    }
  }
}

}  // namespace
}  // namespace platform
