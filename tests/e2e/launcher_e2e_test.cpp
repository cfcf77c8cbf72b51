// The built launcher under a virtual X server: single instance, the exit
// message from another process and SIGTERM with the teardown order, the language
// override, and the modes that end early.
#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ipc/foreign_windows.h"
#include "project/Launcher/core/launcher_messages.h"
#include "tests/e2e/launcher_display_test.h"
#include "tests/e2e/launcher_process.h"
#include "tests/support/openssl_md5.h"
#include "tests/support/read_file.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStartTimeout = 20s;  // generous: sanitizer builds start slowly

bool IsRegistered(const std::string& line) { return line.rfind("main_window_registered", 0) == 0; }

// Record lines without the 500 ms UI tick's messages.
std::vector<std::string> WithoutTicks(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  // The UI tick, what the launcher's own update check (started by the
  // worker's first tick) tells the window meanwhile, and the window's first
  // frame, whose place depends on when the X server exposes it.
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(kept), [](const std::string& line) {
    if (line == "main_window_first_frame") return false;
    for (uint32_t message : {kMsgUiTick, kMsgRefreshState, kMsgCheckProgress, kMsgDownloadSpeed,
                             kMsgDownloadProgress, kMsgWindowOnTop}) {
      if (line.rfind("message " + std::to_string(message) + " ", 0) == 0) return false;
    }
    return true;
  });
  return kept;
}

class LauncherE2eTest : public LauncherOnDisplayTest {
 protected:
  // The record after the registration: |first| (how the exit was asked
  // for), then the window's teardown and the UI thread's clean-up in order;
  // the settings and the download log saved, the window and its property
  // gone.
  void ExpectTeardownInOrder(LauncherProcess& launcher, std::vector<std::string> first) {
    std::vector<std::string> record = WithoutTicks(launcher.ReadToEnd(kStartTimeout));
    EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
    auto registered = std::find_if(record.begin(), record.end(), IsRegistered);
    ASSERT_NE(registered, record.end());
    record.erase(record.begin(), registered + 1);
    std::vector<std::string> expected = std::move(first);
    for (const char* step : {"tray_removed", "main_window_unregistered", "ui_loop_ending", "ui_shut_down",
                             "download_log_saved", "downloads_stopped", "worker_cleaned_up", "worker_stopped",
                             "ui_unregistered", "exit 0"}) {
      expected.push_back(step);
    }
    EXPECT_EQ(record, expected);
    EXPECT_TRUE(folder_.Exists("prog/save/Log.json"));
    EXPECT_TRUE(folder_.Exists("prog/save/EnvConfig.json"));
    EXPECT_TRUE(windows_->FindBySelfProperty(kLauncherInstanceName).empty());
  }
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

  ExpectTeardownInOrder(launcher, {"message 2028 0 0"});
}

TEST_F(LauncherE2eTest, SigtermEndsTheLauncherThroughTheSameTeardown) {
  LauncherProcess launcher(folder_, {}, true);
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kStartTimeout));
  ASSERT_EQ(::kill(launcher.pid(), SIGTERM), 0);
  ExpectTeardownInOrder(launcher, {"signal", "message 2028 0 0"});
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
    EXPECT_EQ(*std::find_if(launcher.lines().begin(), launcher.lines().end(), IsRegistered), c.registered);
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

// The digest from OpenSSL, not from the launcher's own MD5.
std::string OpenSslMd5OfFile(const std::string& path) {
  return OpenSslMd5(ReadFile(path));
}

Json::Value ReadJsonFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Json::Value root;
  Json::CharReaderBuilder builder;
  std::string error;
  EXPECT_TRUE(Json::parseFromStream(builder, in, &root, &error)) << path << ": " << error;
  return root;
}

Json::Value MapEntry(const std::string& path) {
  Json::Value entry(Json::objectValue);
  entry["md5"] = OpenSslMd5OfFile(path);
  entry["size"] = static_cast<Json::Int64>(std::filesystem::file_size(path));
  return entry;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(LauncherModesTest, MakeVersionWritesTheExactMapWithoutTheLockOrSettings) {
  LauncherFolder folder;
  WriteFile(folder.File("prog/resources.zip"), "skin package");
  WriteFile(folder.File("prog/cef/sub/engine.bin"), std::string(100000, 'e'));
  WriteFile(folder.File("prog/dependence/d.dll"), "dependency");

  LauncherProcess launcher(folder, {"make_version", "1.0.7"}, false);
  ASSERT_TRUE(launcher.started());
  EXPECT_EQ(launcher.WaitForExit(kStartTimeout), 0);
  Json::Value expected(Json::objectValue);
  expected["list"]["launcher.exe"] = MapEntry(folder.File("prog/launcher.exe"));
  expected["list"]["resources.zip"] = MapEntry(folder.File("prog/resources.zip"));
  expected["list"]["cef/sub/engine.bin"] = MapEntry(folder.File("prog/cef/sub/engine.bin"));
  expected["version"] = "1.0.7";
  EXPECT_EQ(ReadJsonFile(folder.File("prog/launcher_version_map.txt")), expected);

  LauncherProcess dependence(folder, {"make_dependence_version", ""}, false);
  ASSERT_TRUE(dependence.started());
  EXPECT_EQ(dependence.WaitForExit(kStartTimeout), 0);
  Json::Value dependenceMap(Json::objectValue);
  dependenceMap["list"]["dependence/d.dll"] = MapEntry(folder.File("prog/dependence/d.dll"));
  dependenceMap["version"] = "1.0.0";
  EXPECT_EQ(ReadJsonFile(folder.File("prog/dependence_version_map.txt")), dependenceMap);

  EXPECT_FALSE(folder.Exists("prog/save"));
  EXPECT_FALSE(folder.Exists("run/_VDL_LAUNCHER_KOREA"));
}

TEST(LauncherModesTest, ReplaceRefusesForeignPathsAndOverlongValues) {
  LauncherFolder folder;
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
  };
  for (const Case& c : {Case{{"replace", "a", "b", "c"}, 2},
                        Case{{"replace", "", "", "/bin/sh"}, 2},
                        Case{{"replace", std::string(5000, 'a'), "b", "c"}, 2}}) {
    SCOPED_TRACE(c.arguments[1] + " " + c.arguments[3]);
    LauncherProcess launcher(folder, c.arguments, false);
    ASSERT_TRUE(launcher.started());
    EXPECT_EQ(launcher.WaitForExit(kStartTimeout), c.exitCode);
  }
  EXPECT_FALSE(folder.Exists("prog/save"));
  EXPECT_TRUE(folder.Exists("prog/launcher.exe"));
}

}  // namespace
