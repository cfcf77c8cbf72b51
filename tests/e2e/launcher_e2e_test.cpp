// The built launcher under a virtual X server: single instance, the exit
// message from another process with the clean-up order, the language
// override, and the modes that end early.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ipc/foreign_windows.h"
#include "project/Launcher/core/launcher_messages.h"
#include "tests/e2e/launcher_process.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStartTimeout = 20s;  // generous: sanitizer builds start slowly

bool IsRegistered(const std::string& line) { return line.rfind("main_window_registered", 0) == 0; }

// Record lines without the 500 ms UI tick's messages.
std::vector<std::string> WithoutTicks(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept), [](const std::string& line) {
    return line.rfind("message " + std::to_string(kMsgUiTick) + " ", 0) != 0;
  });
  return kept;
}

class LauncherE2eTest : public testing::Test {
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

TEST_F(LauncherE2eTest, ASecondLauncherWakesTheFirstAndExits) {
  LauncherProcess first(folder_, {}, true);
  ASSERT_TRUE(first.started());
  ASSERT_TRUE(first.WaitForLine(IsRegistered, kStartTimeout));

  LauncherProcess second(folder_, {}, false);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(5s), 0);
  EXPECT_TRUE(first.WaitForLine("message 2026 0 0", 5s));

  ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
  EXPECT_EQ(first.WaitForExit(kStartTimeout), 0);
}

TEST_F(LauncherE2eTest, TheExitMessageFromAnotherProcessEndsTheLauncherInOrder) {
  LauncherProcess launcher(folder_, {}, true);
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kStartTimeout));
  ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));

  std::vector<std::string> record = WithoutTicks(launcher.ReadToEnd(kStartTimeout));
  EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
  ASSERT_FALSE(record.empty());
  record.erase(record.begin());  // the registration
  EXPECT_EQ(record, (std::vector<std::string>{"message 2028 0 0", "ui_shut_down", "download_log_saved",
                                              "downloads_stopped", "worker_cleaned_up", "worker_stopped",
                                              "ui_unregistered", "exit 0"}));
  EXPECT_TRUE(folder_.Exists("prog/save/Log.json"));
  EXPECT_TRUE(folder_.Exists("prog/save/EnvConfig.json"));
  // The window and its property went with the launcher.
  EXPECT_TRUE(windows_->FindBySelfProperty(kLauncherInstanceName).empty());
}

TEST_F(LauncherE2eTest, SetLanguageReachesTheStore) {
  struct Case {
    std::vector<std::string> arguments;
    const char* registered;
  };
  for (const Case& c : {Case{{"set_language", "de"}, "main_window_registered language=de"},
                        Case{{"set_language", "xx"}, "main_window_registered language=en"},
                        Case{{"SET_LANGUAGE", "de"}, "main_window_registered language=en"}}) {
    SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
    LauncherProcess launcher(folder_, c.arguments, true);
    ASSERT_TRUE(launcher.started());
    ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kStartTimeout));
    EXPECT_EQ(launcher.lines().front(), c.registered);
    ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
    EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
  }
}

TEST_F(LauncherE2eTest, AKilledLauncherDoesNotBlockTheNextStart) {
  {
    LauncherProcess crashed(folder_, {}, true);
    ASSERT_TRUE(crashed.started());
    ASSERT_TRUE(crashed.WaitForLine(IsRegistered, kStartTimeout));
    ::kill(crashed.pid(), SIGKILL);
    EXPECT_EQ(crashed.WaitForExit(kStartTimeout), -SIGKILL);
  }
  LauncherProcess next(folder_, {}, true);
  ASSERT_TRUE(next.started());
  EXPECT_TRUE(next.WaitForLine(IsRegistered, kStartTimeout));
  ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
  EXPECT_EQ(next.WaitForExit(kStartTimeout), 0);
}

TEST(LauncherModesTest, ModesNotYetBuiltFailClearlyAndTouchNothing) {
  LauncherFolder folder;
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
  };
  for (const Case& c : {Case{{"replace", "a", "b", "c"}, 3}, Case{{"make_version", "1.0.1"}, 3},
                        Case{{"make_dependence_version", "1"}, 3},
                        Case{{"replace", std::string(5000, 'a'), "b", "c"}, 2}}) {
    SCOPED_TRACE(c.arguments[0]);
    LauncherProcess launcher(folder, c.arguments, false);
    ASSERT_TRUE(launcher.started());
    EXPECT_EQ(launcher.WaitForExit(kStartTimeout), c.exitCode);
  }
  EXPECT_FALSE(folder.Exists("prog/save"));
  EXPECT_FALSE(folder.Exists("run/_VDL_LAUNCHER_KOREA"));
}

}  // namespace
