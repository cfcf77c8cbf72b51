// The window functions over the X11 back-end: what another process does to
// our window reaches its procedure through the thread's message queue.
#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/message/event_source.h"
#include "platform/message/message_queue.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_protocol.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>

extern char** environ;

namespace platform {
namespace {

struct Seen {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  std::string payload;
  HWND hwnd = nullptr;
};
std::vector<Seen>* g_seen = nullptr;

// The picture the window paints on WM_PAINT.
std::vector<uint32_t>* g_picture = nullptr;

LRESULT Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Seen seen{message, wparam, lparam, {}, hwnd};
  if (message == WM_PAINT && g_picture) {
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    Rect client;
    GetClientRect(hwnd, &client);
    UpdateLayeredWindow(hwnd, PresentBuffer{g_picture->data(), client.Width(), client.Height(), client.Width() * 4, 255});
    EndPaint(hwnd, &paint);
    g_seen->push_back(seen);
    return 0;
  }
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
    g_picture = nullptr;
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

TEST_F(X11WindowApiTest, ExposedWindowIsPaintedThroughItsProcedureAndClickedThroughTheQueue) {
  std::vector<uint32_t> picture(120 * 80);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = (i % 3 == 0) ? 0xFF336699u : 0x80200010u;
  g_picture = &picture;
  // Shown at creation (WS_VISIBLE): the server's expose becomes WM_PAINT.
  ASSERT_TRUE(PumpUntil([&] { return Saw(WM_PAINT); }));
  Display* display = backend_->display();
  const Window window = static_cast<Window>(GetNativeWindow(hwnd_));
  XImage* image = XGetImage(display, window, 0, 0, 120, 80, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  std::vector<uint32_t> back;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) back.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)));
  }
  XDestroyImage(image);
  EXPECT_EQ(back, picture);

  Display* input = x11::OpenDisplay();
  ASSERT_NE(input, nullptr);
  XTestFakeMotionEvent(input, -1, 1010, 615, CurrentTime);
  XTestFakeButtonEvent(input, 1, True, CurrentTime);
  XTestFakeButtonEvent(input, 1, False, CurrentTime);
  XFlush(input);
  ASSERT_TRUE(PumpUntil([&] { return Saw(WM_LBUTTONUP); }));
  XCloseDisplay(input);
  for (const Seen& s : seen_) {
    if (s.message == WM_LBUTTONDOWN) {
      EXPECT_EQ(GetXLParam(s.lparam), 10);
      EXPECT_EQ(GetYLParam(s.lparam), 15);
    }
  }
  EXPECT_EQ(GetFocus(), hwnd_);
}

