#include "platform/window/window_api.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "platform/clock/fake_clock.h"
#include "platform/window/memory_backend.h"
#include "platform/window/size_limits.h"

namespace platform {
namespace {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// What the test procedures saw, and how they answer.
struct Recorder {
  std::vector<Seen> seen;
  std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, bool*)> handler;
  Rect paint_rect;
  int paints = 0;
};
Recorder* g_recorder = nullptr;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  g_recorder->seen.push_back(Seen{hwnd, message, wparam, lparam});
  if (g_recorder->handler) {
    bool handled = false;
    const LRESULT result = g_recorder->handler(hwnd, message, wparam, lparam, &handled);
    if (handled) return result;
  }
  if (message == WM_PAINT) {
    ++g_recorder->paints;
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    g_recorder->paint_rect = paint.rcPaint;
    EndPaint(hwnd, &paint);
    return 0;
  }
  return DefWindowProc(hwnd, message, wparam, lparam);
}

LRESULT OtherProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 5) return 555;
  return DefWindowProc(hwnd, message, wparam, lparam);
}

class WindowApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_recorder = &recorder_;
    InstallWindowBackend(&backend_);
    WNDCLASS window_class;
    window_class.lpfnWndProc = &RecordingProc;
    window_class.lpszClassName = u"RecordingWindow";
    window_class.style = CS_DBLCLKS;
    ASSERT_TRUE(RegisterClass(window_class) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    window_class.lpszClassName = u"PlainWindow";
    window_class.style = 0;
    ASSERT_TRUE(RegisterClass(window_class) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
  }

  void TearDown() override {
    for (HWND hwnd : created_) {
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    DrainQueue();
    InstallWindowBackend(nullptr);
    g_recorder = nullptr;
  }

  HWND Create(const std::u16string& class_name = u"RecordingWindow", Rect rect = Rect{100, 100, 400, 300}) {
    const HWND hwnd = CreateWindowEx(WS_EX_LAYERED, class_name, u"title", 0, rect.left, rect.top, rect.Width(),
                                     rect.Height(), nullptr, nullptr);
    if (hwnd) created_.push_back(hwnd);
    return hwnd;
  }

  // Dispatches what is waiting now, without blocking.
  void DrainQueue() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }

  std::vector<UINT> Messages(std::initializer_list<UINT> wanted) const {
    std::vector<UINT> out;
    for (const Seen& s : recorder_.seen) {
      for (UINT w : wanted) {
        if (s.message == w) out.push_back(s.message);
      }
    }
    return out;
  }

  ScopedFakeClock clock_;
  MemoryBackend backend_;
  Recorder recorder_;
  std::vector<HWND> created_;
};

