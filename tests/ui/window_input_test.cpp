// Input through a real window on the in-memory back-end with the fake clock:
// what the back-end's mouse, wheel, keys and touch become for the controls,
// focus and the tab walk, the tooltip after hover, message filters and the
// notifications reflected to child windows.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/message/message_api.h"
#include "platform/window/memory_backend.h"
#include "platform/window/notify_header.h"
#include "platform/window/touch_pointer_input.h"
#include "platform/window/window_api.h"
#include "tests/ui/control_tree_fixture.h"
#include "ui/i_ui_message_filter.h"
#include "ui/tab_key_consumer.h"
#include "ui/vbox.h"

namespace ui::testing {
namespace {

struct SeenEvent {
  int type;
  UiPoint point;
  platform::WPARAM wparam;
  platform::LPARAM lparam;
  char16_t key;
  float pressure;
};

// A control that records the events sent to it and its activations.
class RecordingControl : public Control {
 public:
  void HandleEvent(EventArgs& event) override {
    if (event.pSender == this) {
      seen.push_back({event.Type, event.ptMouse, event.wParam, event.lParam, event.chKey, event.pressure});
    }
    Control::HandleEvent(event);
  }
  void Activate() override {
    ++activations;
    state_at_activation = GetState();
  }
  bool CanTabFocus() const override { return tab_focus; }

  std::vector<int> Types() const {
    std::vector<int> types;
    for (const SeenEvent& e : seen) types.push_back(e.type);
    return types;
  }
  // The events of the given types, in order.
  std::vector<SeenEvent> Only(std::initializer_list<int> types) const {
    std::vector<SeenEvent> out;
    for (const SeenEvent& e : seen) {
      for (int t : types) {
        if (e.type == t) out.push_back(e);
      }
    }
    return out;
  }
  std::vector<int> OnlyTypes(std::initializer_list<int> types) const {
    std::vector<int> out;
    for (const SeenEvent& e : Only(types)) out.push_back(e.type);
    return out;
  }

  std::vector<SeenEvent> seen;
  int activations = 0;
  ControlState state_at_activation = kControlStateNormal;
  bool tab_focus = true;
};

// A window whose class asks for double clicks.
class InputWindow : public Window {
 public:
  std::u16string GetWindowClassName() const override { return u"InputTestWindow"; }
  uint32_t GetClassStyle() const override { return platform::CS_DBLCLKS; }
};

// Three rows of 50 pixels, a, b and c, in a 300 x 200 window at (100, 100).
class WindowInputTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    platform::InstallWindowBackend(&backend_);
    GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    window_ = std::make_unique<InputWindow>();
    hwnd_ = window_->Create(nullptr, u"input", 0, 0, true, UiRect{100, 100, 400, 300});
    ASSERT_NE(hwnd_, nullptr);
    window_->AttachWindowHandle(hwnd_);
    auto* root = new VBox;
    for (RecordingControl** row : {&a_, &b_, &c_}) {
      *row = new RecordingControl;
      (*row)->SetFixedHeight(50);
      root->Add(*row);
    }
    window_->AttachRoot(root);
    platform::ShowWindow(hwnd_, platform::SW_SHOWNOACTIVATE);
    Drain();  // the first paint lays the rows out
    ASSERT_EQ(b_->GetPos(true), (UiRect{0, 50, 300, 100}));
  }
  void TearDown() override {
    for (platform::HWND hwnd : {hwnd_, other_}) {
      if (hwnd != nullptr && platform::IsWindow(hwnd)) platform::DestroyWindow(hwnd);
    }
    Drain();
    window_.reset();
    other_window_.reset();
    GlobalManager::Shutdown();
    platform::InstallWindowBackend(nullptr);
    ControlTreeTest::TearDown();
  }

