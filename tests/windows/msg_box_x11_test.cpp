// A message box on the X server: opened through the window-backed dialog
// host over a plain owner window, its "btn_yes" is clicked with XTest at the
// button's real rectangle on the screen, and the box answers 1 once and
// goes, giving the owner back. Needs a display (the test script runs
// xvfb-run).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <memory>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "project/Launcher/windows/window_dialog_host.h"
#include "tests/windows/ui_thread_fixture.h"
#include "ui/control.h"
#include "ui/registered_window_list.h"
#include "ui/window.h"

namespace windows_test {
namespace {

constexpr int64_t kWaitMicroseconds = 10 * 1000 * 1000;

bool IsMappedOnScreen(Display* display, ::Window window) {
  XWindowAttributes attributes{};
  return window != 0 && XGetWindowAttributes(display, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

// Asks the UI thread until |done| holds there, or the wait runs out.
template <typename F>
bool UntilOnUi(F done) {
  const int64_t deadline = platform::NowMicroseconds() + kWaitMicroseconds;
  while (platform::NowMicroseconds() < deadline) {
    if (OnUi(done)) return true;
    std::this_thread::yield();
  }
  return OnUi(done);
}

class MsgBoxX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    input_ = platform::x11::OpenDisplay();
    ASSERT_NE(input_, nullptr);
    ui_ = std::make_unique<UiThread>();
    owner_ = OnUi([this] {
      backend_ = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
      if (backend_ == nullptr) return platform::HWND{nullptr};
      platform::InstallWindowBackend(backend_.get());
      StartLauncherSkin();
      return CreateOwnerWindow(platform::Rect{100, 100, 1100, 800});
    });
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    if (ui_ != nullptr) {
      OnUi([this] {
        if (owner_ != nullptr && platform::IsWindow(owner_)) platform::DestroyWindow(owner_);
        DrainMessages();
        if (backend_ != nullptr) {
          StopLauncherSkin();
          platform::InstallWindowBackend(nullptr);
        }
        backend_.reset();
      });
      ui_.reset();
    }
    if (input_ != nullptr) XCloseDisplay(input_);
  }

  // The only open message box (UI thread).
  static ui::Window* MessageBoxWindow() {
    ui::Window* found = nullptr;
    int count = 0;
    for (const auto& entry : ui::RegisteredWindowList::GetInstance().entries()) {
      if (platform::GetClassName(entry.hwnd) == u"MsgBox") {
        found = entry.window;
        ++count;
      }
    }
    return count == 1 ? found : nullptr;
  }

  Display* input_ = nullptr;
  std::unique_ptr<UiThread> ui_;
  std::unique_ptr<platform::x11::X11Backend> backend_;  // UI thread
  WindowDialogHost host_;
  platform::HWND owner_ = nullptr;
  std::vector<int32_t> answers_;  // UI thread
};

TEST_F(MsgBoxX11Test, ClickingTheYesButtonOnTheScreenAnswersOneOnce) {
  std::promise<void> answered;
  ASSERT_TRUE(OnUi([this, &answered] {
    MessageBoxContent content;
    content.title = {u"STRING_UPDATE_NOTICE", true};
    content.content = {u"STRING_UPDATE_LAUNCHER", true};
    content.firstButton = {u"STRING_CANCEL", true};
    content.secondButton = {u"STRING_CONFIRM", true};
    return host_.OpenMessageBox(reinterpret_cast<WindowHandle>(owner_), content, [this, &answered](int32_t answer) {
      answers_.push_back(answer);
      if (answers_.size() == 1) answered.set_value();
    });
  }));

  // The box is on the screen, laid out: the button's rectangle is real.
  ::Window native = 0;
  ASSERT_TRUE(UntilOnUi([&native] {
    ui::Window* box = MessageBoxWindow();
    if (box == nullptr || box->IsFirstLayoutPending()) return false;
    native = static_cast<::Window>(platform::GetNativeWindow(box->GetHWND()));
    return true;
  }));
  ASSERT_TRUE(UntilOnUi([this, native] { return IsMappedOnScreen(input_, native); }));
  const platform::Point at = OnUi([this] {
    ui::Window* box = MessageBoxWindow();
    EXPECT_FALSE(platform::IsWindowEnabled(owner_));
    const ui::UiRect rect = box->FindControlByName(u"btn_yes")->GetPos(true);
    EXPECT_GT(rect.right - rect.left, 0);
    platform::Point centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    platform::ClientToScreen(box->GetHWND(), &centre);
    return centre;
  });

  XTestFakeMotionEvent(input_, -1, at.x, at.y, CurrentTime);
  XTestFakeButtonEvent(input_, 1, True, CurrentTime);
  XTestFakeButtonEvent(input_, 1, False, CurrentTime);
  XFlush(input_);

  ASSERT_EQ(answered.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready)
      << "no answer after a click at " << at.x << "," << at.y;
  // The box fades out and goes; nothing more is answered.
  ASSERT_TRUE(UntilOnUi([] { return MessageBoxWindow() == nullptr; }));
  OnUi([this] {
    EXPECT_EQ(answers_, std::vector<int32_t>{1});
    EXPECT_TRUE(platform::IsWindowEnabled(owner_));
  });
}

}  // namespace
}  // namespace windows_test
