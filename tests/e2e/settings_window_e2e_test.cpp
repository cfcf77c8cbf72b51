// The settings window of the built launcher under a virtual X server, used
// like a player does: opened with the main window's button, options clicked
// and digits typed with XTest, confirmed or discarded; what the launcher
// saved and what it does afterwards are checked. A failing test leaves a
// screenshot in the temporary folder.
#include <gtest/gtest.h>
#include <json/json.h>

#include <string>

#include "tests/e2e/launcher_window_driver.h"
#include "tests/support/ui_driver.h"

namespace {

using namespace window_driver;

constexpr char kSettings[] = "SettingForm";
// The pages' padding (the skin's "setting_pages"): nothing is drawn there.
constexpr int kPagesPadding = 20;

// True when |control| lies wholly in |view| within its |padding|.
bool Inside(const Json::Value& control, const Json::Value& view, int padding) {
  const Json::Value& c = control["rect"];
  const Json::Value& v = view["rect"];
  return c.size() == 4 && v.size() == 4 && c[1].asInt() >= v[1].asInt() + padding &&
         c[3].asInt() <= v[3].asInt() - padding && c[0].asInt() >= v[0].asInt() && c[2].asInt() <= v[2].asInt();
}

class SettingsWindowE2eTest : public LauncherWindowTest {
 protected:
  // A launcher that has run before: the close question of a fresh install
  // is not asked again. Closing hides; no download limit.
  void SetUp() override {
    LauncherWindowTest::SetUp();
    if (IsSkipped()) return;
    Json::Value settings(Json::objectValue);
    settings["closeToHide"] = true;
    settings["downloadLimit"] = false;
    settings["downloadSpeed"] = 4096;
    WriteSettings(settings);
  }

  // Starts the launcher and waits until its own check has ended.
  void StartIdle(LauncherProcess& launcher) {
    ASSERT_TRUE(launcher.started());
    ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kStartTimeout));
    WaitUntilIdle(launcher);
  }

  // Clicks the main window's settings button; the dump once the settings
  // window is laid out down to the game's speed field.
  ui_driver::Dump OpenSettings(const LauncherProcess& launcher) {
    const auto button = ui_driver::FindControl(Dump(launcher), "btn_settings");
    EXPECT_TRUE(button);
    if (!button || !ui_driver::ClickCentre(*button)) return {};
    const ui_driver::Dump dump = DumpUntil(launcher, [](const ui_driver::Dump& d) {
      const auto confirm = ui_driver::FindControl(d, "btn_confirm", kSettings);
      const auto field = ui_driver::FindControl(d, "text_speed", kSettings);
      return confirm && field && LaidOut(*confirm) && LaidOut(*field) && (*confirm)["window_shown"].asBool();
    });
    return ScrollSpeedIntoView(launcher, dump);
  }
  // The game's speed group sits at the bottom edge of the pages' view: the
  // wheel over the pages brings it wholly into view, as a player would.
  ui_driver::Dump ScrollSpeedIntoView(const LauncherProcess& launcher, const ui_driver::Dump& opened) {
    const auto pages = ui_driver::FindControl(opened, "setting_pages", kSettings);
    if (!pages || !ui_driver::WheelOver(*pages, 1)) return {};
    // The list scrolls animated: its place is taken once two dumps in a row
    // show the field at the same place.
    Json::Value previous;
    const ui_driver::Dump dump = DumpUntil(launcher, [&previous](const ui_driver::Dump& d) {
      const auto view = ui_driver::FindControl(d, "setting_pages", kSettings);
      const auto field = ui_driver::FindControl(d, "text_speed", kSettings);
      if (!view || !field) return false;
      const bool settled = (*field)["rect"] == previous;
      previous = (*field)["rect"];
      for (const char* name : {"option_nolimit_speed", "option_limit_speed", "text_speed"}) {
        const auto control = ui_driver::FindControl(d, name, kSettings);
        if (!control || !Inside(*control, *view, kPagesPadding)) return false;
      }
      return settled;
    });
    const auto field = ui_driver::FindControl(dump, "text_speed", kSettings);
    const auto view = ui_driver::FindControl(dump, "setting_pages", kSettings);
    EXPECT_TRUE(field && view && Inside(*field, *view, kPagesPadding)) << "the speed field does not scroll into view";
    return dump;
  }
  bool Click(const ui_driver::Dump& dump, const std::string& name) {
    const auto control = ui_driver::FindControl(dump, name, kSettings);
    return control && ui_driver::ClickCentre(*control);
  }
  // Until the settings window is gone from the launcher's windows.
  bool WaitUntilSettingsClosed(const LauncherProcess& launcher) {
    const ui_driver::Dump dump = DumpUntil(launcher, [](const ui_driver::Dump& d) {
      return !ui_driver::FindControl(d, "btn_confirm", kSettings);
    });
    return !dump.empty() && !ui_driver::FindControl(dump, "btn_confirm", kSettings);
  }
  // Clicks into the game's speed field, erases what it holds from its end
  // and types |digits|.
  bool TypeSpeed(const ui_driver::Dump& dump, const std::string& digits) {
    const auto field = ui_driver::FindControl(dump, "text_speed", kSettings);
    if (!field || !Click(dump, "text_speed") || !ui_driver::PressKey("End")) return false;
    for (size_t i = 0; i < (*field)["text"].asString().size(); ++i) {
      if (!ui_driver::PressKey("BackSpace")) return false;
    }
    return ui_driver::TypeText(digits);
  }
  // The speed field once it shows |text|.
  std::optional<Json::Value> SpeedFieldShowing(const LauncherProcess& launcher, const std::string& text) {
    return ControlUntil(launcher, "text_speed", kSettings,
                        [&text](const Json::Value& c) { return c["text"].asString() == text; });
  }
};

