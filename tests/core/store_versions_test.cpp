// The launcher store's versions, pre-download folders and disk checks.

#include <gtest/gtest.h>

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/launcher_paths.h"
#include "tests/core/store_fixture.h"

namespace {

constexpr char kMd5[] = "0123456789abcdef0123456789abcdef";

std::string MapText(const std::string& version) {
  return "{\"version\": \"" + version + "\", \"list\": {\"KVOR.exe\": {\"md5\": \"" + kMd5 +
         "\", \"size\": 4}}}";
}

}  // namespace

TEST(StoreVersionsTest, GameAndLauncherVersions) {
  ScopedStoreFolder scope;
  LauncherStore& store = scope.store;
  store.settings.gamePath = ScopedStoreFolder::U16(scope.folder.File("game"));
  store.ReloadLauncherVersion();
  EXPECT_EQ(store.launcherVersion, "1.0.0");
  store.ReloadGameVersion();
  EXPECT_EQ(store.localGameVersion, "");
  EXPECT_EQ(store.displayGameVersion, "");
  EXPECT_FALSE(store.IsGameUpdateAvailable());

  scope.folder.Write("prog/launcher_version_map.txt", R"({"version": {"md5": "1.2.0"}})");
  scope.folder.Write("game/version_map.txt", MapText("10077_200_3"));
  store.ReloadLauncherVersion();
  store.ReloadGameVersion();
  EXPECT_EQ(store.launcherVersion, "1.2.0");
  EXPECT_EQ(store.localGameVersion, "10077_200_3");
  EXPECT_EQ(store.remoteGameVersion, "10077_200_3");
  EXPECT_EQ(store.displayGameVersion, "1.0.77.3.200");
  EXPECT_FALSE(store.IsGameUpdateAvailable());
  store.remoteGameVersion = "10078_0_1";
  EXPECT_TRUE(store.IsGameUpdateAvailable());

  ASSERT_TRUE(store.LoadLocalGameVersionMap());
  EXPECT_EQ(GetVersionMapVersion(store.versionMaps["_local_game_version_"]), "10077_200_3");
  EXPECT_FALSE(store.HasUnfinishedGameUpdate());
  scope.folder.Write("game/tmp_version_map.txt", "{}");
  EXPECT_TRUE(store.HasUnfinishedGameUpdate());

  store.versionMaps["_remote_game_version_"]["a"] = VersionEntry{kMd5, 1};
  store.ResetAllVersionMaps();
  EXPECT_EQ(store.versionMaps.size(), kVersionMapSlots.size());
  for (const auto& [slot, map] : store.versionMaps) EXPECT_TRUE(map.empty()) << slot;
}

TEST(StoreVersionsTest, PruningDeletesOnlyOldTriples) {
  ScopedStoreFolder scope;
  LauncherStore& store = scope.store;
  for (const char* name : {"10099_0_1", "10100_0_1", "temp", "10098_5_0"}) {
    scope.folder.Write(std::string("update/predownload/") + name + "/f.bin", "x");
  }
  store.ReloadPreDownloadFolders();
  EXPECT_EQ(store.preDownloadFolders.size(), 4u);

  store.localGameVersion = "";
  EXPECT_EQ(store.PrunePreDownloadFolders(), -1);
  store.localGameVersion = "10099_0_1/../..";
  EXPECT_EQ(store.PrunePreDownloadFolders(), -2);

  store.localGameVersion = "10099_0_1";
  EXPECT_EQ(store.PrunePreDownloadFolders(), 1);
  EXPECT_EQ(store.preDownloadFolders, (std::vector<std::string>{"10100_0_1"}));
  EXPECT_FALSE(scope.folder.Exists("update/predownload/10099_0_1"));
  EXPECT_FALSE(scope.folder.Exists("update/predownload/10098_5_0"));
  EXPECT_TRUE(scope.folder.Exists("update/predownload/10100_0_1/f.bin"));
  EXPECT_TRUE(scope.folder.Exists("update/predownload/temp/f.bin"));

  store.preDownloadFolders.clear();
  EXPECT_EQ(store.PrunePreDownloadFolders(), 0);
}

