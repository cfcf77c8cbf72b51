// The game protocol between two processes on the display: the stand-in game
// registers its window with a launcher window of this process, asks the
// pre-download questions and the echo, and the store answers through its
// game-window list, posting only.

#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <json/json.h>

#include "platform/clock/clock.h"
#include "platform/message/message_api.h"
#include "platform/process/process.h"
#include "platform/window/window_api.h"
#include "platform/x11/x11_backend.h"
#include "project/Launcher/core/foreign_game_windows.h"
#include "project/Launcher/core/game_launch.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "tests/support/temp_folder.h"
#include "tests/core/test_thread.h"

namespace {

std::vector<uint32_t>* g_seen = nullptr;

platform::LRESULT LauncherProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wParam,
                               platform::LPARAM lParam) {
  if (g_seen && IsLauncherMessage(message)) {
    g_seen->push_back(message);
    LauncherStore::GetInstance().HandleGameMessage(message, wParam, lParam);
    return 0;
  }
  return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

bool PumpUntil(const std::function<bool()>& done) {
  const int64_t deadline = platform::NowMicroseconds() + int64_t{20} * 1000 * 1000;
  for (;;) {
    platform::MSG msg;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      platform::DispatchMessage(&msg);
    }
    if (done()) return true;
    if (!platform::WaitForQueueInput(deadline)) return done();
  }
}

std::vector<Json::Value> ReadRecords(const std::string& path) {
  std::vector<Json::Value> records;
  std::ifstream in(path);
  std::string line;
  Json::CharReaderBuilder reader;
  while (std::getline(in, line)) {
    Json::Value value;
    std::string error;
    std::istringstream text(line);
    if (Json::parseFromStream(reader, text, &value, &error)) records.push_back(value);
  }
  return records;
}

class GameProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (the test script runs xvfb-run)";
    ::setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    ::setenv("KVOR_RECORD", dir_.File("record.jsonl").c_str(), 1);
    backend_ = platform::x11::X11Backend::Open(platform::x11::X11Backend::Options{});
    ASSERT_NE(backend_, nullptr);
    platform::InstallWindowBackend(backend_.get());
    g_seen = &seen_;
    platform::WNDCLASS windowClass;
    windowClass.lpfnWndProc = &LauncherProc;
    windowClass.lpszClassName = u"LauncherProtocolTest";
    platform::RegisterClass(windowClass);
    hwnd_ = platform::CreateWindowEx(0, u"LauncherProtocolTest", u"Launcher", 0, 0, 0, 32, 32,
                                     nullptr, nullptr);
    ASSERT_NE(hwnd_, nullptr);
    ASSERT_TRUE(platform::SetProp(hwnd_, kLauncherInstanceNameW, reinterpret_cast<uintptr_t>(hwnd_)));
    store_.gameWindows().SetHooks(MakeForeignGameWindowHooks());
    store_.OnGameRegister(0);  // an empty list to begin with
    ASSERT_TRUE(worker_.Start());
  }
  void TearDown() override {
    if (game_ > 0) {
      ::kill(game_, SIGCONT);
      ::kill(game_, SIGKILL);
      platform::WaitProcess(game_);
    }
    worker_.Stop();
    store_.gameWindows().SetHooks({});
    if (hwnd_) platform::DestroyWindow(hwnd_);
    platform::InstallWindowBackend(nullptr);
    backend_.reset();
    g_seen = nullptr;
  }
  size_t Count(uint32_t message) const {
    size_t n = 0;
    for (uint32_t m : seen_) n += m == message;
    return n;
  }

  TempFolder dir_;
  std::unique_ptr<platform::x11::X11Backend> backend_;
  platform::HWND hwnd_ = nullptr;
  std::vector<uint32_t> seen_;
  LauncherStore& store_ = LauncherStore::GetInstance();
  RegisteredTestThread worker_{kThreadMisc};
  pid_t game_ = -1;
};

TEST_F(GameProtocolTest, TheGameRegistersOnceAndGetsEveryAnswerPosted) {
  platform::SpawnOptions options;
  options.workingFolder = dir_.path();
  options.detach = false;
  ASSERT_TRUE(platform::SpawnProcess({STAND_IN_GAME_PATH}, options, &game_, nullptr));
  // The game's second echo comes once it has recorded the four answers.
  ASSERT_TRUE(PumpUntil([this] { return Count(kMsgGameEcho) >= 2; }));
  EXPECT_EQ(Count(kMsgGameRegister), 2u);
  EXPECT_TRUE(IsGameRunning());

  std::vector<Json::Value> records = ReadRecords(dir_.File("record.jsonl"));
  uint64_t gameWindow = 0;
  std::vector<std::pair<uint32_t, int64_t>> answers;
  for (const Json::Value& r : records) {
    if (r["event"] == "window") gameWindow = r["window"].asUInt64();
    if (r["event"] == "message") answers.emplace_back(r["message"].asUInt(), r["lParam"].asInt64());
  }
  ASSERT_NE(gameWindow, 0u);
  EXPECT_EQ(store_.gameWindows().Snapshot(), std::vector<GameWindow>{gameWindow});
  // No pre-download panel: no status, no progress, no speed; the echo.
  std::vector<std::pair<uint32_t, int64_t>> expected = {
      {kMsgPreDownloadProgressReply, 0}, {kMsgPreDownloadStateReply, 0},
      {kMsgPreDownloadActionReply, 0}, {kMsgGameEcho, 0}};
  ASSERT_GE(answers.size(), expected.size());
  // The launcher also answers the game's closing echo, perhaps already.
  for (size_t i = expected.size(); i < answers.size(); ++i) EXPECT_EQ(answers[i].first, kMsgGameEcho);
  answers.resize(expected.size());
  EXPECT_EQ(answers, expected);
  EXPECT_TRUE(store_.ActivateGameWindow());

  // A game that does not run its loop never holds the worker up.
  ASSERT_EQ(::kill(game_, SIGSTOP), 0);
  for (int i = 0; i < 50; ++i) store_.PostToGameWindows(kMsgPreDownloadProgressReply, 1, 2);
  EXPECT_TRUE(RunOn(kThreadMisc, [] {}));
  ::kill(game_, SIGCONT);

  // Once the game has ended, its window is gone from the list and nothing is
  // posted to it.
  ::kill(game_, SIGTERM);
  EXPECT_EQ(platform::WaitProcess(game_), 0);
  game_ = -1;
  EXPECT_FALSE(IsGameRunning());
  store_.OnGameRegister(0);
  EXPECT_TRUE(store_.gameWindows().Snapshot().empty());
  EXPECT_EQ(store_.gameWindows().PostToAll(kMsgGameEcho, 0, 0), 0);
  EXPECT_FALSE(store_.ActivateGameWindow());
}

}  // namespace