  void Drain() {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::TranslateMessage(&msg);
      platform::DispatchMessage(&msg);
    }
  }
  platform::NativeWindow Native() const { return platform::GetNativeWindow(hwnd_); }
  void Move(UiPoint p) {
    backend_.InjectMouseMove(Native(), p);
    Drain();
  }
  void Button(int button, bool down, UiPoint p) {
    backend_.InjectButton(Native(), button, down, p);
    Drain();
  }
  void Key(uint32_t key, bool down) {
    backend_.InjectKey(Native(), key, down);
    Drain();
  }
  void Tab() {
    Key(platform::VK_TAB, true);
    Key(platform::VK_TAB, false);
  }
  // A second window that can take the keyboard focus away.
  platform::HWND OpenOtherWindow() {
    other_window_ = std::make_unique<Window>();
    other_ = other_window_->Create(nullptr, u"other", 0, 0, true, UiRect{500, 500, 600, 600});
    return other_;
  }

  platform::MemoryBackend backend_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<Window> other_window_;
  platform::HWND hwnd_ = nullptr;
  platform::HWND other_ = nullptr;
  RecordingControl* a_ = nullptr;
  RecordingControl* b_ = nullptr;
  RecordingControl* c_ = nullptr;
};

TEST_F(WindowInputTest, ClickGoesHotPushedHotAndActivatesOnlyWhenReleasedOverTheControl) {
  Move(UiPoint{10, 10});
  EXPECT_EQ(a_->GetState(), kControlStateHot);
  EXPECT_EQ(window_->GetHoverControl(), a_);
  Button(1, true, UiPoint{10, 10});
  EXPECT_EQ(a_->GetState(), kControlStatePushed);
  EXPECT_EQ(window_->GetPushedControl(), a_);
  EXPECT_EQ(platform::GetCapture(), hwnd_);
  EXPECT_EQ(window_->GetFocus(), a_);
  Button(1, false, UiPoint{10, 10});
  EXPECT_EQ(a_->activations, 1);
  EXPECT_EQ(a_->state_at_activation, kControlStateHot);
  EXPECT_EQ(window_->GetPushedControl(), nullptr);
  EXPECT_EQ(platform::GetCapture(), nullptr);
  EXPECT_EQ(a_->OnlyTypes({kEventMouseEnter, kEventMouseButtonDown, kEventMouseButtonUp}),
            (std::vector<int>{kEventMouseEnter, kEventMouseButtonDown, kEventMouseButtonUp}));

  // Pressed on b, dragged and released over c: the moves and the release go
  // to b, which does not activate.
  Button(1, true, UiPoint{10, 60});
  Move(UiPoint{10, 120});
  Button(1, false, UiPoint{10, 120});
  EXPECT_EQ(b_->activations, 0);
  EXPECT_EQ(b_->GetState(), kControlStateNormal);
  EXPECT_EQ(b_->OnlyTypes({kEventMouseMove, kEventMouseButtonUp}),
            (std::vector<int>{kEventMouseMove, kEventMouseButtonUp}));
  EXPECT_TRUE(c_->Only({kEventMouseButtonUp, kEventMouseButtonDown}).empty());
}

TEST_F(WindowInputTest, RightClickGivesDownUpAndTheMenuAtTheClientPoint) {
  b_->SetContextMenuUsed(true);
  Button(3, true, UiPoint{20, 60});
  Button(3, false, UiPoint{20, 60});
  EXPECT_EQ(b_->OnlyTypes({kEventMouseRButtonDown, kEventMouseRButtonUp, kEventInternalMenu}),
            (std::vector<int>{kEventMouseRButtonDown, kEventMouseRButtonUp, kEventInternalMenu}));
  EXPECT_EQ(window_->GetPushedControl(), nullptr);
  // The menu request came as a screen point: the control sees its client point.
  const auto menu = b_->Only({kEventMouseMenu});
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_EQ(menu[0].point, (UiPoint{20, 60}));
  EXPECT_EQ(window_->GetLastMousePos(), (UiPoint{20, 60}));
}

