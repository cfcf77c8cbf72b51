// The launcher's skinned main window under a virtual X server, seen through
// the launcher's UI dump: the first start's main button, hiding and a second
// launcher bringing the window back, and the first close's question answered
// with real clicks.
// A failing test leaves a screenshot beside the test's folder.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ipc/foreign_windows.h"
#include "project/Launcher/core/launcher_messages.h"
#include "tests/e2e/launcher_display_test.h"
#include "tests/e2e/launcher_window_driver.h"
#include "tests/e2e/launcher_process.h"
#include "tests/support/ui_driver.h"

namespace {

using namespace std::chrono_literals;

using window_driver::kStartTimeout;
using window_driver::ScreenshotOnFailure;

bool IsRegistered(const std::string& line) { return line.rfind("main_window_registered", 0) == 0; }

class LauncherWindowE2eTest : public window_driver::LauncherWindowTest {
 protected:
  // Dumps until the main window's control |name| satisfies |test|.
  std::optional<Json::Value> DumpUntil(const LauncherProcess& launcher, const std::string& name,
                                       const std::function<bool(const Json::Value&)>& test) {
    return ControlUntil(launcher, name, "Launcher", test);
  }
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

// The first close after a fresh install opens the options box; its choice
// is clicked and confirmed, saved, and followed.
TEST_F(LauncherWindowE2eTest, TheFirstCloseAsksOnceAndTheChoiceIsSavedAndFollowed) {
  struct Case {
    const char* option;
    bool closeToHide;
  };
  for (const Case& c : {Case{"STRING_SHUT_OPTION_TRAYICON", true}, Case{"STRING_SHUT_OPTION_EXIT", false}}) {
    SCOPED_TRACE(c.option);
    std::filesystem::remove(folder_.File("prog/save/EnvConfig.json"));  // a fresh install
    LauncherProcess launcher(folder_, {}, true);
    ScreenshotOnFailure screenshot;
    ASSERT_TRUE(launcher.started());
    ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kStartTimeout));
    WaitUntilIdle(launcher);
    const auto close = ui_driver::FindControl(Dump(launcher), "btn_close");
    ASSERT_TRUE(close);
    ASSERT_TRUE(ui_driver::ClickCentre(*close));
    ASSERT_TRUE(launcher.WaitForLine("options_box STRING_SHUT_OPTION_NOTICE", kStartTimeout));
    // The box is laid out on its first paint: its controls get their places.
    ui_driver::Dump dump;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    do {
      dump = Dump(launcher);
      const auto ok = ui_driver::FindControl(dump, "btn_ok", "OptionsBox");
      if (ok && (*ok)["rect"][2].asInt() > (*ok)["rect"][0].asInt()) break;
    } while (std::chrono::steady_clock::now() < deadline);
    const auto option = ui_driver::FindControlByTextId(dump, c.option, "OptionsBox");
    const auto confirm = ui_driver::FindControl(dump, "btn_ok", "OptionsBox");
    ASSERT_TRUE(option && confirm);
    ASSERT_TRUE(ui_driver::ClickCentre(*option));
    ASSERT_TRUE(ui_driver::ClickCentre(*confirm));
    ASSERT_TRUE(launcher.WaitForLine(c.closeToHide ? "box_answer 0" : "box_answer 1", kStartTimeout));
    if (c.closeToHide) {
      // No tray on a bare X server: minimised rather than hidden.
      EXPECT_TRUE(launcher.WaitForLine("iconified", kStartTimeout));
      ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
    }
    EXPECT_TRUE(launcher.WaitForLine("ui_loop_ending", kStartTimeout));
    EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
    std::ifstream in(folder_.File("prog/save/EnvConfig.json"));
    Json::Value settings;
    ASSERT_TRUE(in >> settings);
    EXPECT_EQ(settings["closeToHide"].asBool(), c.closeToHide);
  }
}

}  // namespace
