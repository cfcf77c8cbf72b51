// The main window's web view against the local publisher, under a virtual
// X server: the gate's activity page, with the language, loads into
// "webview", which fades in; a click on the page that opens a window, and a
// click on a link of the link bar, reach the desktop's opener (a stub
// "xdg-open" first on PATH that records the addresses it is given); the
// wheel and the keys reach the page, which tells the publisher.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/foreign_windows.h"
#include "project/Launcher/core/launcher_messages.h"
#include "tests/e2e/launcher_process.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"
#include "tests/support/ui_driver.h"
#include "tests/ui/skin_checker.h"
#include "tests/ui/zip_fixture.h"
#include "tools/publisher/content_generator.h"
#include "tools/publisher/local_publisher.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kTimeout = 40s;  // the engine starts slowly in sanitizer builds
const char kOpenedUrl[] = "https://example.invalid/news?id=7";

bool IsRegistered(const std::string& line) { return line.rfind("main_window_registered", 0) == 0; }

// A control laid out on the screen, with room to click.
bool HasArea(const Json::Value& control) {
  const Json::Value& rect = control["rect"];
  return rect.size() == 4 && rect[2].asInt() > rect[0].asInt() && rect[3].asInt() > rect[1].asInt();
}

// The link bar's links as a test's skin package names them: the key of the
// link, the address it opens and the action its usage event reports.
struct Link {
  std::string key;
  std::string path;
  std::string action;
};
const std::vector<Link> kLinks = {{"Forum_home", "links/home", "home"},
                                  {"Forum_community", "links/community", "community"},
                                  {"Forum_video", "links/video", "video"},
                                  {"FAQ", "links/faq", "faq"}};

