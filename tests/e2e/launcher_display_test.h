#pragma once
// The fixture of the tests that start the built launcher on the X display:
// skipped without a display; a folder for the launcher; and the way another
// process reaches it (its main window found by the instance property).

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/ipc/foreign_windows.h"
#include "project/Launcher/core/launcher_messages.h"
#include "tests/e2e/launcher_process.h"

class LauncherOnDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    windows_ = platform::ForeignWindows::Open();
    ASSERT_NE(windows_, nullptr);
  }

  // Another process's request to the launcher: find its main window by the
  // instance property and post it a message.
  bool PostToLauncher(uint32_t message) {
    for (platform::NativeWindow window : windows_->FindBySelfProperty(kLauncherInstanceName)) {
      if (windows_->PostMessage(window, message, 0, 0)) return true;
    }
    return false;
  }

  LauncherFolder folder_;
  std::unique_ptr<platform::ForeignWindows> windows_;
};