TEST_F(WindowApiTest, CreationSendsTheCreateMessagesToTheClassProcedure) {
  int marker = 0;
  recorder_.handler = [&](HWND, UINT message, WPARAM, LPARAM lparam, bool*) -> LRESULT {
    if (message == WM_NCCREATE || message == WM_CREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCT*>(lparam);
      EXPECT_EQ(create->lpCreateParams, &marker);
      EXPECT_EQ(create->cx, 300);
      EXPECT_EQ(std::u16string(create->lpszClass), u"RecordingWindow");
    }
    return 0;
  };
  const HWND hwnd = CreateWindowEx(0, u"RecordingWindow", u"t", 0, 10, 20, 300, 200, nullptr, &marker);
  ASSERT_NE(hwnd, nullptr);
  created_.push_back(hwnd);
  ASSERT_GE(recorder_.seen.size(), 2u);
  EXPECT_EQ(recorder_.seen[0].message, WM_NCCREATE);
  EXPECT_EQ(recorder_.seen[1].message, WM_CREATE);
  EXPECT_EQ(GetClassName(hwnd), u"RecordingWindow");
  Rect rect;
  ASSERT_TRUE(GetWindowRect(hwnd, &rect));
  EXPECT_EQ(rect, (Rect{10, 20, 310, 220}));
  recorder_.handler = nullptr;

  // Another class's windows go to that class's procedure.
  const HWND other = Create(u"PlainWindow");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(SendMessage(hwnd, WM_USER + 5, 0, 0), 0);
  EXPECT_EQ(SendMessage(other, WM_USER + 5, 0, 0), 0);  // PlainWindow also records
  WNDCLASS third;
  third.lpfnWndProc = &OtherProc;
  third.lpszClassName = u"AnsweringWindow";
  ASSERT_TRUE(RegisterClass(third) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
  const HWND answering = Create(u"AnsweringWindow");
  EXPECT_EQ(SendMessage(answering, WM_USER + 5, 0, 0), 555);
}

TEST_F(WindowApiTest, ClassRegistrationErrors) {
  WNDCLASS again;
  again.lpfnWndProc = &RecordingProc;
  again.lpszClassName = u"RecordingWindow";
  EXPECT_FALSE(RegisterClass(again));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  EXPECT_EQ(CreateWindowEx(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
}

TEST_F(WindowApiTest, FailedCreateLeavesNoWindow) {
  HWND seen = nullptr;
  recorder_.handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM, bool* handled) -> LRESULT {
    seen = hwnd;
    *handled = message == WM_CREATE;
    return -1;
  };
  EXPECT_EQ(Create(), nullptr);
  ASSERT_NE(seen, nullptr);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_EQ(GetNativeWindow(seen), 0u);
  EXPECT_EQ(Messages({WM_DESTROY, WM_NCDESTROY}).size(), 2u);
}

TEST_F(WindowApiTest, PropertiesAreSetReadRemovedAndPublished) {
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetProp(hwnd, u"_VDL_LAUNCHER_KOREA"), 0u);
  ASSERT_TRUE(SetProp(hwnd, u"_VDL_LAUNCHER_KOREA", reinterpret_cast<uintptr_t>(hwnd)));
  ASSERT_TRUE(SetProp(hwnd, u"Other", 42));
  EXPECT_EQ(GetProp(hwnd, u"_VDL_LAUNCHER_KOREA"), reinterpret_cast<uintptr_t>(hwnd));
  EXPECT_EQ(GetProp(hwnd, u"Other"), 42u);
  // Other processes see the native window where the value was the handle.
  const NativeWindow native = GetNativeWindow(hwnd);
  EXPECT_EQ(backend_.GetSharedProperty(native, "_VDL_LAUNCHER_KOREA"), native);
  EXPECT_EQ(backend_.GetSharedProperty(native, "Other"), 42u);
  const auto found = FindWindowsWithSelfProperty(u"_VDL_LAUNCHER_KOREA");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], hwnd);
  EXPECT_TRUE(FindWindowsWithSelfProperty(u"Other").empty());  // 42 is not the window

  EXPECT_EQ(RemoveProp(hwnd, u"_VDL_LAUNCHER_KOREA"), reinterpret_cast<uintptr_t>(hwnd));
  EXPECT_EQ(GetProp(hwnd, u"_VDL_LAUNCHER_KOREA"), 0u);
  EXPECT_FALSE(backend_.GetSharedProperty(native, "_VDL_LAUNCHER_KOREA").has_value());
  EXPECT_TRUE(FindWindowsWithSelfProperty(u"_VDL_LAUNCHER_KOREA").empty());
  EXPECT_EQ(RemoveProp(hwnd, u"_VDL_LAUNCHER_KOREA"), 0u);
}

TEST_F(WindowApiTest, PostsFromAnotherThreadArriveInOrder) {
  const HWND hwnd = Create();
  recorder_.seen.clear();
  constexpr int kCount = 500;
  std::thread poster([hwnd] {
    for (int i = 0; i < kCount; ++i) PostMessage(hwnd, WM_USER + 1, static_cast<WPARAM>(i), -i);
  });
  int received = 0;
  MSG msg;
  while (received < kCount && GetMessage(&msg, nullptr, 0, 0) > 0) {
    DispatchMessage(&msg);
    if (msg.message == WM_USER + 1) ++received;
  }
  poster.join();
  std::vector<WPARAM> order;
  for (const Seen& s : recorder_.seen) {
    if (s.message == WM_USER + 1) {
      EXPECT_EQ(s.lparam, -static_cast<LPARAM>(s.wparam));
      order.push_back(s.wparam);
    }
  }
  ASSERT_EQ(order.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; ++i) EXPECT_EQ(order[i], static_cast<WPARAM>(i));
}

