#include "project/Launcher/services/launcher_paths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/disk/disk_space.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::ElementsAreArray;

TEST(LauncherPathsTest, FixedFolders) {
  EXPECT_EQ(SaveFolder(), "./save");
  EXPECT_EQ(SaveFolderW(), u"./save");
  EXPECT_EQ(UpdateFolderW(), u"./update");
  EXPECT_EQ(ExceptionFolderW(), u"./exception");
  EXPECT_EQ(PreDownloadFolder(), "./update/predownload");
  EXPECT_EQ(&SaveFolder(), &SaveFolder());  // built once

  // Beside the program: the folder of this test executable.
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
  std::string program_folder(self);
  program_folder.erase(program_folder.rfind('/') + 1);
  EXPECT_EQ(DefaultGameFolderW(),
            std::u16string(program_folder.begin(), program_folder.end()) + u"Valdrenth Game");
}

TEST(LauncherPathsTest, NormalizePath) {
  struct Case {
    std::string in;
    bool trailing;
    std::string out;
  } cases[] = {
      {"a/b/c/", false, "a/b/c"},
      {"a/b/c/", true, "a/b/c/"},
      {"a\\b\\c\\\\", false, "a/b/c"},
      {"a\\b\\c", true, "a/b/c/"},
      {"a/b//", true, "a/b//"},
      {"", true, "/"},
      {"", false, ""},
      {"///", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalizePath(c.in, c.trailing), c.out) << c.in << " " << c.trailing;
    std::u16string wide(c.in.begin(), c.in.end());
    std::u16string expected(c.out.begin(), c.out.end());
    EXPECT_EQ(NormalizePathW(wide, c.trailing), expected) << c.in;
  }
  // Text beyond 260 characters is kept whole.
  std::string long_path(1000, 'x');
  EXPECT_EQ(NormalizePath(long_path + "\\", false), long_path);
}

TEST(LauncherPathsTest, SplitPath) {
  struct Case {
    std::string in;
    bool ok;
    std::string folder;
    std::string name;
  } cases[] = {
      {"file.txt", false, "keep", "keep"},
      {"/file.txt", false, "keep", "keep"},
      {"\\file.txt", false, "keep", "keep"},
      {"", false, "keep", "keep"},
      {"a/b/c.txt", true, "a/b", "c.txt"},
      {"a\\b/c.txt", true, "a/b", "c.txt"},
      {"/a/c.txt", true, "/a", "c.txt"},
      {"a/b/", true, "a/b", ""},
  };
  for (const Case& c : cases) {
    std::string folder = "keep", name = "keep";
    EXPECT_EQ(SplitPath(c.in, folder, name), c.ok) << c.in;
    EXPECT_EQ(folder, c.folder) << c.in;
    EXPECT_EQ(name, c.name) << c.in;
    std::u16string wfolder = u"keep", wname = u"keep";
    EXPECT_EQ(SplitPathW(std::u16string(c.in.begin(), c.in.end()), wfolder, wname), c.ok);
    EXPECT_EQ(wfolder, std::u16string(c.folder.begin(), c.folder.end())) << c.in;
    EXPECT_EQ(wname, std::u16string(c.name.begin(), c.name.end())) << c.in;
  }
}

TEST(LauncherPathsTest, SplitAtSeparator) {
  struct Case {
    std::string text;
    std::string separator;
    std::vector<std::string> pieces;
  } cases[] = {
      {"a__b_", "_", {"a", "", "b"}},
      {"_a", "_", {"", "a"}},
      {"abc", "_", {"abc"}},
      {"", "_", {}},
      {"abc", "", {}},
      {"_", "_", {""}},
      {"1::2::3", "::", {"1", "2", "3"}},
      {"10085_2_7", "_", {"10085", "2", "7"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> list = {"stale"};
    EXPECT_EQ(SplitAtSeparator(c.text, c.separator, list), c.pieces.size()) << c.text;
    EXPECT_THAT(list, ElementsAreArray(c.pieces)) << c.text;

    std::vector<std::u16string> wide = {u"stale"};
    std::vector<std::u16string> expected;
    for (const auto& p : c.pieces) expected.emplace_back(p.begin(), p.end());
    EXPECT_EQ(SplitAtSeparatorW(std::u16string(c.text.begin(), c.text.end()),
                                std::u16string(c.separator.begin(), c.separator.end()), wide),
              expected.size());
    EXPECT_THAT(wide, ElementsAreArray(expected)) << c.text;
  }
}

class DriveSpaceTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::SetDiskSpaceQueryForTesting(nullptr); }
};

TEST_F(DriveSpaceTest, GoesThroughTheDiskSpaceQuery) {
  std::string asked;
  platform::SetDiskSpaceQueryForTesting([&](const std::string& path, platform::DiskSpace* out) {
    asked = path;
    if (path.find("fail") != std::string::npos) return false;
    out->total = 5000000000ull;
    out->available = 4000000000ull;
    return true;
  });
  uint64_t total = 1, available = 2;
  ASSERT_TRUE(GetDriveSpaceW(u"D:\\Games\\Valdrenth", total, available));
  EXPECT_EQ(asked, "D:/Games/Valdrenth/");
  EXPECT_EQ(total, 5000000000ull);
  EXPECT_EQ(available, 4000000000ull);

  total = 1;
  available = 2;
  EXPECT_FALSE(GetDriveSpace("/fail", total, available));
  EXPECT_FALSE(GetDriveSpace("", total, available));
  EXPECT_EQ(total, 1u);
  EXPECT_EQ(available, 2u);
}

TEST_F(DriveSpaceTest, AFolderNotYetMadeReportsItsFileSystem) {
  TempFolder tmp;
  uint64_t total = 0, available = 0;
  ASSERT_TRUE(GetDriveSpace(tmp.path(), total, available));
  EXPECT_GT(total, 0u);
  EXPECT_LE(available, total);
  uint64_t deep_total = 0, deep_available = 0;
  ASSERT_TRUE(GetDriveSpace(tmp.Join("not/yet/made"), deep_total, deep_available));
  EXPECT_EQ(deep_total, total);
  EXPECT_EQ(platform::NearestExistingFolder(tmp.Join("not/yet/made")), tmp.path());
}

TEST(LauncherPathsTest, GetPathDriveNamesTheFileSystem) {
  TempFolder tmp;
  const std::u16string a = GetPathDriveW(std::u16string(tmp.path().begin(), tmp.path().end()));
  const std::string missing = tmp.Join("x/y");
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(GetPathDriveW(std::u16string(missing.begin(), missing.end())), a);
  EXPECT_EQ(GetPathDriveW(u"/proc/self"), u"/proc");
  EXPECT_EQ(GetPathDriveW(u"/"), u"/");
}

}  // namespace
