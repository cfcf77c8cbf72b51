// The game's launch and instance test, the game-window list, and the store's
// repair, links and skin package choice.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <minizip/zip.h>

#include "platform/instance/instance_lock.h"
#include "project/Launcher/core/game_launch.h"
#include "project/Launcher/core/game_window_list.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/core/flow/state.h"
#include "tests/core/store_fixture.h"
#include "tests/core/test_thread.h"
#include "tests/support/fifo_record.h"
#include "tests/support/scoped_env.h"
#include "ui/skin_archive.h"

namespace {

TEST(GameLaunchTest, ArgumentsFollowTheVersionRule) {
  const std::string folder = "/games/Valdrenth Game/";
  const std::string exe = folder + "KVOR.exe";
  struct Case {
    std::string version;
    std::string parameter;
    std::string platform;
    std::vector<std::string> argv;
  } cases[] = {
      {"10077_0_1", "0123456789abcdef0123456789abcdef", "win",
       {exe, "0123456789abcdef0123456789abcdef", "win", "0|1"}},
      {"10076_5_9", "d", "win", {exe, "d"}},
      {"", "d", "win", {exe, "d", "win", "0|1"}},
      {"10077_1", "d", "win", {exe, "d"}},
      {"10077_0_1", "", "win", {exe, "empty", "win", "0|1"}},
      {"10078_0_1", "d", "mac", {exe, "d", "mac", "0|1"}},
      {"10077_a_1", "d", "win", {exe, "d"}},
      {"-10077_0_1", "d", "win", {exe, "d"}},
      {"99999999999999999999999_0_1", "d", "win", {exe, "d"}},
      {"10077_0_1_2", "d", "win", {exe, "d"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GameLaunchArguments(folder, c.parameter, c.platform, c.version, 0), c.argv)
        << c.version;
  }
}

TEST(GameLaunchTest, TheRunningGameHoldsTheOnlySlot) {
  TempFolder runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path());
  std::vector<int32_t> free;
  EXPECT_EQ(CollectFreeGameSlots(&free), 0);
  EXPECT_EQ(free, std::vector<int32_t>{0});
  {
    platform::InstanceLock game(kGameInstanceName);
    ASSERT_TRUE(game.Acquire());
    EXPECT_TRUE(IsGameRunning());
    free.clear();
    EXPECT_EQ(CollectFreeGameSlots(&free), 1);
    EXPECT_TRUE(free.empty());
    // Testing did not take the lock from the game.
    platform::InstanceLock second(kGameInstanceName);
    EXPECT_FALSE(second.Acquire());
  }
  EXPECT_FALSE(IsGameRunning());
}

// A desktop of fake windows: ids that exist, those with the game property,
// those of the engine's class, and every message posted.
struct FakeDesktop {
  std::vector<GameWindow> alive;
  std::vector<GameWindow> withProperty;
  std::vector<GameWindow> ofClass;
  std::vector<std::pair<GameWindow, uint32_t>> posted;
  std::vector<GameWindow> activated;

