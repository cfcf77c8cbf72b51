#include "base/util/path_util.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "base/util/string_util.h"

namespace kbase {
namespace {

namespace fs = std::filesystem;

TEST(SplitPathTest, SplitsAtEitherSeparator) {
  struct Case {
    std::u16string path;
    std::vector<std::u16string> components;
  } cases[] = {
      {u"", {}},
      {u"C:/a\\b", {u"C:/", u"a/", u"b"}},
      {u"/tmp//x\\\\y/", {u"/", u"tmp/", u"x/", u"y/"}},
      {u"name", {u"name"}},
  };
  for (const Case& c : cases) {
    std::vector<std::u16string> components = {u"stale"};
    EXPECT_TRUE(SplitPath(c.path, &components));
    EXPECT_EQ(c.components, components) << UTF16ToUTF8(c.path);
  }
}

class CreateDirectoryRecursiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kbase_dirXXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(pattern.data()));
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  std::u16string Path(const std::string& relative) const {
    return UTF8ToUTF16(root_.string() + "/" + relative);
  }

  fs::path root_;
};

TEST_F(CreateDirectoryRecursiveTest, CreatesEveryMissingParent) {
  EXPECT_TRUE(CreateDirectoryRecursive(Path("a/b/c")));
  EXPECT_TRUE(fs::is_directory(root_ / "a/b/c"));
  // An existing folder is accepted as it is.
  EXPECT_TRUE(CreateDirectoryRecursive(Path("a/b")));
  EXPECT_TRUE(CreateDirectoryRecursive(Path("a/b/c/")));
}

TEST_F(CreateDirectoryRecursiveTest, BackslashesCreateTheSameFolders) {
  EXPECT_TRUE(CreateDirectoryRecursive(Path("x\\y\\z")));
  EXPECT_TRUE(fs::is_directory(root_ / "x/y/z"));
  EXPECT_FALSE(fs::exists(root_ / "x\\y\\z"));
}

TEST_F(CreateDirectoryRecursiveTest, FileInTheMiddleStopsTheWalk) {
  std::ofstream(root_ / "file") << "content";
  EXPECT_FALSE(CreateDirectoryRecursive(Path("file/below/deeper")));
  EXPECT_TRUE(fs::is_regular_file(root_ / "file"));
  // And a file at the end of the path is no folder either.
  EXPECT_FALSE(CreateDirectoryRecursive(Path("file")));
}

TEST_F(CreateDirectoryRecursiveTest, LongPathsAreNotTruncated) {
  std::string relative;
  for (int i = 0; i < 40; ++i)
    relative += "component_" + std::to_string(i) + "/";
  ASSERT_GT(relative.size(), 260u);
  EXPECT_TRUE(CreateDirectoryRecursive(Path(relative)));
  EXPECT_TRUE(fs::is_directory(root_ / relative));
}

TEST_F(CreateDirectoryRecursiveTest, EmptyPathFails) {
  EXPECT_FALSE(CreateDirectoryRecursive(u""));
}

}  // namespace
}  // namespace kbase