TEST_F(WindowApiTest, TimerFiresOnTheFakeClockAndStopsWhenKilled) {
  const HWND hwnd = Create();
  ASSERT_EQ(SetTimer(hwnd, 7, 100, nullptr), 7u);
  DrainQueue();
  EXPECT_TRUE(Messages({WM_TIMER}).empty());
  clock_.Advance(99 * 1000);
  DrainQueue();
  EXPECT_TRUE(Messages({WM_TIMER}).empty());
  clock_.Advance(1000);
  DrainQueue();
  ASSERT_EQ(Messages({WM_TIMER}).size(), 1u);
  EXPECT_EQ(recorder_.seen.back().wparam, 7u);
  EXPECT_TRUE(KillTimer(hwnd, 7));
  clock_.Advance(1000 * 1000);
  DrainQueue();
  EXPECT_EQ(Messages({WM_TIMER}).size(), 1u);
}

TEST_F(WindowApiTest, PaintIsCoalescedAndComesWhenNothingIsPosted) {
  const HWND hwnd = Create();
  DrainQueue();
  recorder_.seen.clear();
  recorder_.paints = 0;
  const Rect a{10, 10, 20, 20};
  const Rect b{50, 5, 60, 30};
  InvalidateRect(hwnd, &a, false);
  PostMessage(hwnd, WM_USER + 9, 0, 0);
  InvalidateRect(hwnd, &b, false);
  backend_.InjectExpose(GetNativeWindow(hwnd), Rect{0, 0, 5, 5});
  ASSERT_TRUE(SetTimer(hwnd, 1, 10, nullptr));
  clock_.Advance(20 * 1000);
  DrainQueue();
  // Posted first, then one paint of everything invalidated, then the timer.
  const auto order = Messages({WM_USER + 9, WM_PAINT, WM_TIMER});
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], WM_USER + 9);
  EXPECT_EQ(order[1], WM_PAINT);
  EXPECT_EQ(order[2], WM_TIMER);
  EXPECT_EQ(recorder_.paints, 1);
  EXPECT_EQ(recorder_.paint_rect, (Rect{0, 0, 60, 30}));
  Rect update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, false));
  KillTimer(hwnd, 1);
}

TEST_F(WindowApiTest, UnpaintedWindowGetsPaintUntilValidated) {
  const HWND hwnd = Create();
  DrainQueue();
  int paints = 0;
  recorder_.handler = [&](HWND, UINT message, WPARAM, LPARAM, bool* handled) -> LRESULT {
    if (message == WM_PAINT && ++paints < 3) *handled = true;  // ignores the first two
    return 0;
  };
  InvalidateRect(hwnd, nullptr, false);
  MSG msg;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    DispatchMessage(&msg);
  }
  // The third went to DefWindowProc, which validates.
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowApiTest, QuitComesAfterWhatWasPostedBeforeIt) {
  const HWND hwnd = Create();
  DrainQueue();
  PostMessage(hwnd, WM_USER + 2, 0, 0);
  PostQuitMessage(3);
  MSG msg;
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_USER + 2);
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(WindowApiTest, SendMessageCallsAtOnceOnItsThreadAndIsRefusedFromAnother) {
  const HWND hwnd = Create();
  recorder_.handler = [](HWND, UINT message, WPARAM wparam, LPARAM, bool* handled) -> LRESULT {
    *handled = message == WM_USER + 3;
    return static_cast<LRESULT>(wparam * 2);
  };
  EXPECT_EQ(SendMessage(hwnd, WM_USER + 3, 21, 0), 42);
  LRESULT from_other = -1;
  uint32_t error = 0;
  std::thread other([&] {
    from_other = SendMessage(hwnd, WM_USER + 3, 21, 0);
    error = GetLastError();
  });
  other.join();
  EXPECT_EQ(from_other, 0);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
}