TEST_F(WindowInputTest, MenuFromTheKeyboardKeepsNoPoint) {
  b_->SetContextMenuUsed(true);
  Button(3, true, UiPoint{20, 60});
  backend_.InjectMessage(Native(), platform::WM_CONTEXTMENU, 0, platform::MakeLParam(-1, -1));
  Drain();
  const auto menu = b_->Only({kEventMouseMenu});
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_EQ(menu[0].point, (UiPoint{-1, -1}));
  EXPECT_EQ(window_->GetPushedControl(), nullptr);
}

TEST_F(WindowInputTest, WheelReachesTheControlAtTheClientPointWithASignedDelta) {
  struct Case {
    int notches;
    int64_t delta;
  };
  for (const Case& turn : {Case{-1, -120}, Case{2, 240}}) {
    c_->seen.clear();
    backend_.InjectWheel(Native(), turn.notches, UiPoint{30, 120});
    Drain();
    const auto wheel = c_->Only({kEventMouseScrollWheel});
    ASSERT_EQ(wheel.size(), 1u) << turn.notches;
    EXPECT_EQ(static_cast<int64_t>(wheel[0].wparam), turn.delta);
    EXPECT_EQ(wheel[0].point, (UiPoint{30, 120}));
  }
  EXPECT_TRUE(a_->Only({kEventMouseScrollWheel}).empty());
}

TEST_F(WindowInputTest, DoubleClickGivesItsEventAndPushesWithoutTakingFocus) {
  Button(1, true, UiPoint{10, 60});
  Button(1, false, UiPoint{10, 60});
  window_->SetFocus(nullptr);
  backend_.AdvanceTimeMs(100);
  Button(1, true, UiPoint{11, 60});
  EXPECT_EQ(b_->OnlyTypes({kEventInternalDoubleClick}), (std::vector<int>{kEventInternalDoubleClick}));
  EXPECT_EQ(window_->GetPushedControl(), b_);
  EXPECT_EQ(platform::GetCapture(), hwnd_);
  EXPECT_EQ(window_->GetFocus(), nullptr);
  Button(1, false, UiPoint{11, 60});
  EXPECT_EQ(window_->GetPushedControl(), nullptr);
}

TEST_F(WindowInputTest, KeysAndCharactersGoToTheFocusedControl) {
  Key('A', true);  // nothing focused: nobody gets it
  Key('A', false);
  EXPECT_TRUE(a_->Only({kEventKeyDown, kEventKeyUp}).empty());
  b_->SetFocus();
  Key('A', true);
  backend_.InjectText(Native(), u"a");
  Drain();
  Key('A', false);
  const auto keys = b_->Only({kEventKeyDown, kEventChar, kEventKeyUp});
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].type, kEventKeyDown);
  EXPECT_EQ(keys[0].key, u'A');
  EXPECT_EQ(keys[1].type, kEventChar);
  EXPECT_EQ(keys[1].key, u'a');
  EXPECT_EQ(keys[2].type, kEventKeyUp);
}

TEST_F(WindowInputTest, TabAndShiftTabWalkTheTabFocusableControlsAndWrap) {
  EXPECT_TRUE(window_->SetNextTabControl(true));  // nothing focused: the first
  EXPECT_EQ(window_->GetFocus(), a_);
  c_->SetEnabled(false);
  Tab();
  EXPECT_EQ(window_->GetFocus(), b_);
  Tab();  // c is disabled: round to a
  EXPECT_EQ(window_->GetFocus(), a_);
  c_->SetEnabled(true);
  Key(platform::VK_SHIFT, true);
  Tab();  // a is first: round to the last
  EXPECT_EQ(window_->GetFocus(), c_);
  Tab();
  EXPECT_EQ(window_->GetFocus(), b_);
  Key(platform::VK_SHIFT, false);
  Tab();
  EXPECT_EQ(window_->GetFocus(), c_);
  Tab();
  EXPECT_EQ(window_->GetFocus(), a_);
  EXPECT_EQ(a_->OnlyTypes({kEventKillFocus, kEventSetFocus}).back(), kEventSetFocus);
}

