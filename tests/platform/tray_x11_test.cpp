// The tray icon on a real X server with the test tray (tools/tray_manager):
// docking, late docking, no tray, balloons, clicks, the attention state and
// the pop-up menu a right click opens.

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <signal.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/menu/popup_menu.h"
#include "platform/message/message_api.h"
#include "platform/process/process.h"
#include "platform/tray/balloon_request.h"
#include "platform/tray/sound_player.h"
#include "platform/tray/x11_tray_icon.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/window/window_messages.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::TrayState;
using platform::x11::X11TrayIcon;

constexpr platform::UINT kTrayNotify = 2025;
std::vector<platform::LPARAM> g_callbacks;

platform::LRESULT OwnerProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wparam,
                            platform::LPARAM lparam) {
  if (message == kTrayNotify) g_callbacks.push_back(lparam);
  return platform::DefWindowProc(hwnd, message, wparam, lparam);
}

// Dispatches this thread's messages (which also reads the tray icon's X
// events) until `done` holds, waiting on the queue and the X connection in
// between; false when it does not hold within ten seconds.
bool PumpUntil(const std::function<bool()>& done) {
  const int64_t give_up = platform::NowMicroseconds() + 10'000'000;
  for (;;) {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) platform::DispatchMessage(&msg);
    if (done()) return true;
    const int64_t now = platform::NowMicroseconds();
    if (now >= give_up) return false;
    // Another process writes the record: look again at least every 20 ms.
    platform::WaitForQueueInput(std::min(give_up, now + 20'000));
  }
}

// The test tray as a child process, recording to a file.
class TrayManager {
 public:
  explicit TrayManager(const TempFolder& temp) : log_(temp.File("tray.log")) {
    platform::SpawnOptions options;
    options.detach = false;
    started_ = platform::SpawnProcess({TRAY_MANAGER_PATH, "--output", log_}, options, &pid_, nullptr);
  }
  ~TrayManager() { Stop(); }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    platform::WaitProcess(pid_);
    pid_ = 0;
  }
  bool WaitReady() {
    return started_ && PumpUntil([&] { return Log().find("ready ") != std::string::npos; });
  }
  std::string Log() const { return ReadFile(log_); }
  bool Recorded(const std::string& line) const {
    return ("\n" + Log()).find("\n" + line + "\n") != std::string::npos;
  }
  bool WaitFor(const std::string& line) {
    return PumpUntil([&] { return Recorded(line); });
  }

 private:
  std::string log_;
  pid_t pid_ = 0;
  bool started_ = false;
};

platform::TrayIconParams IconFor(platform::HWND owner) {
  platform::TrayIconParams params;
  params.owner = owner;
  params.callback_message = kTrayNotify;
  params.width = 16;
  params.height = 16;
  params.pixels.assign(16 * 16, 0xFF2080C0);
  params.pixels[0] = 0x00000000;
  return params;
}

std::string DockLine(const X11TrayIcon& tray) { return "dock " + std::to_string(tray.icon_window()); }

// An icon docked in `manager`'s tray, as the tray has recorded it; null
// when it did not dock.
std::unique_ptr<X11TrayIcon> DockedIcon(TrayManager& manager, platform::HWND owner) {
  auto tray = X11TrayIcon::Open();
  if (!tray || tray->Add(IconFor(owner)) != TrayState::kDocked || !manager.WaitFor(DockLine(*tray))) return nullptr;
  return tray;
}

TEST(X11TrayIconTest, DocksInARunningTray) {
  TempFolder temp;
  TrayManager manager(temp);
  ASSERT_TRUE(manager.WaitReady());
  auto tray = X11TrayIcon::Open();
  ASSERT_TRUE(tray);
  EXPECT_EQ(tray->Add(IconFor(nullptr)), TrayState::kDocked);
  ASSERT_NE(tray->icon_window(), 0u);
  EXPECT_TRUE(manager.WaitFor(DockLine(*tray))) << manager.Log();
}

TEST(X11TrayIconTest, WithoutATrayThereIsNoIconUntilOneStarts) {
  auto tray = X11TrayIcon::Open();
  ASSERT_TRUE(tray);
  EXPECT_EQ(tray->Add(IconFor(nullptr)), TrayState::kNoManager);
  EXPECT_EQ(tray->state(), TrayState::kNoManager);
  EXPECT_FALSE(tray->ShowBalloon(u"Title", u"Text"));

  TempFolder temp;
  TrayManager manager(temp);
  ASSERT_TRUE(manager.WaitReady());
  EXPECT_TRUE(manager.WaitFor(DockLine(*tray))) << manager.Log();
  EXPECT_TRUE(PumpUntil([&] { return tray->state() == TrayState::kDocked; }));

  // The tray ends, and the next one docks the icon again.
  manager.Stop();
  EXPECT_TRUE(PumpUntil([&] { return tray->state() == TrayState::kNoManager; }));
  TempFolder temp2;
  TrayManager next(temp2);
  ASSERT_TRUE(next.WaitReady());
  EXPECT_TRUE(PumpUntil([&] { return tray->state() == TrayState::kDocked; }));
  EXPECT_TRUE(next.WaitFor(DockLine(*tray))) << next.Log();
}