TEST_F(WindowApiTest, BackEndInputReachesTheProcedure) {
  const HWND hwnd = Create(u"RecordingWindow");
  const HWND plain = Create(u"PlainWindow", Rect{500, 100, 600, 200});
  DrainQueue();
  recorder_.seen.clear();
  for (HWND target : {hwnd, plain}) {
    backend_.AdvanceTimeMs(5000);
    for (int i = 0; i < 2; ++i) {
      backend_.InjectButton(GetNativeWindow(target), 1, true, Point{4, 6});
      backend_.InjectButton(GetNativeWindow(target), 1, false, Point{4, 6});
    }
  }
  DrainQueue();
  std::vector<std::pair<HWND, UINT>> clicks;
  for (const Seen& s : recorder_.seen) {
    if (s.message == WM_LBUTTONDOWN || s.message == WM_LBUTTONDBLCLK) clicks.emplace_back(s.hwnd, s.message);
  }
  // Only the class with CS_DBLCLKS gets double clicks.
  ASSERT_EQ(clicks.size(), 4u);
  EXPECT_EQ(clicks[0], std::make_pair(hwnd, WM_LBUTTONDOWN));
  EXPECT_EQ(clicks[1], std::make_pair(hwnd, WM_LBUTTONDBLCLK));
  EXPECT_EQ(clicks[2], std::make_pair(plain, WM_LBUTTONDOWN));
  EXPECT_EQ(clicks[3], std::make_pair(plain, WM_LBUTTONDOWN));
  // The hit test and the cursor question come first, sent while the press
  // is taken from the back-end; the button message follows in the queue.
  const auto first = Messages({WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONDOWN});
  ASSERT_GE(first.size(), 3u);
  EXPECT_EQ(first[0], WM_NCHITTEST);
  EXPECT_EQ(first[1], WM_SETCURSOR);
}

TEST_F(WindowApiTest, StyleWordsAndTheFirstSizeAndPosition) {
  const HWND hwnd = CreateWindowEx(0, u"RecordingWindow", u"", 0xCE0000, 10, 20, 300, 200, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  created_.push_back(hwnd);
  // The first WM_SIZE and WM_MOVE come right after WM_CREATE.
  const auto first = Messages({WM_CREATE, WM_SIZE, WM_MOVE});
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[1], WM_SIZE);
  EXPECT_EQ(GetWindowLongPtr(hwnd, GWL_STYLE), 0xCE0000);
  // What the window base does on creation: the caption bits go.
  EXPECT_EQ(SetWindowLongPtr(hwnd, GWL_STYLE, 0xCE0000 & ~WS_CAPTION), 0xCE0000);
  EXPECT_EQ(GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CAPTION, 0);
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_EQ(GetWindowLongPtr(hwnd, GWL_STYLE) & WS_VISIBLE, static_cast<LONG_PTR>(WS_VISIBLE));
  SetWindowLongPtr(hwnd, GWL_EXSTYLE, WS_EX_LAYERED);
  EXPECT_EQ(GetWindowLongPtr(hwnd, GWL_EXSTYLE), static_cast<LONG_PTR>(WS_EX_LAYERED));
}

TEST_F(WindowApiTest, RightClickEndsInAContextMenuRequestAtTheScreenPoint) {
  const HWND hwnd = Create();  // at (100, 100)
  DrainQueue();
  recorder_.seen.clear();
  backend_.InjectButton(GetNativeWindow(hwnd), 3, true, Point{7, 9});
  backend_.InjectButton(GetNativeWindow(hwnd), 3, false, Point{7, 9});
  DrainQueue();
  const auto order = Messages({WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU});
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[2], WM_CONTEXTMENU);
  const Seen& menu = recorder_.seen.back();
  EXPECT_EQ(menu.message, WM_CONTEXTMENU);
  EXPECT_EQ(GetXLParam(menu.lparam), 107);
  EXPECT_EQ(GetYLParam(menu.lparam), 109);
}

