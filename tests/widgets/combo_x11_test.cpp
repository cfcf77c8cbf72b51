// The combo box's pop-up on a real X server (Xvfb), driven by pointer
// clicks through XTest: it opens below the combo, or above it near the
// bottom of the screen; a click on a row selects it and closes the pop-up;
// a click anywhere outside closes it without an event; and a combo
// destroyed while its pop-up is open leaves nothing behind that a later
// click could reach (AddressSanitizer watches the debug build).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/framework/message_loop.h"
#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "tests/support/pump_until.h"
#include "tests/support/x11_mapped.h"
#include "tests/widgets/x11_widget_fixture.h"
#include "ui/box.h"
#include "ui/controls/c_combo_wnd.h"
#include "ui/controls/combo.h"
#include "ui/controls/list_container_element.h"
#include "ui/global_manager.h"
#include "ui/timer_manager.h"
#include "ui/window.h"

namespace ui {
namespace {

using testing_support::IsMappedOnScreen;
using testing_support::PumpUntil;

class ComboX11Test : public testing::X11WidgetTest {
 protected:
  void TearDown() override {
    if (host_ != nullptr && host_->GetHWND() != nullptr) platform::DestroyWindow(host_->GetHWND());
    host_.reset();
    X11WidgetTest::TearDown();
  }

  // A 400x300 host at |origin| with a 180x30 combo of three 30-pixel rows
  // at (20, 20) of its client area.
  void OpenHost(UiPoint origin) {
    host_ = std::make_unique<Window>();
    const platform::HWND hwnd = host_->Create(nullptr, u"combo host", 0, 0, true,
                                              UiRect{origin.x, origin.y, origin.x + 400, origin.y + 300});
    ASSERT_NE(hwnd, nullptr);
    host_->AttachWindowHandle(hwnd);
    host_->GetShadow().SetShadowAttached(false);
    auto* root = new Box();
    combo_ = new Combo();
    combo_->SetAttribute(u"width", u"180");
    combo_->SetAttribute(u"height", u"30");
    combo_->SetAttribute(u"margin", u"20,20,0,0");
    root->Add(combo_);
    for (const char16_t* text : {u"one", u"two", u"three"}) {
      auto* row = new ListContainerElement();
      row->SetAttribute(u"height", u"30");
      row->SetText(text);
      combo_->Add(row);
    }
    host_->AttachRoot(root);
    combo_->AttachEvent(kEventSelect, [this](EventArgs* event) {
      selects_.push_back(static_cast<int>(event->wParam));
      return true;
    });
    platform::ShowWindow(hwnd, platform::SW_SHOWNORMAL);
    ASSERT_TRUE(PumpUntil([&] {
      return !host_->IsFirstLayoutPending() && IsMappedOnScreen(input_, platform::GetNativeWindow(hwnd));
    }));
  }