  GameWindowHooks Hooks() {
    GameWindowHooks hooks;
    hooks.findByProperty = [this] { return withProperty; };
    hooks.findByClass = [this] { return ofClass; };
    hooks.exists = [this](GameWindow w) {
      return std::find(alive.begin(), alive.end(), w) != alive.end();
    };
    hooks.post = [this](GameWindow w, uint32_t message, uint64_t, int64_t) {
      posted.emplace_back(w, message);
      return true;
    };
    hooks.activate = [this](GameWindow w) {
      activated.push_back(w);
      return true;
    };
    return hooks;
  }
};

TEST(GameWindowListTest, RegistrationListsAWindowOnceAndDropsDeadOnes) {
  FakeDesktop desktop;
  desktop.alive = {11, 12};
  GameWindowList list;
  list.SetHooks(desktop.Hooks());
  list.Register(11);
  list.Register(11);
  list.Register(99);  // not a window
  list.Register(12);
  EXPECT_EQ(list.Snapshot(), (std::vector<GameWindow>{11, 12}));
  desktop.alive = {12, 13};
  list.Register(13);
  EXPECT_EQ(list.Snapshot(), (std::vector<GameWindow>{12, 13}));
}

TEST(GameWindowListTest, MessagesArePostedToLiveWindowsOrTheEngineWindow) {
  FakeDesktop desktop;
  GameWindowList list;
  list.SetHooks(desktop.Hooks());
  // No window at all: nothing posted, no activation.
  EXPECT_EQ(list.PostToAll(2532, 0, 0), 0);
  EXPECT_FALSE(list.ActivateFirst());

  // No window with the property: the first of the engine's class.
  desktop.alive = {30, 31};
  desktop.ofClass = {30, 31};
  EXPECT_EQ(list.PostToAll(2527, 0, 2), 1);
  EXPECT_TRUE(list.ActivateFirst());
  EXPECT_EQ(desktop.activated, std::vector<GameWindow>{30});

  // Windows found by their property; a dead listed one is skipped.
  desktop.posted.clear();
  desktop.activated.clear();
  desktop.alive = {40, 42};
  desktop.withProperty = {41, 40, 42};
  list.Find();
  EXPECT_EQ(list.PostToAll(2529, 5, 6), 2);
  EXPECT_EQ(desktop.posted,
            (std::vector<std::pair<GameWindow, uint32_t>>{{40, 2529}, {42, 2529}}));
  EXPECT_TRUE(list.ActivateFirst());
  EXPECT_EQ(desktop.activated, std::vector<GameWindow>{40});
}

class StoreGameTest : public testing::Test {
 protected:
  void SetUp() override {
    ScopedStoreFolder& f = fixture_;
    game_ = f.folder.File("Valdrenth Game") + "/";
    std::filesystem::create_directories(game_ + "save");
    f.store.SetGamePath(ScopedStoreFolder::U16(game_));
  }
  std::string Dir() const { return fixture_.folder.path(); }