TEST_F(WindowApiTest, DisabledWindowTakesNoInput) {
  const HWND hwnd = Create();
  DrainQueue();
  EnableWindow(hwnd, false);
  recorder_.seen.clear();
  const NativeWindow native = GetNativeWindow(hwnd);
  backend_.InjectButton(native, 1, true, Point{7, 9});
  backend_.InjectButton(native, 1, false, Point{7, 9});
  backend_.InjectKey(native, VK_ESCAPE, true);
  DrainQueue();
  EXPECT_TRUE(Messages({WM_NCHITTEST, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN}).empty());
  EnableWindow(hwnd, true);
  backend_.InjectKey(native, VK_ESCAPE, true);
  DrainQueue();
  EXPECT_EQ(Messages({WM_KEYDOWN}).size(), 1u);
}

TEST_F(WindowApiTest, CloseRequestGoesThroughSystemCloseToDestruction) {
  const HWND hwnd = Create();
  DrainQueue();
  backend_.InjectCloseRequest(GetNativeWindow(hwnd));
  DrainQueue();
  const auto order = Messages({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY});
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], WM_SYSCOMMAND);
  EXPECT_EQ(order[1], WM_CLOSE);
  EXPECT_EQ(order[2], WM_DESTROY);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowApiTest, WindowOperationsReachTheBackEnd) {
  const HWND owner = Create();
  const HWND hwnd = CreateWindowEx(WS_EX_LAYERED, u"RecordingWindow", u"box", WS_VISIBLE, 0, 0, 200, 100, owner,
                                   nullptr);
  ASSERT_NE(hwnd, nullptr);
  created_.push_back(hwnd);
  const NativeWindow native = GetNativeWindow(hwnd);
  EXPECT_EQ(backend_.Owner(native), GetNativeWindow(owner));
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), owner);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(backend_.IsVisible(native));
  EXPECT_EQ(GetFocus(), hwnd);

  SetWindowPos(hwnd, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Rect rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect, (Rect{30, 40, 230, 140}));
  Point p{5, 6};
  ClientToScreen(hwnd, &p);
  EXPECT_EQ(p, (Point{35, 46}));

  ShowWindow(hwnd, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(hwnd));
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect, MonitorFromWindow(hwnd)->work);
  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(hwnd));

  const uint32_t pixel = 0x80402010;
  EXPECT_TRUE(UpdateLayeredWindow(hwnd, PresentBuffer{&pixel, 1, 1, 4, 255}));
  EXPECT_EQ(backend_.LastPicture(native)->pixels[0], pixel);
  EXPECT_TRUE(SetWindowRoundRegion(hwnd, Size{6, 6}));
  EXPECT_EQ(backend_.RoundShape(native), (Size{6, 6}));
  SetWindowText(hwnd, u"new");
  EXPECT_EQ(backend_.Title(native), u"new");
  EXPECT_EQ(GetWindowText(hwnd), u"new");
  backend_.SetDpi(144);
  EXPECT_EQ(GetDpiForSystem(), 144);
  EXPECT_EQ(FindWindow(u"RecordingWindow", u"new"), hwnd);

  ShowWindow(hwnd, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  DestroyWindow(hwnd);
  EXPECT_FALSE(backend_.IsNativeWindow(native));
}

TEST_F(WindowApiTest, InputInjectedFromAnotherThreadWakesTheWait) {
  const HWND hwnd = Create();
  DrainQueue();
  std::thread injector([&] { backend_.InjectMessage(GetNativeWindow(hwnd), WM_KEYDOWN, VK_RETURN, 1); });
  MSG msg;
  ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), 1);
  injector.join();
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.hwnd, hwnd);
}