// A text box that inserts tabs.
class TabTakingControl : public RecordingControl, public TabKeyConsumer {
 public:
  bool IsWantTab() const override { return true; }
};

TEST_F(WindowInputTest, TabStaysWithAControlThatTakesIt) {
  auto* editor = new TabTakingControl;
  editor->SetFixedHeight(40);
  static_cast<Box*>(window_->GetRoot())->Add(editor);
  Drain();
  editor->SetFocus();
  Tab();
  EXPECT_EQ(window_->GetFocus(), editor);
  EXPECT_EQ(editor->OnlyTypes({kEventKillFocus}).size(), 0u);
}

TEST_F(WindowInputTest, TabWithNothingTabFocusableEnds) {
  for (RecordingControl* row : {a_, b_, c_}) row->tab_focus = false;
  EXPECT_TRUE(window_->SetNextTabControl(true));  // nothing focused, nothing to focus
  EXPECT_EQ(window_->GetFocus(), nullptr);
  b_->SetFocus();
  Tab();
  EXPECT_EQ(window_->GetFocus(), b_);
  EXPECT_TRUE(window_->SetNextTabControl(false));
  EXPECT_EQ(window_->GetFocus(), b_);
}

TEST_F(WindowInputTest, FocusLossSendsButtonUpOnlyToAControlThatAsksForIt) {
  const platform::HWND other = OpenOtherWindow();
  ASSERT_NE(other, nullptr);
  struct Case {
    bool release;
    bool expect_up;
  };
  for (const Case& kase : {Case{true, true}, Case{false, false}}) {
    a_->seen.clear();
    a_->SetReleaseOnFocusLoss(kase.release);
    Button(1, true, UiPoint{10, 10});
    ASSERT_EQ(window_->GetPushedControl(), a_);
    ASSERT_EQ(platform::GetFocus(), hwnd_);
    platform::SetFocus(other);
    Drain();
    const auto ups = a_->Only({kEventMouseButtonUp});
    ASSERT_EQ(ups.size(), kase.expect_up ? 1u : 0u) << kase.release;
    // Where the pointer was: the focus change carries no point of its own.
    if (kase.expect_up) {
      EXPECT_EQ(ups[0].point, (UiPoint{10, 10}));
    }
    EXPECT_EQ(window_->GetPushedControl(), kase.expect_up ? nullptr : a_);
    if (kase.expect_up) {
      EXPECT_EQ(platform::GetCapture(), nullptr);
    }
    Button(1, false, UiPoint{10, 10});
  }
}

TEST_F(WindowInputTest, ClosingEndsHoverAndPressAndClearsTheFocus) {
  Move(UiPoint{10, 10});
  Button(1, true, UiPoint{10, 10});
  ASSERT_EQ(window_->GetFocus(), a_);
  a_->seen.clear();
  platform::SendMessage(hwnd_, platform::WM_CLOSE, 0, 0);
  EXPECT_EQ(a_->OnlyTypes({kEventMouseLeave, kEventMouseButtonUp, kEventKillFocus}),
            (std::vector<int>{kEventMouseLeave, kEventMouseButtonUp, kEventKillFocus}));
  EXPECT_EQ(window_->GetFocus(), nullptr);
  EXPECT_EQ(window_->GetPushedControl(), nullptr);
  EXPECT_FALSE(platform::IsWindow(hwnd_));  // the default handling destroys it
}