TEST(StoreVersionsTest, CompletePreDownloads) {
  ScopedStoreFolder scope;
  LauncherStore& store = scope.store;
  EXPECT_EQ(store.CheckPreDownloadMap(), -1);

  scope.folder.Write("update/predownload/10100_0_1/predownload_version_map.txt",
                     MapText("10100_0_1"));
  store.preDownloadVersion = "10100_0_1";
  EXPECT_EQ(store.CheckPreDownloadMap(), 1);  // not listed yet
  store.ReloadPreDownloadFolders();
  EXPECT_EQ(store.CheckPreDownloadMap(), 0);
  EXPECT_EQ(store.versionMaps["_local_predownload_version_"].count("KVOR.exe"), 1u);

  scope.folder.Write("update/predownload/10100_0_1/predownload_version_map.txt",
                     MapText("10100_0_2"));
  EXPECT_EQ(store.CheckPreDownloadMap(), 1);
  scope.folder.Write("update/predownload/10100_0_1/predownload_version_map.txt",
                     R"({"list": {"../../escape": {"md5": "0123456789abcdef0123456789abcdef", "size": 1}}})");
  EXPECT_EQ(store.CheckPreDownloadMap(), 1);

  EXPECT_FALSE(store.HasUnfinishedPreDownload());
  scope.folder.Write("update/predownload/10100_0_1/tmp_predownload_version_map.txt", "{}");
  EXPECT_TRUE(store.HasUnfinishedPreDownload());

  // A version that is not a strict triple never names a folder.
  scope.folder.Write("update/predownload/x/tmp_predownload_version_map.txt", "{}");
  store.preDownloadVersion = "10100_0_1/../x";
  EXPECT_FALSE(store.HasUnfinishedPreDownload());
  EXPECT_EQ(store.CheckPreDownloadMap(), 1);
  EXPECT_EQ(store.PreDownloadVersionFolder(store.preDownloadVersion), "");
}

namespace {

// Disk figures by path prefix, and every message box the store asks for.
class DiskCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gameFolder_ = scope_.folder.File("game");
    std::filesystem::create_directories(gameFolder_);
    scope_.store.settings.gamePath = ScopedStoreFolder::U16(gameFolder_);
    platform::SetDiskSpaceQueryForTesting([this](const std::string& path, platform::DiskSpace* out) {
      const std::optional<uint64_t>& figure =
          path.rfind(gameFolder_, 0) == 0 ? gameAvailable_ : programAvailable_;
      if (!figure) return false;
      out->total = *figure * 2;
      out->available = *figure;
      return true;
    });
    StoreHooks hooks;
    hooks.languageText = [](const std::string& key) -> std::u16string {
      if (key == "STRING_ERROR_NEED_DISKSPACE") return u"Not enough disk space. %ls needed. %d %n";
      if (key == "STRING_ERROR_NEED_DISKSPACE_R") {
        return u"You do not have {p2} of available space on disk(s) {p1}. Insufficient space "
               u"may cause the game to not work properly. Continue downloading?";
      }
      return u"";
    };
    hooks.showMessageBox = [this](MessageBoxRequest request) {
      shown_.push_back(std::move(request));
    };
    hooks.requestMessageBox = [this](MessageBoxRequest request) {
      requested_.push_back(std::move(request));
    };
    scope_.store.SetHooks(hooks);
  }

  ScopedStoreFolder scope_;
  std::string gameFolder_;
  std::optional<uint64_t> gameAvailable_ = kRequiredDiskSpace;
  std::optional<uint64_t> programAvailable_ = kRequiredDiskSpace;
  std::vector<MessageBoxRequest> shown_;
  std::vector<MessageBoxRequest> requested_;
};

}  // namespace

