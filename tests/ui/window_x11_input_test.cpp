// A window of controls on the X server: a click and a wheel turn made with
// XTest at a control's rectangle reach that control, and a resting pointer
// brings up the tooltip pop-up. Needs a display (the test script runs xvfb-run).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "base/framework/message_loop.h"
#include "platform/clock/clock.h"
#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "tests/support/pump_until.h"
#include "tests/support/x11_mapped.h"
#include "ui/control.h"
#include "ui/global_manager.h"
#include "ui/timer_manager.h"
#include "ui/vbox.h"
#include "ui/window.h"

namespace ui {
namespace {

class CountingControl : public Control {
 public:
  void HandleEvent(EventArgs& event) override {
    if (event.pSender == this && event.Type == kEventMouseButtonDown) ++downs;
    if (event.pSender == this && event.Type == kEventMouseScrollWheel) {
      wheel_deltas.push_back(static_cast<int64_t>(event.wParam));
      wheel_point = event.ptMouse;
    }
    Control::HandleEvent(event);
  }
  void Activate() override { ++activations; }
  int downs = 0;
  int activations = 0;
  std::vector<int64_t> wheel_deltas;
  UiPoint wheel_point;
};

using testing_support::IsMappedOnScreen;
using testing_support::PumpUntil;

class WindowX11InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    backend_ = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
    ASSERT_NE(backend_, nullptr);
    platform::InstallWindowBackend(backend_.get());
    GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    input_ = platform::x11::OpenDisplay();
    ASSERT_NE(input_, nullptr);

    window_ = std::make_unique<Window>();
    hwnd_ = window_->Create(nullptr, u"x11 input", 0, 0, true, UiRect{200, 200, 500, 400});
    ASSERT_NE(hwnd_, nullptr);
    window_->AttachWindowHandle(hwnd_);
    auto* root = new VBox;
    top_ = new CountingControl;
    top_->SetFixedHeight(50);
    target_ = new CountingControl;
    target_->SetFixedHeight(50);
    root->Add(top_);
    root->Add(target_);
    window_->AttachRoot(root);
    platform::ShowWindow(hwnd_, platform::SW_SHOWNORMAL);
    const auto native = static_cast<::Window>(platform::GetNativeWindow(hwnd_));
    ASSERT_TRUE(PumpUntil([&] { return !window_->IsFirstLayoutPending() && IsMappedOnScreen(input_, native); }));
  }
  void TearDown() override {
    if (hwnd_ != nullptr && platform::IsWindow(hwnd_)) platform::DestroyWindow(hwnd_);
    window_.reset();
    if (input_ != nullptr) XCloseDisplay(input_);
    if (backend_ != nullptr) {
      GlobalManager::Shutdown();
      TimerManager::GetInstance()->Shutdown();
      platform::InstallWindowBackend(nullptr);
    }
    backend_.reset();
  }

  // A screen point inside a control.
  UiPoint ScreenPointIn(const Control* control) const {
    const UiRect rect = control->GetPos(true);
    UiPoint point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    platform::ClientToScreen(hwnd_, &point);
    return point;
  }

  // Moves the pointer to a screen point and presses and releases a button
  // there (4 and 5 are the wheel turned away from and toward the user).
  void PressAndRelease(UiPoint at, unsigned button) {
    XTestFakeMotionEvent(input_, -1, at.x, at.y, CurrentTime);
    XTestFakeButtonEvent(input_, button, True, CurrentTime);
    XTestFakeButtonEvent(input_, button, False, CurrentTime);
    XFlush(input_);
  }

  kbase::MessageLoop loop_;
  std::unique_ptr<platform::x11::X11Backend> backend_;
  Display* input_ = nullptr;
  std::unique_ptr<Window> window_;
  platform::HWND hwnd_ = nullptr;
  CountingControl* top_ = nullptr;
  CountingControl* target_ = nullptr;
};

TEST_F(WindowX11InputTest, ClickAtAControlsRectangleReachesThatControl) {
  const UiPoint at = ScreenPointIn(target_);
  PressAndRelease(at, 1);
  ASSERT_TRUE(PumpUntil([&] { return target_->activations == 1; }));
  EXPECT_EQ(target_->downs, 1);
  EXPECT_EQ(top_->downs, 0);
  EXPECT_EQ(top_->activations, 0);
  EXPECT_EQ(window_->GetFocus(), target_);
}

TEST_F(WindowX11InputTest, WheelTurnedTowardTheUserReachesTheControlUnderThePointer) {
  const UiPoint at = ScreenPointIn(target_);
  PressAndRelease(at, 5);
  ASSERT_TRUE(PumpUntil([&] { return !target_->wheel_deltas.empty(); }));
  EXPECT_EQ(target_->wheel_deltas, (std::vector<int64_t>{-120}));
  UiPoint client = at;
  platform::ScreenToClient(hwnd_, &client);
  EXPECT_EQ(target_->wheel_point, client);
  EXPECT_TRUE(top_->wheel_deltas.empty());
}

TEST_F(WindowX11InputTest, RestingPointerShowsTheTooltipPopUp) {
  target_->SetToolTipText(u"Start the game");
  const UiPoint at = ScreenPointIn(target_);
  XTestFakeMotionEvent(input_, -1, at.x, at.y, CurrentTime);
  XFlush(input_);
  const auto native = platform::GetNativeWindow(hwnd_);
  ASSERT_TRUE(PumpUntil([&] { return IsMappedOnScreen(input_, backend_->ShownTooltipWindow(native)); }));
  // The text is drawn dark on a pale ground.
  const ::Window tip = backend_->ShownTooltipWindow(native);
  XWindowAttributes attributes{};
  ASSERT_NE(XGetWindowAttributes(input_, tip, &attributes), 0);
  EXPECT_GT(attributes.width, 20);
  XImage* image = XGetImage(input_, tip, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  int dark = 0;
  for (int y = 0; y < attributes.height; ++y) {
    for (int x = 0; x < attributes.width; ++x) dark += (XGetPixel(image, x, y) & 0xFFFFFF) < 0x404040 ? 1 : 0;
  }
  const unsigned long ground = XGetPixel(image, 2, 2) & 0xFFFFFF;
  XDestroyImage(image);
  EXPECT_GT(dark, 10);
  EXPECT_EQ(ground, 0xFFFFE1u);
  // Moved off the window: the pop-up goes.
  XTestFakeMotionEvent(input_, -1, 5, 5, CurrentTime);
  XFlush(input_);
  EXPECT_TRUE(PumpUntil([&] { return backend_->ShownTooltipWindow(native) == 0; }));
}

}  // namespace
}  // namespace ui
