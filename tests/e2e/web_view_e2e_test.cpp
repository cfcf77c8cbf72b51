// The main window's web view against the local publisher, under a virtual
// X server: the gate's activity page, with the language, loads into
// "webview", which fades in. A stub "xdg-open" on PATH stands for the
// desktop's opener.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/ipc/foreign_windows.h"
#include "project/Launcher/core/launcher_messages.h"
#include "tests/e2e/launcher_process.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"
#include "tests/support/ui_driver.h"
#include "tools/publisher/content_generator.h"
#include "tools/publisher/local_publisher.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 40s;  // the engine starts slowly in sanitizer builds
const char kOpenedUrl[] = "https://example.invalid/news?id=7";

bool IsRegistered(const std::string& line) { return line.rfind("main_window_registered", 0) == 0; }

class WebViewE2eTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    if (::access("/usr/lib/chromium/chromium-headless-shell", X_OK) != 0)
      GTEST_SKIP() << "needs chromium-headless-shell";
    std::string error;
    ASSERT_TRUE(publisher::GenerateContent(content_.File("content"), &generated_, &error)) << error;
    publisher_ = std::make_unique<publisher::LocalPublisher>(generated_);
    ASSERT_TRUE(publisher_->Start());
    // The activity page: one large button that opens a window.
    publisher_->server().AddFile(
        "/activity/",
        testsrv::MakeStringContent(std::string(
            "<html><body style='margin:0'><button id='b' style='width:100%;height:305px'"
            " onclick=\"window.open('") + kOpenedUrl + "')\">open</button></body></html>"));
    std::filesystem::create_directories(folder_.File("prog/save"));
    std::ofstream(folder_.File("prog/save/setting.json")) << publisher_->SettingJson(true);
    // The stub opener, found first on PATH.
    std::filesystem::create_directories(folder_.File("bin"));
    const std::string opener = folder_.File("bin/xdg-open");
    std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> '" << folder_.File("opened.txt") << "'\n";
    ::chmod(opener.c_str(), 0755);
    const char* path = std::getenv("PATH");
    old_path_ = path ? path : "";
    ::setenv("PATH", (folder_.File("bin") + ":" + old_path_).c_str(), 1);
  }
  void TearDown() override {
    if (!old_path_.empty()) ::setenv("PATH", old_path_.c_str(), 1);
    if (publisher_) publisher_->Stop();
  }

  std::optional<Json::Value> DumpUntil(const LauncherProcess& launcher, const std::string& name,
                                       const std::function<bool(const Json::Value&)>& test) {
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    std::optional<Json::Value> control;
    while (std::chrono::steady_clock::now() < deadline) {
      control = ui_driver::FindControl(ui_driver::RequestDump(launcher.pid(), folder_.dumpFile(), 10s), name);
      if (control && test(*control)) return control;
    }
    return control;
  }

  TempFolder content_;
  publisher::GeneratedContent generated_;
  std::unique_ptr<publisher::LocalPublisher> publisher_;
  LauncherFolder folder_;
  std::string old_path_;
};

TEST_F(WebViewE2eTest, TheGatesActivityPageLoadsIntoTheWebView) {
  LauncherProcess launcher(folder_, {}, true);
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kTimeout));
  auto windows = platform::ForeignWindows::Open();
  ASSERT_NE(windows, nullptr);
  const auto post = [&windows](uint32_t message) {
    bool posted = false;
    for (platform::NativeWindow window : windows->FindBySelfProperty(kLauncherInstanceName))
      posted = windows->PostMessage(window, message, 0, 0) || posted;
    return posted;
  };
  // Hidden until the gate's activity page has loaded, then faded in. The
  // page is asked for again as the idle state does (kMsgRefreshPages), once
  // the gate has answered.
  auto view = DumpUntil(launcher, "webview", [&post](const Json::Value& c) {
    post(kMsgRefreshPages);
    return c["visible"].asBool();
  });
  ASSERT_TRUE(view);
  bool asked = false;
  for (const auto& request : publisher_->Requests())
    if (request.path == "/activity/" && request.query == "lang=en") asked = true;
  EXPECT_TRUE(asked) << publisher_->RequestLogJsonLines();
  ASSERT_TRUE((*view)["visible"].asBool());

  // The launcher ends as closing it does: its engine goes with it.
  ASSERT_TRUE(post(kMsgExitLauncher));
  EXPECT_EQ(launcher.WaitForExit(kTimeout), 0);
}

}  // namespace
