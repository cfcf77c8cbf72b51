// What the widget tests on a real X server share: the X11 back-end installed
// on the test's thread, a second connection that plays the user through
// XTest, and the framework started with one default font. Skipped without
// a display (the test script runs xvfb-run).
#ifndef TESTS_WIDGETS_X11_WIDGET_FIXTURE_H_
#define TESTS_WIDGETS_X11_WIDGET_FIXTURE_H_

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>

#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_display.h"
#include "ui/global_manager.h"
#include "ui/timer_manager.h"

namespace ui::testing {

class X11WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    backend_ = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
    ASSERT_NE(backend_, nullptr);
    platform::InstallWindowBackend(backend_.get());
    input_ = platform::x11::OpenDisplay();
    ASSERT_NE(input_, nullptr);
    GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    GlobalManager::AddFont(u"text", u"DejaVu Sans", 14, false, false, false, true);
  }
  // Derived fixtures destroy their windows first.
  void TearDown() override {
    TimerManager::GetInstance()->Shutdown();
    if (input_ != nullptr) XCloseDisplay(input_);
    if (backend_) {
      GlobalManager::RemoveAllFonts();
      GlobalManager::Shutdown();
    }
    platform::InstallWindowBackend(nullptr);
    backend_.reset();
  }

  std::unique_ptr<platform::x11::X11Backend> backend_;
  Display* input_ = nullptr;
};

}  // namespace ui::testing

#endif  // TESTS_WIDGETS_X11_WIDGET_FIXTURE_H_
