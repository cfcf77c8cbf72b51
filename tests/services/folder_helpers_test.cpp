#include "project/Launcher/services/folder_helpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/support/temp_folder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

TEST(FolderHelpersTest, FixedFolders) {
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

TEST(FolderHelpersTest, NormalizePath) {
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

TEST(FolderHelpersTest, SplitPath) {
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

TEST(FolderHelpersTest, ListFilesRecursiveExcludesFoldersAtAnyDepthButNotFiles) {
  TempFolder tmp;
  tmp.Write("a.txt", "a");
  tmp.Write("logs", "a file named like an excluded folder");
  tmp.Write("sub/b.txt", "b");
  tmp.Write("sub/logs/skipped.txt", "x");
  tmp.Write("logs_dir/logs/skipped.txt", "x");
  tmp.Write("sub/deep/c.txt", "c");
  std::filesystem::create_directories(tmp.Join("empty"));

  std::vector<std::string> list = {"already/there"};
  const int32_t count = ListFilesRecursive(tmp.path(), list, {"logs"});
  const std::string base = tmp.path() + "/";
  EXPECT_EQ(count, 5);
  EXPECT_THAT(list, UnorderedElementsAre("already/there", base + "a.txt", base + "logs",
                                         base + "sub/b.txt", base + "sub/deep/c.txt"));
}

TEST(FolderHelpersTest, ListingDoesNotFollowALinkToAFolder) {
  TempFolder tmp;
  TempFolder outside;
  outside.Write("secret.txt", "s");
  tmp.Write("real/file.txt", "f");
  ASSERT_EQ(symlink(outside.path().c_str(), tmp.Join("link").c_str()), 0);
  ASSERT_EQ(symlink(tmp.path().c_str(), tmp.Join("real/loop").c_str()), 0);  // a cycle
  ASSERT_EQ(symlink(tmp.Join("real/file.txt").c_str(), tmp.Join("file_link").c_str()), 0);

  std::vector<std::string> files;
  EXPECT_EQ(ListFilesRecursive(tmp.path(), files, {}), 2);
  EXPECT_THAT(files, UnorderedElementsAre(tmp.Join("real/file.txt"), tmp.Join("file_link")));

  std::vector<std::string> folders = {"stale"};
  EXPECT_EQ(ListSubfolders(tmp.path(), folders), 1);
  EXPECT_THAT(folders, ElementsAre("real"));
}

TEST(FolderHelpersTest, ListingAMissingFolderFails) {
  TempFolder tmp;
  std::vector<std::string> list;
  EXPECT_EQ(ListFilesRecursive(tmp.Join("missing"), list, {}), -1);
  EXPECT_EQ(ListSubfolders(tmp.Join("missing"), list), -1);
}

TEST(FolderHelpersTest, WriteAndReadWholeFiles) {
  TempFolder tmp;
  const std::string path = tmp.Join("data.bin");
  std::string bytes("with\0zero\r\nand more", 19);
  ASSERT_TRUE(WriteStringToFile(path, "old content that is longer"));
  ASSERT_TRUE(WriteStringToFile(path, bytes));
  std::string read;
  ASSERT_TRUE(ReadFileToString(path, read));
  EXPECT_EQ(read, bytes);
  std::string wide_read;
  ASSERT_TRUE(ReadFileToStringW(std::u16string(path.begin(), path.end()), wide_read));
  EXPECT_EQ(wide_read, bytes);
  // Only the file itself is left: the temporary file was renamed over it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()),
                          std::filesystem::directory_iterator()),
            1);

  std::string unchanged = "unchanged";
  EXPECT_FALSE(ReadFileToString(tmp.Join("missing"), unchanged));
  EXPECT_EQ(unchanged, "unchanged");
  EXPECT_FALSE(WriteStringToFile(tmp.Join("no/such/folder/file"), bytes));
  EXPECT_FALSE(std::filesystem::exists(tmp.Join("no")));
}

TEST(FolderHelpersTest, ReadStreamToStringReadsFromThePosition) {
  std::istringstream in("skip:rest");
  in.seekg(5);
  std::string out;
  ASSERT_TRUE(ReadStreamToString(in, out));
  EXPECT_EQ(out, "rest");
}

}  // namespace
