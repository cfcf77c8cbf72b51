#include "project/Launcher/services/file_md5.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

TEST(FileMd5Test, CheckFileMd5) {
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

TEST(FileMd5Test, FileMd5ReportsAReadErrorAsFailure) {
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

}  // namespace
