#include "project/Launcher/services/resume_info.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "project/Launcher/services/download_manager.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int64_t kMiB = 1 << 20;
const std::string kMd5 = "0123456789abcdef0123456789abcdef";

TEST(ResumeInfoTest, RoundTripKeepsSixtyFourBitOffsetsAndLeavesNoTemporaryFile) {
  TempFolder dir;
  const std::string file = dir.Join("game/big.pak");
  const int64_t size = 5LL * 1024 * kMiB + 7;  // 5 GiB and a bit
  std::vector<PartInfo> parts = {{0, 100, 32 * kMiB - 1}, {160, 160 * 32 * kMiB + 5, size - 1}};
  ASSERT_TRUE(SaveResumeInfo(file, kMd5, parts));
  EXPECT_FALSE(std::filesystem::exists(ResumeInfoPath(file) + ".tmp"));
  EXPECT_TRUE(HasResumeInfo(file, kMd5));
  EXPECT_FALSE(HasResumeInfo(file, "ffff"));

  std::vector<PartInfo> loaded;
  ASSERT_TRUE(LoadResumeInfo(file, kMd5, size, &loaded));
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[1].index, 160);
  EXPECT_EQ(loaded[1].begin, 160 * 32 * kMiB + 5);
  EXPECT_EQ(loaded[1].end, size - 1);
}

// Every record that cannot be trusted means a fresh start: the record and the
// file are gone and nothing is loaded; nothing throws.
TEST(ResumeInfoTest, UnusableRecordsDeleteFileAndRecord) {
  const int64_t size = 1000;
  const std::string goodMd5 = "\"md5\":\"" + kMd5 + "\"";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"not json", "{\"md5\":"},
      {"array root", "[1,2]"},
      {"other md5", "{\"md5\":\"ffff\",\"infoList\":[{\"index\":0,\"begin\":0,\"end\":9}]}"},
      {"md5 not a string", "{\"md5\":5,\"infoList\":[{\"index\":0,\"begin\":0,\"end\":9}]}"},
      {"list not an array", "{" + goodMd5 + ",\"infoList\":{}}"},
      {"begin a string", "{" + goodMd5 + ",\"infoList\":[{\"index\":0,\"begin\":\"0\",\"end\":9}]}"},
      {"index missing", "{" + goodMd5 + ",\"infoList\":[{\"begin\":0,\"end\":9}]}"},
      {"element not an object", "{" + goodMd5 + ",\"infoList\":[7]}"},
      {"negative begin", "{" + goodMd5 + ",\"infoList\":[{\"index\":0,\"begin\":-5,\"end\":9}]}"},
      {"end past size", "{" + goodMd5 + ",\"infoList\":[{\"index\":0,\"begin\":0,\"end\":1000}]}"},
      {"begin far past end", "{" + goodMd5 + ",\"infoList\":[{\"index\":0,\"begin\":50,\"end\":9}]}"},
      {"real number", "{" + goodMd5 + ",\"infoList\":[{\"index\":0,\"begin\":1.5,\"end\":9}]}"},
      // The JSON reader throws past its nesting limit.
      {"nested too deep", std::string(1001, '[')},
      {"list nested too deep", "{" + goodMd5 + ",\"infoList\":" + std::string(5000, '[') + "}"},
  };
  for (const auto& [name, text] : cases) {
    SCOPED_TRACE(name);
    TempFolder dir;
    const std::string file = dir.Write("f.bin", std::string(size, 'x'));
    dir.Write("f.bin.cfg", text);
    std::vector<PartInfo> loaded = {{1, 2, 3}};
    if (name.find("nested") != std::string::npos) {
      EXPECT_FALSE(HasResumeInfo(file, kMd5));
    }
    EXPECT_FALSE(LoadResumeInfo(file, kMd5, size, &loaded));
    EXPECT_TRUE(loaded.empty());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(file + ".cfg"));
  }
}

TEST(ResumeInfoTest, FinishedPartsAreSkippedAndAllFinishedKeepsTheFile) {
  TempFolder dir;
  const std::string file = dir.Write("f.bin", std::string(100, 'x'));
  ASSERT_TRUE(SaveResumeInfo(file, kMd5, {{0, 50, 49}, {1, 60, 99}}));
  std::vector<PartInfo> loaded;
  ASSERT_TRUE(LoadResumeInfo(file, kMd5, 100, &loaded));
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].index, 1);

  // All bytes written but the digest never checked: the caller checks it.
  ASSERT_TRUE(SaveResumeInfo(file, kMd5, {{0, 50, 49}, {1, 100, 99}}));
  EXPECT_FALSE(LoadResumeInfo(file, kMd5, 100, &loaded));
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_TRUE(std::filesystem::exists(file + ".cfg"));
}

TEST(ResumeInfoTest, MissingRecordDeletesNothing) {
  TempFolder dir;
  const std::string file = dir.Write("f.bin", "abc");
  std::vector<PartInfo> loaded;
  EXPECT_FALSE(LoadResumeInfo(file, kMd5, 3, &loaded));
  EXPECT_TRUE(std::filesystem::exists(file));
}

TEST(ResumeInfoTest, DivisionIntoParts) {
  const int64_t p = 32 * kMiB;
  EXPECT_EQ(DivideIntoParts(p, p).size(), 1u);
  auto two = DivideIntoParts(p + 1, p);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1].begin, p);
  EXPECT_EQ(two[1].end, p);
  auto big = DivideIntoParts(3LL * 1024 * kMiB, p);  // 3 GiB: offsets past 2^31
  ASSERT_EQ(big.size(), 96u);
  EXPECT_EQ(big[95].index, 95);
  EXPECT_EQ(big[95].begin, 95 * p);
  EXPECT_EQ(big[95].end, 3LL * 1024 * kMiB - 1);
}

TEST(JoinUrlTest, AddsExactlyTheMissingSeparator) {
  EXPECT_EQ(JoinUrl("", "a/b"), "a/b");
  EXPECT_EQ(JoinUrl("http://h/x/", "a"), "http://h/x/a");
  EXPECT_EQ(JoinUrl("http://h/x", "a"), "http://h/x/a");
  EXPECT_EQ(JoinUrl("http://h/", "/a"), "http://h//a");
  EXPECT_EQ(JoinUrl("version_map.txt", ""), "version_map.txt/");
}

}  // namespace