TEST_F(DiskCheckTest, ExactlyTheThresholdPassesOneByteLessFails) {
  struct Case {
    uint64_t game, program;
    bool result;
  } cases[] = {
      {kRequiredDiskSpace, kRequiredDiskSpace, true},
      {kRequiredDiskSpace - 1, kRequiredDiskSpace, false},
      {kRequiredDiskSpace, kRequiredDiskSpace - 1, false},
      {uint64_t{5} << 30, uint64_t{3} << 30, false},
  };
  for (const Case& c : cases) {
    gameAvailable_ = c.game;
    programAvailable_ = c.program;
    requested_.clear();
    EXPECT_EQ(scope_.store.CheckInstallDiskSpace(nullptr), c.result) << c.game << " " << c.program;
    EXPECT_EQ(requested_.size(), c.result ? 0u : 1u);
    EXPECT_TRUE(shown_.empty());
  }
  ASSERT_EQ(requested_.size(), 1u);
  EXPECT_EQ(requested_[0].titleKey, "STRING_ERROR_NOTICE");
  EXPECT_EQ(requested_[0].contentText, u"Not enough disk space.  4.00G needed. %d %n");
  EXPECT_EQ(requested_[0].firstButtonKey, "");
  EXPECT_EQ(requested_[0].secondButtonKey, "STRING_CONFIRM");
}

TEST_F(DiskCheckTest, UpdateQuestionNamesTheShortDriveAndPassesTheAnswerOn) {
  gameAvailable_ = uint64_t{5} << 30;
  programAvailable_ = uint64_t{3} << 30;
  int32_t answer = -1;
  EXPECT_FALSE(scope_.store.CheckUpdateDiskSpace([&answer](int32_t result) { answer = result; }));
  ASSERT_EQ(requested_.size(), 1u);
  std::u16string drive = GetPathDriveW(ScopedStoreFolder::U16(scope_.ProgramPath()));
  ASSERT_FALSE(drive.empty());
  EXPECT_EQ(requested_[0].contentText,
            u"You do not have  4.00G of available space on disk(s) " + drive +
                u". Insufficient space may cause the game to not work properly. Continue "
                u"downloading?");
  EXPECT_EQ(requested_[0].firstButtonKey, "STRING_CANCEL");
  EXPECT_EQ(requested_[0].secondButtonKey, "STRING_DOWNLOAD_CONTINUE");
  requested_[0].continuation(1);
  EXPECT_EQ(answer, 1);
}

TEST_F(DiskCheckTest, AnUnreadableDriveIsToldAndDoesNotBlock) {
  gameAvailable_.reset();
  programAvailable_ = kRequiredDiskSpace - 1;
  EXPECT_FALSE(scope_.store.CheckInstallDiskSpace(nullptr));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].contentKey, "STRING_ERROR_INVALID_DISKSPACE");
  EXPECT_EQ(shown_[0].secondButtonKey, "STRING_CONFIRM");
  EXPECT_FALSE(shown_[0].continuation);
  EXPECT_EQ(requested_.size(), 1u);  // the program's drive was still checked

  programAvailable_.reset();
  shown_.clear();
  EXPECT_TRUE(scope_.store.CheckUpdateDiskSpace(nullptr));
  EXPECT_EQ(shown_.size(), 2u);
}

// Neither "continue" (1) nor a chosen "cancel" (0): the caller hears that
// no box could be shown.
TEST_F(DiskCheckTest, WithoutADialogTheQuestionIsAnsweredNotShown) {
  scope_.store.SetHooks(StoreHooks{});
  gameAvailable_ = 0;
  int32_t answer = 1;
  EXPECT_FALSE(scope_.store.CheckUpdateDiskSpace([&answer](int32_t result) { answer = result; }));
  EXPECT_EQ(answer, kBoxNotShown);
}