TEST(X11TrayIconTest, MovesToATrayThatTakesOver) {
  TempFolder temp;
  TrayManager first(temp);
  ASSERT_TRUE(first.WaitReady());
  auto tray = DockedIcon(first, nullptr);
  ASSERT_TRUE(tray);

  // A second tray takes the selection; the first one ends on losing it.
  TempFolder temp2;
  TrayManager second(temp2);
  ASSERT_TRUE(second.WaitReady());
  EXPECT_TRUE(second.WaitFor(DockLine(*tray))) << second.Log();
  EXPECT_EQ(tray->state(), TrayState::kDocked);
}

TEST(X11TrayIconTest, BalloonRequestsReachTheTrayOnlyWhenWellFormed) {
  TempFolder temp;
  TrayManager manager(temp);
  ASSERT_TRUE(manager.WaitReady());
  auto tray = DockedIcon(manager, nullptr);
  ASSERT_TRUE(tray);
  platform::SoundPlayer no_sound(platform::SoundPlayer::PlayerList{});

  std::vector<unsigned char> record(platform::kBalloonRecordBytes, 0);
  const std::u16string title = u"Kvor \u00e9t\u00e9";
  const std::u16string text = u"The update is ready to install";
  std::copy_n(reinterpret_cast<const unsigned char*>(title.data()), title.size() * 2, record.begin());
  std::copy_n(reinterpret_cast<const unsigned char*>(text.data()), text.size() * 2, record.begin() + 128);

  std::vector<unsigned char> short_record(record.begin(), record.end() - 1);
  EXPECT_FALSE(platform::DeliverBalloonRequest(*tray, no_sound, short_record.data(), short_record.size()));
  std::vector<unsigned char> unterminated = record;
  std::fill(unterminated.begin(), unterminated.begin() + 128, 'x');
  EXPECT_FALSE(platform::DeliverBalloonRequest(*tray, no_sound, unterminated.data(), unterminated.size()));

  ASSERT_TRUE(platform::DeliverBalloonRequest(*tray, no_sound, record.data(), record.size()));
  const std::string expected = "balloon " + std::to_string(tray->icon_window()) +
                               " 1 Kvor \xc3\xa9t\xc3\xa9\\nThe update is ready to install";
  EXPECT_TRUE(manager.WaitFor(expected)) << manager.Log();
  // The refused requests sent nothing: the one balloon is the first.
  const std::string log = manager.Log();
  size_t balloons = 0;
  for (size_t at = log.find("balloon "); at != std::string::npos; at = log.find("balloon ", at + 1)) ++balloons;
  EXPECT_EQ(balloons, 1u) << log;
}

TEST(X11TrayIconTest, ClicksOnTheIconReachTheOwnerAsTheCallbackMessage) {
  TempFolder temp;
  TrayManager manager(temp);
  ASSERT_TRUE(manager.WaitReady());
  g_callbacks.clear();
  platform::HWND owner = platform::CreateMessageWindow(OwnerProc);
  auto tray = DockedIcon(manager, owner);
  ASSERT_TRUE(tray);

  // The test tray sits at the top-left corner of the screen, the icon first in it.
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  XTestFakeMotionEvent(display, -1, 5, 5, 0);
  for (unsigned button : {1u, 1u, 3u}) {
    XTestFakeButtonEvent(display, button, True, 0);
    XTestFakeButtonEvent(display, button, False, 0);
  }
  XSync(display, False);
  XCloseDisplay(display);

  const std::vector<platform::LPARAM> expected = {platform::WM_LBUTTONDOWN,   platform::WM_LBUTTONUP,
                                                  platform::WM_LBUTTONDBLCLK, platform::WM_LBUTTONUP,
                                                  platform::WM_RBUTTONDOWN,   platform::WM_RBUTTONUP};
  EXPECT_TRUE(PumpUntil([&] { return g_callbacks.size() >= expected.size(); }));
  EXPECT_EQ(g_callbacks, expected);
  tray.reset();
  platform::DestroyWindow(owner);
}

bool HasAttentionState(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    const Atom attention = XInternAtom(display, "_NET_WM_STATE_DEMANDS_ATTENTION", False);
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    found = std::find(atoms, atoms + count, attention) != atoms + count;
  }
  if (data) XFree(data);
  return found;
}

