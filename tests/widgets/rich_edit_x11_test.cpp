// Typing into a focused rich edit for real: keys pressed through XTest on
// the X server reach the X11 back-end, become WM_KEYDOWN and WM_CHAR, the
// window hands them to its focused control as "keydown" and "char" events,
// and the edit changes its text; Shift comes from the keyboard state the
// back-end keeps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "platform/clock/clock.h"
#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "tests/support/pump_until.h"
#include "tests/widgets/x11_widget_fixture.h"
#include "ui/box.h"
#include "ui/controls/rich_edit.h"
#include "ui/global_manager.h"
#include "ui/timer_manager.h"
#include "ui/window.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace ui {
namespace {

using testing_support::PumpUntil;

class RichEditX11Test : public testing::X11WidgetTest {
 protected:
  void TearDown() override {
    if (window_ && window_->GetHWND() != nullptr) platform::DestroyWindow(window_->GetHWND());
    window_.reset();
    X11WidgetTest::TearDown();
  }
  void Key(KeySym keysym, bool down) {
    XTestFakeKeyEvent(input_, XKeysymToKeycode(input_, keysym), down ? True : False, CurrentTime);
    XFlush(input_);
  }
  void Tap(KeySym keysym) {
    Key(keysym, true);
    Key(keysym, false);
  }

  std::unique_ptr<Window> window_;
};

TEST_F(RichEditX11Test, TypedKeysEditTheFocusedEdit) {
  window_ = std::make_unique<Window>();
  const platform::HWND hwnd = window_->Create(nullptr, u"typing", 0, 0, true, UiRect{40, 40, 340, 140});
  ASSERT_NE(hwnd, nullptr);
  window_->AttachWindowHandle(hwnd);
  auto* root = new Box;
  window_->AttachRoot(root);
  auto* edit = new RichEdit;
  root->Add(edit);
  edit->SetPos(UiRect{10, 10, 290, 40});
  platform::ShowWindow(hwnd, platform::SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return platform::GetFocus() == hwnd; }));
  window_->SetFocus(edit);

  Key(XK_Shift_L, true);
  Tap(XK_h);
  Key(XK_Shift_L, false);
  for (KeySym key : {XK_e, XK_l, XK_l, XK_o, XK_x}) Tap(key);
  Tap(XK_BackSpace);
  ASSERT_TRUE(PumpUntil([&] { return edit->GetText() == u"Hello"; })) << edit->GetUTF8Text();
  // Shift+Left selects the last two letters; typing replaces them.
  Key(XK_Shift_L, true);
  ASSERT_TRUE(PumpUntil([] { return platform::GetKeyState(platform::VK_SHIFT) < 0; }));
  Tap(XK_Left);
  Tap(XK_Left);
  // The keyboard state is the present one, not the one of the queued key:
  // Shift stays down until both presses are handled.
  ASSERT_TRUE(PumpUntil([&] { return edit->GetSelText() == u"lo"; })) << edit->GetUTF8Text();
  Key(XK_Shift_L, false);
  Tap(XK_p);
  ASSERT_TRUE(PumpUntil([&] { return edit->GetText() == u"Help"; })) << edit->GetUTF8Text();
}

}  // namespace
}  // namespace ui