TEST_F(WindowInputTest, TooltipShowsAfterHoverWithTheControlsTextAndHidesOnLeave) {
  a_->SetToolTipText(u"Start the game");
  a_->SetToolTipWidth(180);
  Move(UiPoint{10, 10});
  backend_.AdvanceTimeMs(199);
  Drain();
  EXPECT_FALSE(backend_.TooltipOf(Native()).has_value());
  backend_.AdvanceTimeMs(1);
  Drain();
  auto tip = backend_.TooltipOf(Native());
  ASSERT_TRUE(tip.has_value());
  EXPECT_TRUE(tip->visible);
  EXPECT_EQ(tip->text, u"Start the game");
  EXPECT_EQ(tip->max_width, 180);
  EXPECT_EQ(tip->position.x, 110);  // below the pointer, in screen coordinates
  EXPECT_GT(tip->position.y, 110);
  EXPECT_EQ(a_->OnlyTypes({kEventMouseHover}), (std::vector<int>{kEventMouseHover}));

  backend_.InjectMouseLeave(Native());
  Drain();
  tip = backend_.TooltipOf(Native());
  EXPECT_FALSE(tip->visible);
  EXPECT_EQ(window_->GetHoverControl(), nullptr);
  EXPECT_EQ(a_->GetState(), kControlStateNormal);

  // Entering again arms the hover once more; a control without a text shows nothing.
  Move(UiPoint{10, 60});
  backend_.AdvanceTimeMs(200);
  Drain();
  EXPECT_EQ(b_->OnlyTypes({kEventMouseHover}).size(), 1u);
  EXPECT_FALSE(backend_.TooltipOf(Native())->visible);
}

TEST_F(WindowInputTest, CursorFollowsTheControlUnderThePointer) {
  b_->SetCursorType(kCursorHand);
  Move(UiPoint{10, 60});
  EXPECT_EQ(backend_.Cursor(Native()), platform::CursorKind::kHand);
  Move(UiPoint{10, 10});
  EXPECT_EQ(backend_.Cursor(Native()), platform::CursorKind::kArrow);
}

class Filter : public IUIMessageFilter {
 public:
  explicit Filter(platform::UINT takes) : takes_(takes) {}
  platform::LRESULT MessageHandler(platform::UINT message, platform::WPARAM, platform::LPARAM,
                                   bool& handled) override {
    if (message != takes_) return 0;
    ++seen;
    handled = true;
    return 5;
  }
  int seen = 0;

 private:
  platform::UINT takes_;
};

TEST_F(WindowInputTest, FilterThatHandlesAMouseMoveDoesNotStopItOneThatHandlesAButtonDoes) {
  Filter moves(platform::WM_MOUSEMOVE);
  Filter downs(platform::WM_LBUTTONDOWN);
  Filter later_moves(platform::WM_MOUSEMOVE);
  window_->AddMessageFilter(&moves);
  window_->AddMessageFilter(&downs);
  window_->AddMessageFilter(&later_moves);
  Move(UiPoint{10, 10});
  EXPECT_EQ(moves.seen, 1);
  EXPECT_EQ(later_moves.seen, 1);
  EXPECT_EQ(a_->GetState(), kControlStateHot);
  Button(1, true, UiPoint{10, 10});
  EXPECT_EQ(downs.seen, 1);
  EXPECT_EQ(window_->GetPushedControl(), nullptr);
  EXPECT_TRUE(a_->Only({kEventMouseButtonDown}).empty());
  EXPECT_EQ(platform::SendMessage(hwnd_, platform::WM_LBUTTONDOWN, 0, platform::MakeLParam(10, 10)), 5);
  window_->RemoveMessageFilter(&moves);
  window_->RemoveMessageFilter(&downs);
  window_->RemoveMessageFilter(&later_moves);
}

std::vector<platform::UINT>* g_child_messages = nullptr;

platform::LRESULT ChildProc(platform::HWND, platform::UINT message, platform::WPARAM, platform::LPARAM) {
  g_child_messages->push_back(message);
  return 42;
}