// The lines of a text file (none when it is missing).
std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class WebViewE2eTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    if (::access("/usr/lib/chromium/chromium-headless-shell", X_OK) != 0)
      GTEST_SKIP() << "needs chromium-headless-shell";
    // The publisher serves this very program as the launcher, and the
    // launcher's folder has the publisher's map of it: the launcher finds
    // itself current and does not update (and restart) while it is watched.
    std::string error;
    ASSERT_TRUE(publisher::GenerateContent(content_.File("content"), &generated_, &error,
                                           ReadFile(LAUNCHER_EXE)))
        << error;
    std::filesystem::copy_file(generated_.LauncherFolder(publisher::kLauncherVersionNew) + "launcher_version_map.txt",
                               folder_.File("prog/launcher_version_map.txt"));
    publisher_ = std::make_unique<publisher::LocalPublisher>(generated_);
    ASSERT_TRUE(publisher_->Start());
    // The activity page (an HTML file, so that the engine shows it rather
    // than taking it as a download): one large button that opens a window;
    // the wheel and the keys it receives are told to the publisher.
    publisher::GateOptions gate;
    gate.activityAddr = publisher_->BaseUrl() + "activity/index.html";
    publisher_->SetGateOptions(gate);
    publisher_->server().AddFile(
        "/activity/index.html",
        testsrv::MakeStringContent(std::string(
            "<html><body style='margin:0'><button id='b' style='width:100%;height:305px'"
            " onclick=\"window.open('") + kOpenedUrl + "')\">open</button><script>"
            "addEventListener('wheel', e => fetch('/seen/wheel?' + (e.deltaY > 0 ? 'down' : 'up')));"
            "addEventListener('keydown', e => fetch('/seen/key?' + encodeURIComponent(e.key)));"
            "fetch('/seen/ready');</script></body></html>"));
    for (const char* seen : {"/seen/wheel", "/seen/key", "/seen/ready"})
      publisher_->server().AddFile(seen, testsrv::MakeStringContent("ok"));
    std::filesystem::create_directories(folder_.File("prog/save"));
    std::ofstream(folder_.File("prog/save/setting.json")) << publisher_->SettingJson(true);
    // The stub opener, found first on PATH.
    std::filesystem::create_directories(folder_.File("bin"));
    const std::string opener = folder_.File("bin/xdg-open");
    std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> '" << openedFile() << "'\n";
    ::chmod(opener.c_str(), 0755);
    const char* path = std::getenv("PATH");
    old_path_ = path ? path : "";
    ::setenv("PATH", (folder_.File("bin") + ":" + old_path_).c_str(), 1);
  }
  void TearDown() override {
    if (!old_path_.empty()) ::setenv("PATH", old_path_.c_str(), 1);
    if (publisher_) publisher_->Stop();
  }

  std::string openedFile() const { return folder_.File("opened.txt"); }

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

  // Posts |message| to the launcher's main window; false when none took it.
  bool Post(uint32_t message) {
    if (!windows_) windows_ = platform::ForeignWindows::Open();
    if (!windows_) return false;
    bool posted = false;
    for (platform::NativeWindow window : windows_->FindBySelfProperty(kLauncherInstanceName))
      posted = windows_->PostMessage(window, message, 0, 0) || posted;
    return posted;
  }

  // The web view once the activity page has loaded into it and it shows.
  // The page is asked for again as the idle state does (kMsgRefreshPages),
  // once the gate has answered.
  std::optional<Json::Value> ShownWebView(const LauncherProcess& launcher) {
    return DumpUntil(launcher, "webview", [this](const Json::Value& c) {
      if (c["visible"].asBool() && HasArea(c)) return true;
      Post(kMsgRefreshPages);
      return false;
    });
  }

  // Waits until the page the view was last asked for has loaded (it tells
  // the publisher) and no newer load was asked for meanwhile, so a click
  // lands on a page that stays. A dump between the checks lets the window
  // handle every request posted before it.
  bool PageSettled(const LauncherProcess& launcher) {
    const auto lastAsked = [this] {
      uint64_t seq = 0;
      for (const auto& request : publisher_->Requests())
        if (request.path == "/activity/index.html") seq = std::max(seq, request.seq + 1);
      return seq;
    };
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
      const uint64_t asked = lastAsked();
      if (!publisher_->server().WaitForRequest(
              [asked](const testsrv::RequestRecord& r) { return r.path == "/seen/ready" && r.seq >= asked; },
              static_cast<int>(std::chrono::milliseconds(kTimeout).count())))
        return false;
      ui_driver::RequestDump(launcher.pid(), folder_.dumpFile(), 10s);
      if (lastAsked() == asked) return true;
    }
    return false;
  }

  // Waits until the stub opener's record holds |url| (the file appearing or
  // growing wakes the wait); the record as it then stands.
  std::vector<std::string> WaitForOpened(const std::string& url) {
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch >= 0) inotify_add_watch(watch, folder_.File("").c_str(), IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE);
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    std::vector<std::string> lines;
    for (;;) {
      lines = ReadLines(openedFile());
      if (std::find(lines.begin(), lines.end(), url) != lines.end()) break;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || watch < 0) break;
      pollfd p{watch, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) > 0) {
        char events[4096];
        while (::read(watch, events, sizeof events) > 0) {
        }
      }
    }
    if (watch >= 0) ::close(watch);
    return lines;
  }

  // Puts beside the program a copy of the built skin package whose channel
  // configurations give every link an address on the publisher.
  void WriteSkinWithLinkAddresses() {
    using ui::testing::SkinChecker;
    SkinChecker skin(SkinChecker::ReadArchive(LAUNCHER_SKIN_ZIP));
    ASSERT_FALSE(skin.members().empty());
    const auto address = [this](const std::string& key) {
      for (const Link& link : kLinks)
        if (link.key == key) return publisher_->BaseUrl() + link.path;
      return std::string();
    };
    for (const char* name : {"common_config_CHANNEL_KR.json", "common_config.json"}) {
      std::string& text = skin.members()[std::string(SkinChecker::kTheme) + name];
      Json::Value config;
      ASSERT_TRUE(Json::Reader().parse(text, config)) << name;
      for (Json::Value& language : config["Forum"])
        for (Json::Value& forum : language) forum["url"] = address("Forum_" + forum["name"].asString());
      for (const std::string& member : config["FAQ"].getMemberNames())
        if (config["FAQ"][member].isObject()) config["FAQ"][member]["url"] = address("FAQ");
      text = Json::StyledWriter().write(config);
    }
    std::vector<ui::testing::ZipMemberSpec> members;
    for (const auto& [name, bytes] : skin.members()) members.push_back({name, bytes});
    std::ofstream(folder_.File("prog/resources.zip"), std::ios::binary) << ui::testing::BuildZip(members);
  }

  // Waits until the publisher has the usage event of a click on a link of
  // the link bar with |action|.
  bool WaitForLinkEvent(const std::string& action) {
    return publisher_->server().WaitForRequest(
        [&action](const testsrv::RequestRecord& request) {
          Json::Value event;
          return request.path == "/track/json_track" && Json::Reader().parse(request.body, event) &&
                 event["log_type"] == "ovdnlepcstarteruiclick" && event["uitype"] == "community" &&
                 event["action"] == action;
        },
        static_cast<int>(std::chrono::milliseconds(kTimeout).count()));
  }

  // Ends the launcher as closing it does: its engine goes with it.
  void Quit(LauncherProcess& launcher) {
    ASSERT_TRUE(Post(kMsgExitLauncher));
    EXPECT_EQ(launcher.WaitForExit(kTimeout), 0);
  }

  TempFolder content_;
  publisher::GeneratedContent generated_;
  std::unique_ptr<publisher::LocalPublisher> publisher_;
  LauncherFolder folder_;
  std::string old_path_;
  std::unique_ptr<platform::ForeignWindows> windows_;
};