// A window of "another process": made on a connection of its own, the way
// the game's window looks to the launcher.
class OtherClientWindow {
 public:
  OtherClientWindow() : display_(x11::OpenDisplay()) {
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
    XClassHint hint{};
    char name[] = "UnityWndClassStandIn";
    hint.res_name = name;
    hint.res_class = name;
    XSetClassHint(display_, window_, &hint);
    long self[2] = {static_cast<long>(window_ & 0xFFFFFFFF), 0};
    XChangeProperty(display_, window_, XInternAtom(display_, "_VDL_GAME_KOREA_TEST", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(self), 2);
    const Atom wm_state = XInternAtom(display_, "WM_STATE", False);
    long state[2] = {3, 0};  // iconic
    XChangeProperty(display_, window_, wm_state, wm_state, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(state), 2);
    XSync(display_, False);
  }
  ~OtherClientWindow() {
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }
  Window window() const { return window_; }
  // The next window message posted to the window, waiting up to 5 seconds.
  std::optional<x11::PostedMessage> NextPosted() {
    const Atom type = XInternAtom(display_, x11::kPostedMessageAtom, False);
    const int64_t deadline = NowMicroseconds() + 5 * 1000 * 1000;
    while (NowMicroseconds() < deadline) {
      XEvent event;
      while (XCheckTypedWindowEvent(display_, window_, ClientMessage, &event)) {
        if (event.xclient.message_type == type) return x11::DecodePostedMessage(event.xclient);
      }
      pollfd fd{ConnectionNumber(display_), POLLIN, 0};
      poll(&fd, 1, static_cast<int>((deadline - NowMicroseconds()) / 1000) + 1);
      XEventsQueued(display_, QueuedAfterReading);
    }
    return std::nullopt;
  }

 private:
  Display* display_;
  Window window_;
};

TEST_F(X11WindowApiTest, WindowsOfAnotherProcessAreFoundReadAndPostedTo) {
  OtherClientWindow game;
  const HWND by_class = FindWindow(u"UnityWndClassStandIn", u"");
  ASSERT_NE(by_class, nullptr);
  EXPECT_TRUE(IsForeignWindow(by_class));
  EXPECT_TRUE(IsWindow(by_class));
  EXPECT_TRUE(IsIconic(by_class));
  EXPECT_FALSE(IsWindowVisible(by_class));
  const auto by_property = FindWindowsWithSelfProperty(u"_VDL_GAME_KOREA_TEST");
  ASSERT_EQ(by_property.size(), 1u);
  EXPECT_EQ(by_property[0], by_class);
  // The property names the window itself, so it reads back as its handle.
  EXPECT_EQ(GetProp(by_class, u"_VDL_GAME_KOREA_TEST"), reinterpret_cast<uintptr_t>(by_class));
  EXPECT_EQ(GetProp(by_class, u"_VDL_NO_SUCH_PROPERTY"), 0u);

  // Sending to another process never waits for it: it is posted.
  EXPECT_EQ(SendMessage(by_class, 2032, 0xFFFFFFFF00000001ull, -7), 0);
  const auto posted = game.NextPosted();
  ASSERT_TRUE(posted.has_value());
  EXPECT_EQ(posted->message, 2032u);
  EXPECT_EQ(posted->wparam, 0xFFFFFFFF00000001ull);
  EXPECT_EQ(posted->lparam, -7);
}

TEST_F(X11WindowApiTest, OwnedWindowsAreDestroyedBeforeAndWithTheirOwner) {
  auto owned_by = [](HWND owner) {
    return CreateWindowEx(WS_EX_LAYERED, u"X11ApiWindow", u"owned", WS_VISIBLE, 1000, 700, 60, 40, owner, nullptr);
  };
  const HWND dialog = owned_by(hwnd_);
  ASSERT_NE(dialog, nullptr);
  const HWND nested = owned_by(dialog);
  ASSERT_NE(nested, nullptr);
  const Window natives[] = {static_cast<Window>(GetNativeWindow(hwnd_)), static_cast<Window>(GetNativeWindow(dialog)),
                            static_cast<Window>(GetNativeWindow(nested))};
  const HWND owner = hwnd_;
  hwnd_ = nullptr;
  seen_.clear();
  ASSERT_TRUE(DestroyWindow(owner));
  std::vector<HWND> destroyed;
  for (const Seen& s : seen_) {
    if (s.message == WM_DESTROY) destroyed.push_back(s.hwnd);
  }
  EXPECT_EQ(destroyed, (std::vector<HWND>{nested, dialog, owner}));
  // Gone from the server too, as another client sees it.
  Display* other = x11::OpenDisplay();
  ASSERT_NE(other, nullptr);
  for (Window native : natives) {
    XWindowAttributes attributes;
    EXPECT_FALSE(XGetWindowAttributes(other, native, &attributes)) << native;
  }
  XCloseDisplay(other);
}

TEST_F(X11WindowApiTest, VirtualScreenIsTheWholeScreen) {
  Display* display = backend_->display();
  const int screen = DefaultScreen(display);
  EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), DisplayWidth(display, screen));
  EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), DisplayHeight(display, screen));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), DisplayWidth(display, screen));
}

}  // namespace
}  // namespace platform