  void ClickAt(platform::Point at) {
    XTestFakeMotionEvent(input_, -1, at.x, at.y, CurrentTime);
    XTestFakeButtonEvent(input_, 1, True, CurrentTime);
    XTestFakeButtonEvent(input_, 1, False, CurrentTime);
    XFlush(input_);
  }
  platform::Point ScreenCentre(Window* window, Control* control) {
    const UiRect pos = control->GetPos();
    platform::Point point{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
    platform::ClientToScreen(window->GetHWND(), &point);
    return point;
  }
  // Clicks the combo and waits until its pop-up shows and has laid its rows
  // out; null when it does not.
  CComboWnd* OpenPopup() {
    ClickAt(ScreenCentre(host_.get(), combo_));
    const bool shown = PumpUntil([&] {
      CComboWnd* popup = combo_->GetPopup();
      return popup != nullptr && !popup->IsFirstLayoutPending() &&
             IsMappedOnScreen(input_, platform::GetNativeWindow(popup->GetHWND()));
    });
    return shown ? combo_->GetPopup() : nullptr;
  }
  static platform::Rect WindowRect(platform::HWND hwnd) {
    platform::Rect rect;
    platform::GetWindowRect(hwnd, &rect);
    return rect;
  }
  // Waits until the pop-up window is gone.
  static bool Closed(platform::HWND popup) {
    return PumpUntil([&] { return !platform::IsWindow(popup); });
  }

  kbase::MessageLoop loop_;
  std::unique_ptr<Window> host_;
  Combo* combo_ = nullptr;
  std::vector<int> selects_;
};

TEST_F(ComboX11Test, AClickedRowIsChosenAndAClickOutsideClosesWithoutChoosing) {
  OpenHost(UiPoint{100, 100});
  CComboWnd* popup = OpenPopup();
  ASSERT_NE(popup, nullptr);
  platform::HWND hwnd = popup->GetHWND();
  // Below the combo (screen 120,120 - 300,150): three rows and the frame.
  EXPECT_EQ(WindowRect(hwnd), (platform::Rect{120, 151, 300, 151 + 92}));

  ClickAt(ScreenCentre(popup, combo_->GetListBox()->GetItemAt(2)));
  ASSERT_TRUE(Closed(hwnd));
  EXPECT_EQ(combo_->GetCurSel(), 2);
  EXPECT_EQ(selects_, (std::vector<int>{2}));
  EXPECT_EQ(combo_->GetPopup(), nullptr);

  popup = OpenPopup();
  ASSERT_NE(popup, nullptr);
  hwnd = popup->GetHWND();
  ClickAt(platform::Point{1500, 900});  // the bare screen
  ASSERT_TRUE(Closed(hwnd));
  EXPECT_EQ(combo_->GetCurSel(), 2);
  EXPECT_EQ(selects_, (std::vector<int>{2})) << "closing without a choice fires nothing";
  EXPECT_EQ(combo_->GetPopup(), nullptr);
}

TEST_F(ComboX11Test, NearTheBottomOfTheScreenThePopupOpensAbove) {
  const platform::Rect screen = platform::PrimaryMonitor()->work;
  // The combo's bottom 40 pixels above the bottom of the work area.
  OpenHost(UiPoint{100, screen.bottom - 90});
  CComboWnd* popup = OpenPopup();
  ASSERT_NE(popup, nullptr);
  const int combo_top = screen.bottom - 90 + 20;
  EXPECT_EQ(WindowRect(popup->GetHWND()), (platform::Rect{120, combo_top - 92, 300, combo_top}));
}

TEST_F(ComboX11Test, ACombosDestroyedWhileOpenLeavesNoPopupToClick) {
  OpenHost(UiPoint{100, 100});
  CComboWnd* popup = OpenPopup();
  ASSERT_NE(popup, nullptr);
  const platform::HWND hwnd = popup->GetHWND();
  const platform::Point on_row = ScreenCentre(popup, combo_->GetListBox()->GetItemAt(1));
  static_cast<Box*>(host_->GetRoot())->Remove(combo_);
  combo_ = nullptr;
  // The host deletes the removed combo after the current message.
  ASSERT_TRUE(PumpUntil([&] {
    loop_.PostTask([this] { loop_.QuitWhenIdle(); });
    loop_.RunWithRunState();
    return !platform::IsWindow(hwnd);
  }));
  // A click where the list was lands on the host or the screen, nowhere
  // freed; the host window still answers.
  ClickAt(on_row);
  ClickAt(platform::Point{250, 300});
  bool host_pressed = false;
  host_->GetRoot()->AttachEvent(kEventMouseButtonDown, [&](EventArgs*) {
    host_pressed = true;
    return true;
  });
  ClickAt(platform::Point{400, 350});
  EXPECT_TRUE(PumpUntil([&] { return host_pressed; }));
  EXPECT_EQ(platform::FindWindow(u"ComboWnd", u""), nullptr);
}

}  // namespace
}  // namespace ui