TEST_F(WebViewE2eTest, TheGatesActivityPageLoadsIntoTheWebView) {
  LauncherProcess launcher(folder_, {}, true);
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kTimeout));
  // Hidden until the gate's activity page has loaded, then faded in.
  auto view = ShownWebView(launcher);
  ASSERT_TRUE(view);
  bool asked = false;
  for (const auto& request : publisher_->Requests())
    if (request.path == "/activity/index.html" && request.query == "lang=en") asked = true;
  EXPECT_TRUE(asked) << publisher_->RequestLogJsonLines();
  ASSERT_TRUE((*view)["visible"].asBool());
  Quit(launcher);
}

TEST_F(WebViewE2eTest, AWindowThePageOpensOnAClickGoesToTheDesktopsBrowserOnce) {
  LauncherProcess launcher(folder_, {}, true);
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kTimeout));
  auto view = ShownWebView(launcher);
  ASSERT_TRUE(view && (*view)["visible"].asBool());
  ASSERT_TRUE(PageSettled(launcher)) << publisher_->RequestLogJsonLines();
  // Nothing is opened before the player clicks.
  EXPECT_TRUE(ReadLines(openedFile()).empty());

  // The page's button fills the view: a click at its centre opens a window.
  ASSERT_TRUE(ui_driver::ClickCentre(*view));
  EXPECT_EQ(WaitForOpened(kOpenedUrl), std::vector<std::string>{kOpenedUrl});

  Quit(launcher);
  // Once: the request is handed over a single time.
  EXPECT_EQ(ReadLines(openedFile()), std::vector<std::string>{kOpenedUrl});
}

TEST_F(WebViewE2eTest, TheWheelAndTheKeysReachThePage) {
  LauncherProcess launcher(folder_, {}, true);
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kTimeout));
  auto view = ShownWebView(launcher);
  ASSERT_TRUE(view && (*view)["visible"].asBool());
  ASSERT_TRUE(PageSettled(launcher)) << publisher_->RequestLogJsonLines();
  const auto seen = [this](const std::string& path, const std::string& query) {
    return publisher_->server().WaitForRequest(
        [&](const testsrv::RequestRecord& r) { return r.path == path && r.query == query; },
        static_cast<int>(std::chrono::milliseconds(kTimeout).count()));
  };
  // One notch each way over the page, which tells which way it turned.
  ASSERT_TRUE(ui_driver::WheelOver(*view, 1));
  EXPECT_TRUE(seen("/seen/wheel", "down")) << publisher_->RequestLogJsonLines();
  ASSERT_TRUE(ui_driver::WheelOver(*view, -1));
  EXPECT_TRUE(seen("/seen/wheel", "up")) << publisher_->RequestLogJsonLines();
  // A click puts the keyboard's focus on the page; a key then reaches it.
  ASSERT_TRUE(ui_driver::ClickCentre(*view));
  ASSERT_TRUE(ui_driver::PressKey("q"));
  EXPECT_TRUE(seen("/seen/key", "q")) << publisher_->RequestLogJsonLines();
  Quit(launcher);
}

TEST_F(WebViewE2eTest, ALinkOfTheLinkBarOpensItsAddressAndIsCounted) {
  WriteSkinWithLinkAddresses();
  LauncherProcess launcher(folder_, {}, true);
  ASSERT_TRUE(launcher.started());
  ASSERT_TRUE(launcher.WaitForLine(IsRegistered, kTimeout));
  std::vector<std::string> opened;
  for (const Link& link : kLinks) {
    SCOPED_TRACE(link.key);
    auto button = DumpUntil(launcher, link.key, [](const Json::Value& c) { return c["visible"].asBool() && HasArea(c); });
    ASSERT_TRUE(button && HasArea(*button));
    ASSERT_TRUE(ui_driver::ClickCentre(*button));
    const std::string url = publisher_->BaseUrl() + link.path;
    opened.push_back(url);
    EXPECT_EQ(WaitForOpened(url), opened);
    EXPECT_TRUE(WaitForLinkEvent(link.action)) << publisher_->RequestLogJsonLines();
  }
  Quit(launcher);
  // Each click opened its link once.
  EXPECT_EQ(ReadLines(openedFile()), opened);
}

}  // namespace