TEST_F(WindowApiTest, MessageOnlyWindowsHaveNoNativeWindow) {
  const HWND hwnd = CreateWindowEx(0, u"RecordingWindow", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
  ASSERT_NE(hwnd, nullptr);
  created_.push_back(hwnd);
  EXPECT_EQ(GetNativeWindow(hwnd), 0u);
  EXPECT_FALSE(InvalidateRect(hwnd, nullptr, false));
  PostMessage(hwnd, WM_USER + 1, 1, 2);
  DrainQueue();
  EXPECT_EQ(Messages({WM_USER + 1}).size(), 1u);
}

// Indexes of the recorded messages, for order checks.
std::vector<size_t> IndexesOf(const std::vector<Seen>& seen, HWND hwnd, UINT message) {
  std::vector<size_t> found;
  for (size_t i = 0; i < seen.size(); ++i) {
    if (seen[i].hwnd == hwnd && seen[i].message == message) found.push_back(i);
  }
  return found;
}

TEST_F(WindowApiTest, DestroyingAnOwnerDestroysWhatItOwnsFirst) {
  const HWND owner = Create();
  auto owned_by = [&](HWND parent) {
    const HWND hwnd = CreateWindowEx(0, u"RecordingWindow", u"", WS_VISIBLE, 0, 0, 50, 50, parent, nullptr);
    created_.push_back(hwnd);
    return hwnd;
  };
  const HWND dialog = owned_by(owner);
  const HWND nested = owned_by(dialog);
  const HWND second = owned_by(owner);
  const HWND stranger = Create();
  const NativeWindow natives[] = {GetNativeWindow(owner), GetNativeWindow(dialog), GetNativeWindow(nested),
                                  GetNativeWindow(second)};
  DrainQueue();
  recorder_.seen.clear();
  // A window whose destruction asks for its owner's again changes nothing.
  recorder_.handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM, bool*) -> LRESULT {
    if (hwnd == nested && message == WM_DESTROY) {
      EXPECT_FALSE(DestroyWindow(owner));
    }
    return 0;
  };
  ASSERT_TRUE(DestroyWindow(owner));

  std::vector<HWND> destroyed;
  for (const Seen& s : recorder_.seen) {
    if (s.message == WM_DESTROY) destroyed.push_back(s.hwnd);
  }
  EXPECT_EQ(destroyed, (std::vector<HWND>{nested, dialog, second, owner}));
  // Each owned window is wholly gone before its owner hears of it.
  EXPECT_LT(IndexesOf(recorder_.seen, dialog, WM_NCDESTROY).at(0), IndexesOf(recorder_.seen, owner, WM_DESTROY).at(0));
  for (HWND hwnd : {owner, dialog, nested, second}) EXPECT_FALSE(IsWindow(hwnd));
  for (NativeWindow native : natives) EXPECT_FALSE(backend_.IsNativeWindow(native));
  EXPECT_TRUE(IsWindow(stranger));
}

// A pop-up as the combo box makes it: WS_POPUP, a tool window, owned by the
// window of the combo, shown with SW_SHOW.
HWND CreatePopup(HWND owner, Rect rect, uint32_t style = WS_POPUP) {
  return CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_LAYERED, u"RecordingWindow", u"", style, rect.left, rect.top,
                        rect.Width(), rect.Height(), owner, nullptr);
}

TEST_F(WindowApiTest, PopUpLosesTheFocusToAPressOutsideItButNotInside) {
  const HWND owner = Create();  // (100, 100) - (400, 300)
  ShowWindow(owner, SW_SHOW);
  const HWND popup = CreatePopup(owner, Rect{150, 300, 250, 380});
  ASSERT_NE(popup, nullptr);
  created_.push_back(popup);
  ShowWindow(popup, SW_SHOW);
  DrainQueue();
  EXPECT_EQ(GetFocus(), popup);
  recorder_.seen.clear();

  backend_.InjectButton(GetNativeWindow(popup), 1, true, Point{10, 10});
  backend_.InjectButton(GetNativeWindow(popup), 1, false, Point{10, 10});
  DrainQueue();
  EXPECT_EQ(IndexesOf(recorder_.seen, popup, WM_LBUTTONUP).size(), 1u);
  EXPECT_TRUE(IndexesOf(recorder_.seen, popup, WM_KILLFOCUS).empty());
  EXPECT_EQ(GetFocus(), popup);

  // A press on the owner: the pop-up hears first that the owner takes the
  // focus, then the owner gets its press.
  backend_.InjectButton(GetNativeWindow(owner), 1, true, Point{5, 5});
  backend_.InjectButton(GetNativeWindow(owner), 1, false, Point{5, 5});
  DrainQueue();
  const auto kill = IndexesOf(recorder_.seen, popup, WM_KILLFOCUS);
  ASSERT_EQ(kill.size(), 1u);
  EXPECT_EQ(recorder_.seen[kill[0]].wparam, reinterpret_cast<WPARAM>(owner));
  const auto press = IndexesOf(recorder_.seen, owner, WM_LBUTTONDOWN);
  ASSERT_EQ(press.size(), 1u);
  EXPECT_LT(kill[0], press[0]);
  EXPECT_EQ(GetFocus(), owner);

  // Told once: the pop-up no longer watches the pointer.
  backend_.InjectButton(GetNativeWindow(owner), 1, true, Point{5, 5});
  DrainQueue();
  EXPECT_EQ(IndexesOf(recorder_.seen, popup, WM_KILLFOCUS).size(), 1u);
}