TEST(X11TrayIconTest, AttentionStateIsSetAndClearedOnAnotherProgramsWindow) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
  const Atom above = XInternAtom(display, "_NET_WM_STATE_ABOVE", False);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&above), 1);
  XSync(display, False);

  auto tray = X11TrayIcon::Open();
  ASSERT_TRUE(tray);
  ASSERT_TRUE(tray->SetAttention(window, true));
  EXPECT_TRUE(HasAttentionState(display, window));
  ASSERT_TRUE(tray->SetAttention(window, true));  // twice is still once
  ASSERT_TRUE(tray->SetAttention(window, false));
  EXPECT_FALSE(HasAttentionState(display, window));

  // The other state the window had stays.
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), 0, 64, False,
                               XA_ATOM, &type, &format, &count, &after, &data),
            Success);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(reinterpret_cast<const Atom*>(data)[0], above);
  XFree(data);

  XDestroyWindow(display, window);
  XSync(display, False);
  EXPECT_FALSE(tray->SetAttention(window, true));
  EXPECT_FALSE(tray->SetAttention(0, true));
  XCloseDisplay(display);
}

// The main window's part in the tray menu: a right click on the icon opens
// the menu at the pointer, with its bottom edge there; the chosen command
// comes back as WM_COMMAND.
platform::PopupMenu* g_menu = nullptr;
std::vector<uint16_t> g_menu_commands;

platform::LRESULT MenuOwnerProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wparam,
                                platform::LPARAM lparam) {
  if (message == kTrayNotify && lparam == platform::WM_RBUTTONDOWN && g_menu) {
    platform::Point cursor;
    platform::GetCursorPos(&cursor);
    g_menu->Track(platform::TPM_BOTTOMALIGN, cursor, hwnd);
  } else if (message == platform::WM_COMMAND) {
    g_menu_commands.push_back(platform::LoWord(wparam));
  }
  return platform::DefWindowProc(hwnd, message, wparam, lparam);
}

void FakeClick(Display* display, platform::Point at, unsigned button) {
  XTestFakeMotionEvent(display, -1, at.x, at.y, 0);
  XTestFakeButtonEvent(display, button, True, 0);
  XTestFakeButtonEvent(display, button, False, 0);
  XSync(display, False);
}

TEST(X11TrayIconTest, RightClickOpensTheMenuWhoseExitReachesTheOwner) {
  auto backend = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
  ASSERT_TRUE(backend);
  platform::InstallWindowBackend(backend.get());
  TempFolder temp;
  TrayManager manager(temp);
  ASSERT_TRUE(manager.WaitReady());
  g_menu_commands.clear();
  auto menu = std::make_unique<platform::PopupMenu>();
  ASSERT_TRUE(menu->AppendItem(2026, u"Open main window"));
  ASSERT_TRUE(menu->AppendItem(2028, u"Exit"));
  g_menu = menu.get();
  platform::HWND owner = platform::CreateMessageWindow(MenuOwnerProc);
  auto tray = DockedIcon(manager, owner);
  ASSERT_TRUE(tray);
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);

  // The icon sits at the top-left corner of the screen: the menu opens
  // there, kept on the screen.
  FakeClick(display, platform::Point{5, 5}, 3);
  ASSERT_TRUE(PumpUntil([&] { return menu->IsShown(); }));
  const platform::Rect exit_row = menu->ItemScreenRect(1);
  ASSERT_FALSE(exit_row.IsEmpty());
  EXPECT_GE(exit_row.top, 0);
  FakeClick(display, platform::Point{(exit_row.left + exit_row.right) / 2, (exit_row.top + exit_row.bottom) / 2}, 1);
  EXPECT_TRUE(PumpUntil([&] { return !g_menu_commands.empty(); }));
  EXPECT_EQ(g_menu_commands, (std::vector<uint16_t>{2028}));
  EXPECT_FALSE(menu->IsShown());

  // Opened again and left by a press elsewhere on the screen: closed, no command.
  FakeClick(display, platform::Point{5, 5}, 3);
  ASSERT_TRUE(PumpUntil([&] { return menu->IsShown(); }));
  FakeClick(display, platform::Point{900, 700}, 1);
  EXPECT_TRUE(PumpUntil([&] { return !menu->IsShown(); }));
  EXPECT_EQ(g_menu_commands.size(), 1u);

  XCloseDisplay(display);
  tray.reset();
  g_menu = nullptr;
  menu.reset();
  platform::DestroyWindow(owner);
  platform::InstallWindowBackend(nullptr);
}

}  // namespace