bool Selected(const ui_driver::Dump& dump, const char* name) {
  const auto control = ui_driver::FindControl(dump, name, kSettings);
  return control && (*control)["selected"].asBool();
}

// Confirming applies what was chosen: the close behaviour and the game's
// download limit are saved, the field's range is enforced (above the
// maximum while typing, below the minimum when the field is left), and the
// next close of the main window exits instead of hiding.
TEST_F(SettingsWindowE2eTest, ConfirmSavesTheChoicesAndTheLauncherFollowsThem) {
  LauncherProcess launcher(folder_, {}, true);
  ScreenshotOnFailure screenshot;
  StartIdle(launcher);
  if (HasFatalFailure()) return;

  ui_driver::Dump dump = OpenSettings(launcher);
  ASSERT_FALSE(dump.empty());
  // The window shows the saved settings.
  EXPECT_TRUE(Selected(dump, "option_trayicon"));
  EXPECT_FALSE(Selected(dump, "option_exit"));
  EXPECT_TRUE(Selected(dump, "option_nolimit_speed"));
  const auto field = ui_driver::FindControl(dump, "text_speed", kSettings);
  ASSERT_TRUE(field);
  EXPECT_EQ((*field)["text"], "4096");
  EXPECT_FALSE((*field)["enabled"].asBool());

  ASSERT_TRUE(Click(dump, "option_exit"));
  ASSERT_TRUE(Click(dump, "option_limit_speed"));
  ASSERT_TRUE(ControlUntil(launcher, "text_speed", kSettings, [](const Json::Value& c) { return c["enabled"].asBool(); }));

  struct Case {
    const char* typed;
    const char* whileTyping;  // what the field shows before it is left
    int saved;
  };
  bool first = true;
  for (const Case& c : {Case{"2048", "2048", 2048}, Case{"20000", "10240", 10240}, Case{"5", "5", 100}}) {
    SCOPED_TRACE(c.typed);
    if (!first) {
      dump = OpenSettings(launcher);
      ASSERT_FALSE(dump.empty());
      EXPECT_TRUE(Selected(dump, "option_exit"));
      EXPECT_TRUE(Selected(dump, "option_limit_speed"));
    }
    first = false;
    ASSERT_TRUE(TypeSpeed(dump, c.typed));
    const auto shown = SpeedFieldShowing(launcher, c.whileTyping);
    ASSERT_TRUE(shown);
    EXPECT_EQ((*shown)["text"], c.whileTyping);
    ASSERT_TRUE(Click(dump, "btn_confirm"));
    ASSERT_TRUE(WaitUntilSettingsClosed(launcher));
    const Json::Value saved = ReadSettings();
    EXPECT_FALSE(saved["closeToHide"].asBool());
    EXPECT_TRUE(saved["downloadLimit"].asBool());
    EXPECT_EQ(saved["downloadSpeed"].asInt(), c.saved);
  }

  // Closing the main window now ends the launcher.
  const auto close = ui_driver::FindControl(Dump(launcher), "btn_close");
  ASSERT_TRUE(close);
  ASSERT_TRUE(ui_driver::ClickCentre(*close));
  EXPECT_TRUE(launcher.WaitForLine("ui_loop_ending", kStartTimeout));
  EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
  for (const std::string& line : launcher.lines()) EXPECT_NE(line, "iconified");
}

