#include "project/Launcher/services/file_utils.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/disk/disk_space.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::ElementsAreArray;

TEST(FileUtilsTest, SplitAtSeparator) {
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

TEST(FileUtilsTest, CreateFoldersReportsWhetherTheFolderExists) {
  TempFolder tmp;
  EXPECT_FALSE(CreateFolders(""));
  EXPECT_TRUE(CreateFolders(tmp.Join("a/b\\c/")));
  EXPECT_TRUE(std::filesystem::is_directory(tmp.Join("a/b/c")));
  EXPECT_TRUE(CreateFolders(tmp.Join("a/b/c")));  // already there

  // A file in the way: the folder cannot exist, and that is reported.
  tmp.Write("file", "x");
  EXPECT_FALSE(CreateFolders(tmp.Join("file/sub")));
  EXPECT_FALSE(CreateFoldersW(u"/proc/no_such_folder_can_be_made"));

  // Relative to the working folder, "./" itself is skipped.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(tmp.path());
  EXPECT_TRUE(CreateFoldersW(u".\\update\\predownload"));
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(std::filesystem::is_directory(tmp.Join("update/predownload")));
}

TEST(FileUtilsTest, DeleteFolderRecursiveRemovesLinksWithoutFollowingThem) {
  TempFolder tmp;
  TempFolder outside;
  outside.Write("keep/me.txt", "precious");
  tmp.Write("tree/a.txt", "a");
  tmp.Write("tree/sub/deeper/b.txt", "b");
  ASSERT_EQ(symlink(outside.Join("keep").c_str(), tmp.Join("tree/sub/link").c_str()), 0);
  chmod(tmp.Join("tree/a.txt").c_str(), 0444);  // read-only files go too

  const std::string tree = tmp.Join("tree");
  DeleteFolderRecursiveW(std::u16string(tree.begin(), tree.end()));
  EXPECT_FALSE(std::filesystem::exists(tmp.Join("tree")));
  EXPECT_TRUE(std::filesystem::exists(outside.Join("keep/me.txt")));
  DeleteFolderRecursive(tmp.Join("tree"));  // a missing folder is no error
}

TEST(FileUtilsTest, IsFolder) {
  TempFolder tmp;
  tmp.Write("file", "x");
  EXPECT_TRUE(IsFolder(tmp.path()));
  EXPECT_FALSE(IsFolder(tmp.Join("file")));
  EXPECT_FALSE(IsFolderW(u"/no/such/folder"));
  EXPECT_FALSE(IsFolder(""));
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(tmp.path());
  std::filesystem::create_directories("rel/dir");
  EXPECT_TRUE(IsFolderW(u"rel/dir"));
  std::filesystem::current_path(cwd);
}

TEST(FileUtilsTest, CheckFileMd5) {
  TempFolder tmp;
  const std::string abc = tmp.Write("abc", "abc");
  const std::string empty = tmp.Write("empty", "");
  std::string md5 = "stale";
  int64_t size = -1;

  EXPECT_TRUE(CheckFileMd5(abc, "900150983cd24fb0d6963f7d28e17f72", md5, size));
  EXPECT_EQ(size, 3);
  EXPECT_FALSE(CheckFileMd5(abc, "900150983CD24FB0D6963F7D28E17F72", md5, size));
  EXPECT_EQ(md5, "900150983cd24fb0d6963f7d28e17f72");  // computed, just not equal
  EXPECT_FALSE(CheckFileMd5(abc, "", md5, size));

  EXPECT_TRUE(CheckFileMd5(empty, "d41d8cd98f00b204e9800998ecf8427e", md5, size));
  EXPECT_EQ(size, 0);

  EXPECT_FALSE(CheckFileMd5(tmp.Join("missing"), "d41d8cd98f00b204e9800998ecf8427e", md5, size));
  EXPECT_EQ(md5, "");
  EXPECT_EQ(size, 0);
}

TEST(FileUtilsTest, FileMd5ReportsAReadErrorAsFailure) {
  // A folder opens as a stream but every read of it fails.
  TempFolder tmp;
  std::ifstream folder(tmp.path(), std::ios::binary);
  ASSERT_TRUE(folder.is_open());
  std::string md5 = "stale";
  int64_t size = 7;
  EXPECT_FALSE(FileMd5(folder, md5, size));
  EXPECT_EQ(md5, "");
  EXPECT_FALSE(folder.is_open());
}

TEST(FileUtilsTest, ReadWholeFileHandle) {
  TempFolder tmp;
  const std::string path = tmp.Write("data", "0123456789");
  uint64_t size = 0;
  auto buffer = ReadWholeFileHandle(open(path.c_str(), O_RDONLY), 10, &size);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.get()), 10), "0123456789");

  size = 0;
  EXPECT_EQ(ReadWholeFileHandle(open(path.c_str(), O_RDONLY), 11, &size), nullptr);  // short
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(ReadWholeFileHandle(-1, 4, nullptr), nullptr);
  // The descriptor is closed in every case.
  int fd = open(path.c_str(), O_RDONLY);
  ReadWholeFileHandle(fd, 100, nullptr);
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
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

TEST(FileUtilsTest, GetPathDriveNamesTheFileSystem) {
  TempFolder tmp;
  const std::u16string a = GetPathDriveW(std::u16string(tmp.path().begin(), tmp.path().end()));
  const std::string missing = tmp.Join("x/y");
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(GetPathDriveW(std::u16string(missing.begin(), missing.end())), a);
  EXPECT_EQ(GetPathDriveW(u"/proc/self"), u"/proc");
  EXPECT_EQ(GetPathDriveW(u"/"), u"/");
}

}  // namespace