TEST_F(WindowInputTest, NotificationsOfThisThreadReachTheChildAndOtherValuesAreNeverRead) {
  std::vector<platform::UINT> child_messages;
  g_child_messages = &child_messages;
  const platform::HWND child = platform::CreateMessageWindow(&ChildProc);
  platform::NMHDR header;
  header.hwndFrom = child;
  header.code = 7;
  EXPECT_EQ(platform::SendNotify(hwnd_, 1, &header), 42);
  EXPECT_EQ(child_messages, (std::vector<platform::UINT>{platform::WM_NOTIFY + 0x2000}));

  // The same address once its call is over, and a number that is no
  // address at all: neither is followed.
  child_messages.clear();
  for (platform::LPARAM lparam : {reinterpret_cast<platform::LPARAM>(&header), platform::LPARAM{0x1234}}) {
    EXPECT_EQ(platform::SendMessage(hwnd_, platform::WM_NOTIFY, 1, lparam), 0);
  }
  EXPECT_TRUE(child_messages.empty());

  // Commands name the child by its handle.
  EXPECT_EQ(platform::SendMessage(hwnd_, platform::WM_COMMAND, 3, reinterpret_cast<platform::LPARAM>(child)), 42);
  EXPECT_EQ(child_messages, (std::vector<platform::UINT>{platform::WM_COMMAND + 0x2000}));
  platform::DestroyWindow(child);
  g_child_messages = nullptr;
}

TEST_F(WindowInputTest, TouchAndPenAreMissingWithoutASource) {
  backend_.InjectMessage(Native(), platform::WM_TOUCH, 1, 1);
  backend_.InjectMessage(Native(), platform::WM_POINTERDOWN,
                         platform::MakeWParam(1, platform::POINTER_MESSAGE_FLAG_PRIMARY),
                         platform::MakeLParam(110, 110));
  Drain();
  EXPECT_TRUE(a_->Only({kEventTouchDown, kEventPointDown}).empty());
  EXPECT_EQ(window_->GetPushedControl(), nullptr);
}

TEST_F(WindowInputTest, TouchFromASourceCapturesTheControlAndClosesItsHandle) {
  backend_.EnableTouchPointer(true);
  // Screen points in hundredths of a pixel: (110, 160) is b's (10, 60).
  backend_.InjectTouch(Native(), {{11000, 16000, 5, platform::TOUCHEVENTF_DOWN}});
  Drain();
  EXPECT_EQ(b_->OnlyTypes({kEventTouchDown}), (std::vector<int>{kEventTouchDown}));
  EXPECT_EQ(window_->GetFocus(), b_);
  // A mouse press while the touch holds the capture is ignored.
  Button(1, true, UiPoint{10, 10});
  EXPECT_EQ(window_->GetPushedControl(), nullptr);
  backend_.InjectTouch(Native(), {{11000, 17000, 5, platform::TOUCHEVENTF_UP}});
  Drain();
  const auto up = b_->Only({kEventTouchUp});
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0].point, (UiPoint{10, 70}));
  EXPECT_EQ(backend_.OpenTouchHandles(), 0u);
}

TEST_F(WindowInputTest, OnlyThePrimaryPenPointerMakesEventsWithItsPressure) {
  backend_.EnableTouchPointer(true);
  backend_.InjectPointer(Native(), platform::WM_POINTERDOWN, 2, false, platform::PT_PEN, UiPoint{10, 110}, 512);
  Drain();
  EXPECT_TRUE(c_->Only({kEventPointDown}).empty());
  backend_.InjectPointer(Native(), platform::WM_POINTERDOWN, 1, true, platform::PT_PEN, UiPoint{10, 110}, 512);
  Drain();
  backend_.InjectPointer(Native(), platform::WM_POINTERUP, 1, true, platform::PT_PEN, UiPoint{10, 110}, 0);
  Drain();
  const auto pen = c_->Only({kEventPointDown, kEventPointUp});
  ASSERT_EQ(pen.size(), 2u);
  EXPECT_EQ(pen[0].type, kEventPointDown);
  EXPECT_FLOAT_EQ(pen[0].pressure, 0.5f);
  EXPECT_EQ(pen[0].point, (UiPoint{10, 110}));
  EXPECT_EQ(pen[1].type, kEventPointUp);
  EXPECT_EQ(c_->activations, 1);  // it takes pointer input itself: press and release
}

}  // namespace
}  // namespace ui::testing