// Discarding (the cancel button, then Esc) leaves the saved settings as
// they were; the window shows them again next time, and closing still
// hides the launcher.
TEST_F(SettingsWindowE2eTest, DiscardLeavesTheSavedSettingsUnchanged) {
  const Json::Value before = ReadSettings();
  LauncherProcess launcher(folder_, {}, true);
  ScreenshotOnFailure screenshot;
  StartIdle(launcher);
  if (HasFatalFailure()) return;
  const Json::Value started = ReadSettings();

  ui_driver::Dump dump = OpenSettings(launcher);
  ASSERT_FALSE(dump.empty());
  ASSERT_TRUE(Click(dump, "option_exit"));
  ASSERT_TRUE(Click(dump, "option_limit_speed"));
  ASSERT_TRUE(ControlUntil(launcher, "text_speed", kSettings, [](const Json::Value& c) { return c["enabled"].asBool(); }));
  ASSERT_TRUE(TypeSpeed(dump, "2048"));
  ASSERT_TRUE(SpeedFieldShowing(launcher, "2048"));
  ASSERT_TRUE(Click(dump, "btn_cancel"));
  ASSERT_TRUE(WaitUntilSettingsClosed(launcher));
  EXPECT_EQ(ReadSettings(), started);
  EXPECT_TRUE(started["closeToHide"].asBool());
  EXPECT_FALSE(started["downloadLimit"].asBool());
  EXPECT_EQ(started["downloadSpeed"], before["downloadSpeed"]);

  // Opened again: the saved values, not the discarded ones; Esc discards too.
  dump = OpenSettings(launcher);
  ASSERT_FALSE(dump.empty());
  EXPECT_TRUE(Selected(dump, "option_trayicon"));
  EXPECT_TRUE(Selected(dump, "option_nolimit_speed"));
  const auto field = ui_driver::FindControl(dump, "text_speed", kSettings);
  ASSERT_TRUE(field);
  EXPECT_EQ((*field)["text"], "4096");
  ASSERT_TRUE(Click(dump, "option_exit"));
  ASSERT_TRUE(ui_driver::PressKey("Escape"));
  ASSERT_TRUE(WaitUntilSettingsClosed(launcher));
  EXPECT_EQ(ReadSettings(), started);

  // Closing still hides (no tray on a bare X server: minimised).
  const auto close = ui_driver::FindControl(Dump(launcher), "btn_close");
  ASSERT_TRUE(close);
  ASSERT_TRUE(ui_driver::ClickCentre(*close));
  EXPECT_TRUE(launcher.WaitForLine("iconified", kStartTimeout));
  ASSERT_TRUE(PostToLauncher(kMsgExitLauncher));
  EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
}

}  // namespace
