// The update states' helpers: the gate and patch URLs and the take-over of
// pre-downloaded files.

#include <gtest/gtest.h>

#include <filesystem>

#include "project/Launcher/core/flow/download_files_state.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/flow/update_flow.h"
#include "project/Launcher/services/resume_info.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(GateUrlTest, KeyAndDeviceTravelWithoutWhiteSpaceAndPercentEncoded) {
  struct Case {
    std::string gateKey, localVersion, deviceId;
    bool qa;
    std::string expected;
  };
  const Case cases[] = {
      {"", "10077_0_1", "dev1", false, "get/urls?key=WIN10KOREA_10077_0_1&udid=dev1"},
      {"", "", "dev1", false, "get/urls?key=WIN10KOREA_&udid=dev1"},
      {" K E Y\t", "10077_0_1", "d e\nv", true, "get/urls?key=KEY&udid=dev&is_qa=true"},
      {"a&udid=evil", "", "x#y/z", false, "get/urls?key=a%26udid%3Devil&udid=x%23y%2Fz"},
  };
  for (const Case& c : cases) {
    LauncherStore store;
    store.gateConfig.GateKey = c.gateKey;
    store.gateConfig.QaGate = c.qa;
    store.localGameVersion = c.localVersion;
    EXPECT_EQ(BuildGateUrl(store, c.deviceId), c.expected) << c.gateKey;
  }
}

TEST(PatchUrlTest, FolderOfTheFlowsCurrentVersion) {
  LauncherStore store;
  store.localGameVersion = "10077_0_1";
  store.launcherVersion = "1.0.0";
  EXPECT_EQ(MakePatchUrl(store, kGameFlow, "KVOR.exe.patch"), "patchs/10077_0_1/KVOR.exe.patch");
  EXPECT_EQ(MakePatchUrl(store, kLauncherFlow, "patch_list.txt"), "patchs/1_0_0/patch_list.txt");
  store.launcherVersion.clear();
  EXPECT_EQ(MakePatchUrl(store, kLauncherFlow, "a"), "patchs//a");
}

class TakePreDownloadedFileTest : public ::testing::Test {
 protected:
  static constexpr char kMd5[] = "5d41402abc4b2a76b9719d911017c592";  // "hello"
  std::string Pre() const { return tmp_.File("pre/"); }
  std::string Update() const { return tmp_.File("update/"); }
  TempFolder tmp_;
};

TEST_F(TakePreDownloadedFileTest, CompleteCopyIsCopiedOnlyWithTheRightDigest) {
  tmp_.Write(std::string("pre/") + kMd5, "hello");
  EXPECT_TRUE(TakePreDownloadedFile(Pre(), Update(), "Data/a.bin", kMd5));
  EXPECT_EQ(tmp_.Read("update/Data/a.bin"), "hello");
  EXPECT_TRUE(tmp_.Exists(std::string("pre/") + kMd5)) << "the pre-download keeps its copy";

  // A damaged copy is not taken: the file is fetched instead.
  tmp_.Write(std::string("pre/") + kMd5, "hellO");
  EXPECT_FALSE(TakePreDownloadedFile(Pre(), Update(), "Data/b.bin", kMd5));
  EXPECT_FALSE(tmp_.Exists("update/Data/b.bin"));
}

TEST_F(TakePreDownloadedFileTest, IncompleteCopyMovesWithItsRecord) {
  tmp_.Write(std::string("pre/") + kMd5, "he");
  ASSERT_TRUE(SaveResumeInfo(Pre() + kMd5, kMd5, {{0, 2, 4}}));
  EXPECT_FALSE(TakePreDownloadedFile(Pre(), Update(), "c.bin", kMd5));
  EXPECT_EQ(tmp_.Read("update/c.bin"), "he");
  EXPECT_TRUE(HasResumeInfo(Update() + "c.bin", kMd5));
  EXPECT_FALSE(tmp_.Exists(std::string("pre/") + kMd5));
}

TEST_F(TakePreDownloadedFileTest, TargetsOfTheirOwnAndUnsafeNamesAreLeftAlone) {
  tmp_.Write(std::string("pre/") + kMd5, "hello");
  tmp_.Write("update/own.bin", "mine");
  EXPECT_FALSE(TakePreDownloadedFile(Pre(), Update(), "own.bin", kMd5));
  EXPECT_EQ(tmp_.Read("update/own.bin"), "mine");
  // A target in download for another digest gives way to the complete copy.
  tmp_.Write("update/stale.bin", "xx");
  ASSERT_TRUE(SaveResumeInfo(Update() + "stale.bin", "00000000000000000000000000000000", {{0, 0, 4}}));
  EXPECT_TRUE(TakePreDownloadedFile(Pre(), Update(), "stale.bin", kMd5));
  EXPECT_EQ(tmp_.Read("update/stale.bin"), "hello");
  EXPECT_FALSE(tmp_.Exists("update/stale.bin.cfg"));
  for (const char* name : {"../escape.bin", "/abs.bin", "a/../../b"}) {
    EXPECT_FALSE(TakePreDownloadedFile(Pre(), Update(), name, kMd5)) << name;
  }
  EXPECT_FALSE(TakePreDownloadedFile(Pre(), Update(), "x.bin", "../../etc/passwd"));
  EXPECT_FALSE(std::filesystem::exists(tmp_.File("escape.bin")));
}

}  // namespace