TEST_F(WindowApiTest, WhatAPressLeavesAPopUpFor) {
  struct Case {
    const char* name;
    uint32_t style;
    std::function<void(HWND owner, HWND popup, HWND inner)> press;
    bool loses_focus;
    bool wparam_is_owner;
  } cases[] = {
      {"the desktop", WS_POPUP,
       [&](HWND, HWND, HWND) { backend_.InjectButtonAt(Point{1500, 900}, 1, true); }, true, false},
      {"right button on the desktop", WS_POPUP,
       [&](HWND, HWND, HWND) { backend_.InjectButtonAt(Point{1500, 900}, 3, true); }, true, false},
      {"the owner, by screen point", WS_POPUP,
       [&](HWND, HWND, HWND) { backend_.InjectButtonAt(Point{120, 120}, 1, true); }, true, true},
      {"the pop-up, by screen point", WS_POPUP,
       [&](HWND, HWND, HWND) { backend_.InjectButtonAt(Point{160, 310}, 1, true); }, false, false},
      {"a pop-up it opened", WS_POPUP,
       [&](HWND, HWND, HWND inner) { backend_.InjectButton(GetNativeWindow(inner), 1, true, Point{2, 2}); }, false,
       false},
      {"the wheel over the owner", WS_POPUP,
       [&](HWND owner, HWND, HWND) { backend_.InjectWheel(GetNativeWindow(owner), 1, Point{2, 2}); }, false, false},
      {"a captioned window is no pop-up", WS_POPUP | WS_CAPTION,
       [&](HWND owner, HWND, HWND) { backend_.InjectButton(GetNativeWindow(owner), 1, true, Point{2, 2}); }, false,
       false},
  };
  for (const Case& c : cases) {
    const HWND owner = Create();
    ShowWindow(owner, SW_SHOW);
    const HWND popup = CreatePopup(owner, Rect{150, 300, 250, 380}, c.style);
    const HWND inner = CreatePopup(popup, Rect{260, 300, 300, 340});
    created_.push_back(popup);
    created_.push_back(inner);
    ShowWindow(popup, SW_SHOW);
    ShowWindow(inner, SW_SHOWNOACTIVATE);
    DrainQueue();
    recorder_.seen.clear();
    c.press(owner, popup, inner);
    DrainQueue();
    const auto kill = IndexesOf(recorder_.seen, popup, WM_KILLFOCUS);
    EXPECT_EQ(kill.size(), c.loses_focus ? 1u : 0u) << c.name;
    if (c.loses_focus && !kill.empty()) {
      EXPECT_EQ(recorder_.seen[kill[0]].wparam, c.wparam_is_owner ? reinterpret_cast<WPARAM>(owner) : 0u) << c.name;
    }
    DestroyWindow(owner);
  }
}

