#include "platform/files/folder_operations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

TEST(FolderOperationsTest, CreateFoldersReportsWhetherTheFolderExists) {
  TempFolder tmp;
  EXPECT_FALSE(platform::CreateFolders(""));
  EXPECT_TRUE(platform::CreateFolders(tmp.Join("a/b\\c/")));
  EXPECT_TRUE(std::filesystem::is_directory(tmp.Join("a/b/c")));
  EXPECT_TRUE(platform::CreateFolders(tmp.Join("a/b/c")));  // already there

  // A file in the way: the folder cannot exist, and that is reported.
  tmp.Write("file", "x");
  EXPECT_FALSE(platform::CreateFolders(tmp.Join("file/sub")));
  EXPECT_FALSE(platform::CreateFolders(u"/proc/no_such_folder_can_be_made"));

  // Relative to the working folder, "./" itself is skipped.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(tmp.path());
  EXPECT_TRUE(platform::CreateFolders(u".\\update\\predownload"));
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(std::filesystem::is_directory(tmp.Join("update/predownload")));
}

TEST(FolderOperationsTest, DeleteFolderRecursiveRemovesLinksWithoutFollowingThem) {
  TempFolder tmp;
  TempFolder outside;
  outside.Write("keep/me.txt", "precious");
  tmp.Write("tree/a.txt", "a");
  tmp.Write("tree/sub/deeper/b.txt", "b");
  ASSERT_EQ(symlink(outside.Join("keep").c_str(), tmp.Join("tree/sub/link").c_str()), 0);
  chmod(tmp.Join("tree/a.txt").c_str(), 0444);  // read-only files go too

  const std::string tree = tmp.Join("tree");
  platform::DeleteFolderRecursive(std::u16string(tree.begin(), tree.end()));
  EXPECT_FALSE(std::filesystem::exists(tmp.Join("tree")));
  EXPECT_TRUE(std::filesystem::exists(outside.Join("keep/me.txt")));
  platform::DeleteFolderRecursive(tmp.Join("tree"));  // a missing folder is no error
}

TEST(FolderOperationsTest, IsFolder) {
  TempFolder tmp;
  tmp.Write("file", "x");
  EXPECT_TRUE(platform::IsFolder(tmp.path()));
  EXPECT_FALSE(platform::IsFolder(tmp.Join("file")));
  EXPECT_FALSE(platform::IsFolder(u"/no/such/folder"));
  EXPECT_FALSE(platform::IsFolder(""));
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(tmp.path());
  std::filesystem::create_directories("rel/dir");
  EXPECT_TRUE(platform::IsFolder(u"rel/dir"));
  std::filesystem::current_path(cwd);
}

TEST(FolderOperationsTest, ListFilesRecursiveExcludesFoldersAtAnyDepthButNotFiles) {
  TempFolder tmp;
  tmp.Write("a.txt", "a");
  tmp.Write("logs", "a file named like an excluded folder");
  tmp.Write("sub/b.txt", "b");
  tmp.Write("sub/logs/skipped.txt", "x");
  tmp.Write("logs_dir/logs/skipped.txt", "x");
  tmp.Write("sub/deep/c.txt", "c");
  std::filesystem::create_directories(tmp.Join("empty"));

  std::vector<std::string> list = {"already/there"};
  const int32_t count = platform::ListFilesRecursive(tmp.path(), list, {"logs"});
  const std::string base = tmp.path() + "/";
  EXPECT_EQ(count, 5);
  EXPECT_THAT(list, UnorderedElementsAre("already/there", base + "a.txt", base + "logs",
                                         base + "sub/b.txt", base + "sub/deep/c.txt"));
}

TEST(FolderOperationsTest, ListingDoesNotFollowALinkToAFolder) {
  TempFolder tmp;
  TempFolder outside;
  outside.Write("secret.txt", "s");
  tmp.Write("real/file.txt", "f");
  ASSERT_EQ(symlink(outside.path().c_str(), tmp.Join("link").c_str()), 0);
  ASSERT_EQ(symlink(tmp.path().c_str(), tmp.Join("real/loop").c_str()), 0);  // a cycle
  ASSERT_EQ(symlink(tmp.Join("real/file.txt").c_str(), tmp.Join("file_link").c_str()), 0);

  std::vector<std::string> files;
  EXPECT_EQ(platform::ListFilesRecursive(tmp.path(), files, {}), 2);
  EXPECT_THAT(files, UnorderedElementsAre(tmp.Join("real/file.txt"), tmp.Join("file_link")));

  std::vector<std::string> folders = {"stale"};
  EXPECT_EQ(platform::ListSubfolders(tmp.path(), folders), 1);
  EXPECT_THAT(folders, ElementsAre("real"));
}

TEST(FolderOperationsTest, ListingAMissingFolderFails) {
  TempFolder tmp;
  std::vector<std::string> list;
  EXPECT_EQ(platform::ListFilesRecursive(tmp.Join("missing"), list, {}), -1);
  EXPECT_EQ(platform::ListSubfolders(tmp.Join("missing"), list), -1);
}

}  // namespace
