// The launcher's skinned main window under a virtual X server, seen through
// the launcher's UI dump: the first start's main button, hiding and a second
// launcher bringing the window back, and a real click on the close button.
// A failing test leaves a screenshot beside the test's folder.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/ipc/foreign_windows.h"
#include "project/Launcher/core/launcher_messages.h"
#include "tests/e2e/launcher_process.h"
#include "tests/support/ui_driver.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStartTimeout = 20s;  // sanitizer builds start slowly
constexpr auto kDumpTimeout = 10s;

bool IsRegistered(const std::string& line) { return line.rfind("main_window_registered", 0) == 0; }

// Declared after the launcher it watches: when the test has failed by the
// end of its body, the screen is saved while the launcher still shows it.
class ScreenshotOnFailure {
 public:
  ~ScreenshotOnFailure() {
    if (!testing::Test::HasFailure()) return;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string png =
        std::filesystem::temp_directory_path() / (std::string("launcher_window_") + info->name() + ".png");
    if (ui_driver::SaveScreenshot(png)) std::fprintf(stderr, "screenshot: %s\n", png.c_str());
  }
};

class LauncherWindowE2eTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    windows_ = platform::ForeignWindows::Open();
    ASSERT_NE(windows_, nullptr);
  }

  bool PostToLauncher(uint32_t message) {
    for (platform::NativeWindow window : windows_->FindBySelfProperty(kLauncherInstanceName)) {
      if (windows_->PostMessage(window, message, 0, 0)) return true;
    }
    return false;
  }
  ui_driver::Dump Dump(const LauncherProcess& launcher) {
    return ui_driver::RequestDump(launcher.pid(), folder_.dumpFile(), kDumpTimeout);
  }
  // Dumps until the control satisfies |test| (the window handles requests
  // in order, so each dump shows what was asked for before it).
  std::optional<Json::Value> DumpUntil(const LauncherProcess& launcher, const std::string& name,
                                       const std::function<bool(const Json::Value&)>& test) {
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    std::optional<Json::Value> control;
    while (std::chrono::steady_clock::now() < deadline) {
      control = ui_driver::FindControl(Dump(launcher), name);
      if (control && test(*control)) return control;
    }
    return control;
  }

  LauncherFolder folder_;
  std::unique_ptr<platform::ForeignWindows> windows_;
};

TEST_F(LauncherWindowE2eTest, TheFirstStartShowsTheSkinnedWindowWithTheMainButtonDisabled) {
  LauncherProcess launcher(folder_, {}, true);
  ScreenshotOnFailure screenshot;
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kStartTimeout));
  const ui_driver::Dump dump = Dump(launcher);
  ASSERT_FALSE(dump.empty());
  const auto button = ui_driver::FindControl(dump, "btn_game");
  ASSERT_TRUE(button);
  EXPECT_EQ((*button)["text_id"], "STRING_START_GAME");
  EXPECT_FALSE((*button)["enabled"].asBool());
  EXPECT_TRUE((*button)["visible"].asBool());
  EXPECT_TRUE((*button)["window_shown"].asBool());
  const auto title = ui_driver::FindControl(dump, "wnd_title");
  ASSERT_TRUE(title);
  EXPECT_EQ((*title)["text_id"], "STRING_GAME_TITLE");
  // The skin's places are there: the two panel boxes and the web view.
  EXPECT_TRUE(ui_driver::FindControl(dump, "tab_assets"));
  EXPECT_TRUE(ui_driver::FindControl(dump, "tab_predlc"));
  EXPECT_TRUE(ui_driver::FindControl(dump, "webview"));
  ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
  EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
}

TEST_F(LauncherWindowE2eTest, ASecondLauncherBringsTheHiddenWindowBack) {
  LauncherProcess first(folder_, {}, true);
  ScreenshotOnFailure screenshot;
  ASSERT_TRUE(first.started());
  ASSERT_TRUE(first.WaitForLine(IsRegistered, kStartTimeout));
  ASSERT_TRUE(PostToLauncher(kMsgHideLauncher));
  // No tray on a bare X server: the window is minimised, never left unreachable.
  ASSERT_TRUE(first.WaitForLine("iconified", kStartTimeout));
  auto hidden = DumpUntil(first, "btn_game", [](const Json::Value& c) { return !c["window_shown"].asBool(); });
  ASSERT_TRUE(hidden);
  EXPECT_FALSE((*hidden)["window_shown"].asBool());

  LauncherProcess second(folder_, {}, false);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(kStartTimeout), 0);
  ASSERT_TRUE(first.WaitForLine("message 2026 0 0", kStartTimeout));
  auto shown = DumpUntil(first, "btn_game", [](const Json::Value& c) { return c["window_shown"].asBool(); });
  ASSERT_TRUE(shown);
  EXPECT_TRUE((*shown)["window_shown"].asBool());

  ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
  EXPECT_EQ(first.WaitForExit(kStartTimeout), 0);
}

TEST_F(LauncherWindowE2eTest, ClickingTheCloseButtonOnTheFirstRunAsksWhatClosingShouldDo) {
  LauncherProcess launcher(folder_, {}, true);
  ScreenshotOnFailure screenshot;
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kStartTimeout));
  // Once the launcher's own check has ended (its file check reported, then
  // the idle state's refresh) nothing runs, so the fresh install's one
  // question comes without a confirmation.
  bool checked = false;
  ASSERT_TRUE(launcher.WaitForLine(
      [&checked](const std::string& line) {
        if (line.rfind("message 2127 ", 0) == 0) checked = true;
        return checked && line == "message 2126 0 0";
      },
      kStartTimeout));
  const auto close = ui_driver::FindControl(Dump(launcher), "btn_close");
  ASSERT_TRUE(close);
  ASSERT_TRUE(ui_driver::ClickCentre(*close));
  EXPECT_TRUE(launcher.WaitForLine("options_box STRING_SHUT_OPTION_NOTICE", kStartTimeout));
  ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
  EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
}

}  // namespace
