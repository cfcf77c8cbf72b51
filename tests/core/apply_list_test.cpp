#include "project/Launcher/core/apply_list.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

TEST(ApplyListTest, WrittenListHasTheCommonStyleAndReadsBack) {
  TempFolder folder;
  ApplyList list{"10078_0_1", {"KVOR.exe", "KVOR_Data/a.bin"}};
  ASSERT_TRUE(WriteApplyList(folder.File("apply_list.txt"), list));
  EXPECT_EQ(folder.Read("apply_list.txt"),
            "{\n"
            "\t\"fileList\" : \n"
            "\t[\n"
            "\t\t\"KVOR.exe\",\n"
            "\t\t\"KVOR_Data/a.bin\"\n"
            "\t],\n"
            "\t\"version\" : \"10078_0_1\"\n"
            "}");
  EXPECT_FALSE(folder.Exists("apply_list.txt.tmp"));
  ApplyList read;
  ASSERT_TRUE(ReadApplyList(folder.File("apply_list.txt"), &read));
  EXPECT_EQ(read, list);
}

TEST(ApplyListTest, NothingToWriteLeavesTheOldFile) {
  TempFolder folder;
  folder.Write("apply_list.txt", "old");
  EXPECT_FALSE(WriteApplyList(folder.File("apply_list.txt"), ApplyList{"10078_0_1", {}}));
  EXPECT_FALSE(WriteApplyList(folder.File("apply_list.txt"), ApplyList{"", {"a"}}));
  EXPECT_EQ(folder.Read("apply_list.txt"), "old");
}

TEST(ApplyListTest, ReadingTakesWhatIsWellTyped) {
  TempFolder folder;
  struct Case {
    const char* json;
    bool result;
    ApplyList expected;
  } cases[] = {
      {R"({"version": "v", "fileList": ["a", 1, {"x": 1}, ["b"], null]})", true, {"v", {"a", "1"}}},
      {R"({"version": "v", "fileList": "a"})", false, {"v", {"keep"}}},
      {R"({"version": 3, "fileList": ["a"]})", false, {"", {"keep"}}},
      {R"(["version"])", false, {"", {"keep"}}},
      {"garbage", false, {"", {"keep"}}},
  };
  for (const Case& c : cases) {
    folder.Write("list.txt", c.json);
    ApplyList list{"", {"keep"}};
    EXPECT_EQ(ReadApplyList(folder.File("list.txt"), &list), c.result) << c.json;
    EXPECT_EQ(list, c.expected) << c.json;
  }
  ApplyList list;
  EXPECT_FALSE(ReadApplyList(folder.File("missing.txt"), &list));
}