  ScopedStoreFolder fixture_;
  std::string game_;
};

TEST_F(StoreGameTest, TheGameStartsInItsFolderWithItsArguments) {
  LauncherStore& store = fixture_.store;
  ASSERT_EQ(::symlink(SPAWN_RECORDER_PATH, (game_ + "KVOR.exe").c_str()), 0);
  ASSERT_EQ(::mkfifo((Dir() + "/fifo").c_str(), 0600), 0);
  ScopedEnv record("SPAWN_RECORD", Dir() + "/fifo");
  std::ofstream(game_ + "save/log.txt") << "old log";
  store.deleteGameLog = true;
  store.localGameVersion = "10077_0_1";
  store.platformName = "mac";

  EXPECT_FALSE(store.LaunchGame("abc", 1));  // only slot 0 is ever started
  ASSERT_TRUE(store.LaunchGame("0123456789abcdef0123456789abcdef", 0));
  std::string text = ReadRecordFromFifo(Dir() + "/fifo");
  std::string expected = "cwd=" + std::filesystem::canonical(game_).string() +
                         "\narg=0123456789abcdef0123456789abcdef\narg=mac\narg=0|1\nfds=0,1,2\nend\n";
  EXPECT_EQ(text, expected);
  EXPECT_FALSE(std::filesystem::exists(game_ + "save/log.txt"));

  std::filesystem::remove(game_ + "KVOR.exe");
  EXPECT_FALSE(store.LaunchGame("abc", 0));  // no executable: not started, nothing thrown
}

TEST_F(StoreGameTest, RepairForgetsTheVersionAndStartsAFullCheck) {
  LauncherStore& store = fixture_.store;
  ScopedEnv home("HOME", Dir() + "/home");
  std::filesystem::create_directories(Dir() + "/home/.tezpc/deep");
  std::ofstream(Dir() + "/home/.tezpc/deep/marker") << "x";
  std::ofstream(game_ + "version_map.txt") << "{}";
  std::ofstream(game_ + "Data_alt.bytes") << "alt";
  std::ofstream(game_ + "Data.bytes") << "main";
  std::ofstream(Dir() + "/outside.txt") << "keep";
  store.renameMap = {{u"Data.bytes", u"Data_alt.bytes"}, {u"Other.bytes", u"../outside.txt"}};
  store.gateConfig.DisableAutoEnterGame = false;
  store.enterGameAfterFlow = true;

  std::vector<int32_t> flows;
  store.SetFirstStateFactory([&flows](int32_t mode) {
    flows.push_back(mode);
    return std::unique_ptr<State>();
  });
  RegisteredTestThread worker(kThreadMisc);
  ASSERT_TRUE(worker.Start());
  store.RepairGame();
  ASSERT_TRUE(RunOn(kThreadMisc, [] {}));
  worker.Stop();
  store.SetFirstStateFactory(nullptr);

  EXPECT_EQ(flows, std::vector<int32_t>{kGameFlow});
  EXPECT_FALSE(store.enterGameAfterFlow);
  EXPECT_FALSE(std::filesystem::exists(game_ + "version_map.txt"));
  EXPECT_FALSE(std::filesystem::exists(game_ + "Data_alt.bytes"));
  EXPECT_TRUE(std::filesystem::exists(game_ + "Data.bytes"));
  EXPECT_TRUE(std::filesystem::exists(Dir() + "/outside.txt"));  // not inside the game folder
  EXPECT_FALSE(std::filesystem::exists(Dir() + "/home/.tezpc"));
  EXPECT_TRUE(std::filesystem::exists(Dir() + "/home"));
}

TEST_F(StoreGameTest, LinksOpenOnlyThroughTheLinkMapAndOnlyHttp) {
  LauncherStore& store = fixture_.store;
  ASSERT_EQ(::symlink(SPAWN_RECORDER_PATH, (Dir() + "/xdg-open").c_str()), 0);
  ASSERT_EQ(::mkfifo((Dir() + "/fifo").c_str(), 0600), 0);
  ScopedEnv path("PATH", Dir());
  ScopedEnv record("SPAWN_RECORD", Dir() + "/fifo");
  store.linkMap = {{"Privacy", "https://example.com/privacy?lang=en&x=$(id)"},
                   {"Evil", "file:///etc/passwd"}};

  store.OpenLink("Privacy", true);  // no main window yet: nothing
  store.RegisterMainWindow(0x10);
  store.OpenLink("", false);
  store.OpenLink("Forum", true);    // not in the map
  store.OpenLink("Evil", true);     // not http(s)
  store.OpenLink("https://a b", false);
  store.OpenLink("Privacy", true);
  // The first run of the opener is the one link that may open.
  std::string text = ReadRecordFromFifo(Dir() + "/fifo");
  EXPECT_NE(text.find("\narg=https://example.com/privacy?lang=en&x=$(id)\nfds="),
            std::string::npos)
      << text;
  store.RegisterMainWindow(0);
}

// A zip of one member "which" holding |text|.
std::string MakeZip(const std::string& path, const std::string& text) {
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  zip_fileinfo info{};
  zipOpenNewFileInZip(zip, "which", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                      Z_DEFAULT_COMPRESSION);
  zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size()));
  zipCloseFileInZip(zip);
  zipClose(zip, nullptr);
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string OpenedPackage() {
  std::string out;
  if (!ui::SkinArchive::ReadEntry(u"which", &out)) return "none";
  return out;
}

TEST_F(StoreGameTest, ResourcesZipWinsThroughItsCopyElseTheEmbeddedPackage) {
  const std::string embedded = MakeZip(Dir() + "/embedded.zip", "embedded");
  SetEmbeddedSkinPackage(embedded.data(), embedded.size());
  std::filesystem::create_directories(Dir() + "/update");

  EXPECT_FALSE(PrepareSkinPackage());
  EXPECT_EQ(OpenedPackage(), "embedded");

  MakeZip(Dir() + "/resources.zip", "disk");
  EXPECT_TRUE(PrepareSkinPackage());
  EXPECT_EQ(OpenedPackage(), "disk");
  EXPECT_TRUE(std::filesystem::exists(Dir() + "/update/tmp_resources.zip"));
  // The package on disk can be replaced while the copy is open.
  std::filesystem::remove(Dir() + "/resources.zip");
  MakeZip(Dir() + "/resources.zip", "disk, newer");
  EXPECT_TRUE(PrepareSkinPackage());
  EXPECT_EQ(OpenedPackage(), "disk, newer");

  // A copy that cannot be replaced: the embedded package.
  ui::SkinArchive::Close();
  std::filesystem::remove(Dir() + "/update/tmp_resources.zip");
  std::filesystem::create_directories(Dir() + "/update/tmp_resources.zip");
  EXPECT_FALSE(PrepareSkinPackage());
  EXPECT_EQ(OpenedPackage(), "embedded");
  ui::SkinArchive::Close();
  SetEmbeddedSkinPackage(nullptr, 0);
}

}  // namespace