TEST_F(WindowApiTest, PopUpThatClosesOnLosingTheFocusIsGoneAfterAPressOutside) {
  const HWND owner = Create();
  ShowWindow(owner, SW_SHOW);
  const HWND popup = CreatePopup(owner, Rect{150, 300, 250, 380});
  created_.push_back(popup);
  // What the combo box's list does.
  recorder_.handler = [&](HWND hwnd, UINT message, WPARAM wparam, LPARAM, bool*) -> LRESULT {
    if (hwnd == popup && message == WM_KILLFOCUS && wparam != reinterpret_cast<WPARAM>(popup)) {
      PostMessage(popup, WM_CLOSE, 0, 0);
    }
    return 0;
  };
  ShowWindow(popup, SW_SHOW);
  DrainQueue();
  backend_.InjectButtonAt(Point{170, 320}, 1, true);
  backend_.InjectButtonAt(Point{170, 320}, 1, false);
  DrainQueue();
  EXPECT_TRUE(IsWindow(popup));
  backend_.InjectButtonAt(Point{1000, 800}, 1, true);
  DrainQueue();
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_TRUE(IsWindow(owner));
}

TEST_F(WindowApiTest, TrackSizesAreAskedForAndBoundADragButNotSetWindowPos) {
  const HWND hwnd = Create();  // (100, 100) - (400, 300)
  const NativeWindow native = GetNativeWindow(hwnd);
  recorder_.handler = [&](HWND, UINT message, WPARAM, LPARAM lparam, bool* handled) -> LRESULT {
    if (message == WM_NCHITTEST) {
      *handled = true;
      return HTBOTTOMRIGHT;
    }
    if (message == WM_GETMINMAXINFO) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = Point{200, 150};
      info->ptMaxTrackSize = Point{500, 400};
      *handled = true;
    }
    return 0;
  };
  ShowWindow(hwnd, SW_SHOW);
  DrainQueue();
  const SizeLimits limits = backend_.SizeLimitsOf(native);
  EXPECT_EQ(limits.min_track, (Size{200, 150}));
  EXPECT_EQ(limits.max_track, (Size{500, 400}));
  EXPECT_TRUE(limits.own_min && limits.own_max);

  recorder_.seen.clear();
  backend_.InjectButtonAt(Point{398, 298}, 1, true);
  backend_.InjectMouseMoveAt(Point{1500, 1000});
  DrainQueue();
  Rect rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect, (Rect{100, 100, 600, 500}));
  // Asked again when the resize began, before any size changed.
  const auto asked = Messages({WM_GETMINMAXINFO, WM_SIZE});
  ASSERT_GE(asked.size(), 2u);
  EXPECT_EQ(asked[0], WM_GETMINMAXINFO);
  backend_.InjectMouseMoveAt(Point{0, 0});
  backend_.InjectButtonAt(Point{0, 0}, 1, false);
  DrainQueue();
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect, (Rect{100, 100, 300, 250}));
  EXPECT_TRUE(Messages({WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());

  // The drag is over: the pointer moves nothing now.
  backend_.InjectMouseMoveAt(Point{150, 150});
  DrainQueue();
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect, (Rect{100, 100, 300, 250}));

  // The program's own sizes are not bound, as on Windows.
  SetWindowPos(hwnd, nullptr, 0, 0, 50, 40, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect, (Rect{100, 100, 150, 140}));
}

TEST_F(WindowApiTest, VirtualScreenHoldsEveryMonitor) {
  MonitorInfo primary;
  primary.monitor = Rect{0, 0, 1920, 1080};
  primary.work = Rect{0, 0, 1920, 1040};
  primary.primary = true;
  MonitorInfo left;
  left.monitor = Rect{-1280, 200, 0, 1224};
  left.work = left.monitor;
  backend_.SetMonitors({primary, left});
  EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -1280);
  EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 3200);
  EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1224);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);

  // The default largest track size is the virtual screen's.
  std::optional<MINMAXINFO> seen;
  recorder_.handler = [&](HWND, UINT message, WPARAM, LPARAM lparam, bool*) -> LRESULT {
    if (message == WM_GETMINMAXINFO) seen = *reinterpret_cast<const MINMAXINFO*>(lparam);
    return 0;
  };
  const HWND hwnd = Create();
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->ptMaxTrackSize, (Point{3200, 1224}));
  EXPECT_EQ(seen->ptMaxSize, (Point{1920, 1080}));
  EXPECT_FALSE(backend_.SizeLimitsOf(GetNativeWindow(hwnd)).own_max);
}

}  // namespace
}  // namespace platform
