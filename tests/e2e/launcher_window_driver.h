#pragma once
// What the tests that use the launcher's windows like a player share: a
// screenshot when a test fails, dumps waited on until they show a state,
// the launcher's settings file, and waiting for the launcher's own check
// to end.

#include <gtest/gtest.h>
#include <json/json.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "tests/e2e/launcher_display_test.h"
#include "tests/e2e/launcher_process.h"
#include "tests/support/ui_driver.h"

namespace window_driver {

using namespace std::chrono_literals;

inline constexpr auto kStartTimeout = std::chrono::milliseconds(20s);  // sanitizer builds start slowly
inline constexpr auto kDumpTimeout = std::chrono::milliseconds(10s);

inline bool IsRegistered(const std::string& line) { return line.rfind("main_window_registered", 0) == 0; }

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

// True when the control has been laid out: a window's controls get their
// places on its first paint.
inline bool LaidOut(const Json::Value& control) {
  const Json::Value& rect = control["rect"];
  return rect.size() == 4 && rect[2].asInt() > rect[0].asInt() && rect[3].asInt() > rect[1].asInt();
}

class LauncherWindowTest : public LauncherOnDisplayTest {
 protected:
  ui_driver::Dump Dump(const LauncherProcess& launcher) {
    return ui_driver::RequestDump(launcher.pid(), folder_.dumpFile(), kDumpTimeout);
  }
  // Dumps until |test| holds for a whole dump (the window handles requests
  // in order, so each dump shows what was asked for before it); the last
  // dump, which the caller checks again.
  ui_driver::Dump DumpUntil(const LauncherProcess& launcher, const std::function<bool(const ui_driver::Dump&)>& test,
                            std::chrono::milliseconds timeout = kStartTimeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    ui_driver::Dump dump;
    do {
      dump = Dump(launcher);
      if (!dump.empty() && test(dump)) break;
    } while (std::chrono::steady_clock::now() < deadline);
    return dump;
  }
  // Dumps until the control |name| of |window| satisfies |test|; the
  // control then, nothing when it never did.
  std::optional<Json::Value> ControlUntil(const LauncherProcess& launcher, const std::string& name,
                                          const std::string& window,
                                          const std::function<bool(const Json::Value&)>& test) {
    const ui_driver::Dump dump = DumpUntil(launcher, [&](const ui_driver::Dump& d) {
      const auto control = ui_driver::FindControl(d, name, window);
      return control && test(*control);
    });
    const auto control = ui_driver::FindControl(dump, name, window);
    if (!control || !test(*control)) return std::nullopt;
    return control;
  }
  // Until the launcher's own check has ended (its file check reported,
  // then the idle state's refresh): nothing runs any more, so closing asks
  // no confirmation.
  static void WaitUntilIdle(LauncherProcess& launcher) {
    bool checked = false;
    ASSERT_TRUE(launcher.WaitForLine(
        [&checked](const std::string& line) {
          if (line.rfind("message 2127 ", 0) == 0) checked = true;
          return checked && line == "message 2126 0 0";
        },
        kStartTimeout));
  }

  // The launcher's user settings as saved in "prog/save/EnvConfig.json".
  std::string SettingsFile() const { return folder_.File("prog/save/EnvConfig.json"); }
  void WriteSettings(const Json::Value& settings) {
    std::filesystem::create_directories(folder_.File("prog/save"));
    std::ofstream(SettingsFile()) << settings;
  }
  Json::Value ReadSettings() const {
    std::ifstream in(SettingsFile());
    Json::Value settings;
    if (!(in >> settings)) return Json::Value();
    return settings;
  }
};

}  // namespace window_driver
