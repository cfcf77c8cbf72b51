#include "project/Launcher/services/relative_name.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(RelativeNameTest, OnlyNamesThatStayInsideTheirFolderAreSafe) {
  for (const char* good : {"a", "a/b.txt", "KVOR_Data/Resources/unity default resources",
                           "a\\b", "..a", "a..", "a/.b"}) {
    EXPECT_TRUE(IsSafeRelativeName(good)) << good;
  }
  for (const char* bad : {"", "/a", "\\a", "a/", "../a", "a/../b", "a/..", ".", "C:\\a", "a:b",
                          "a//b", "a/./b", "a\\..\\..\\b", "..\\a"}) {
    EXPECT_FALSE(IsSafeRelativeName(bad)) << bad;
  }
  EXPECT_FALSE(IsSafeRelativeName(std::string_view("a\0b", 3)));
}

TEST(RelativeNameTest, ABareFileNameHasNoSeparator) {
  for (const char* good : {"font.ttf", "..a", "a b.otf"}) {
    EXPECT_TRUE(IsBareFileName(good)) << good;
  }
  for (const char* bad : {"", "a/b", "a\\b", "..", ".", "C:x", "/a"}) {
    EXPECT_FALSE(IsBareFileName(bad)) << bad;
  }
}

}  // namespace
