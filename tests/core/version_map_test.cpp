#include "project/Launcher/core/version_map.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace {

constexpr char kMd5A[] = "0123456789abcdef0123456789abcdef";
constexpr char kMd5B[] = "fedcba9876543210fedcba9876543210";

std::string File(const std::string& md5, const std::string& size) {
  return "{\"md5\": \"" + md5 + "\", \"size\": " + size + "}";
}

}  // namespace

TEST(VersionMapTest, BothFormsKeepTheirVersion) {
  VersionMap listForm;
  ASSERT_TRUE(ParseVersionMap(
      std::string(R"({"version": "10077_0_1", "list": {"KVOR.exe": )") + File(kMd5A, "10") + "}}",
      &listForm, nullptr));
  EXPECT_EQ(listForm.size(), 2u);
  EXPECT_EQ(listForm["KVOR.exe"], (VersionEntry{kMd5A, 10}));
  EXPECT_EQ(GetVersionMapVersion(listForm), "10077_0_1");

  VersionMap topForm;
  ASSERT_TRUE(ParseVersionMap(std::string(R"({"version": {"md5": "1.0.0"}, "a/b.txt": )") +
                                  File(kMd5B, "5000000000") + R"(, "list": null})",
                              &topForm, nullptr));
  EXPECT_EQ(GetVersionMapVersion(topForm), "1.0.0");
  EXPECT_EQ(topForm["a/b.txt"].size, 5000000000);  // files of 2 GiB and more

  TempFolder folder;
  folder.Write("map.txt", R"({"version": "10077_0_1", "list": {}})");
  std::string version;
  ReadVersionFromFile(folder.File("map.txt"), &version, "1.0.0");
  EXPECT_EQ(version, "10077_0_1");
  ReadVersionFromFile(folder.File("missing.txt"), &version, "1.0.0");
  EXPECT_EQ(version, "1.0.0");
  folder.Write("odd.txt", R"({"version": 5, "list": {}})");
  ReadVersionFromFile(folder.File("odd.txt"), &version, "1.0.0");
  EXPECT_EQ(version, "1.0.0");
  folder.Write("bare.txt", R"({"version": {"size": 1}})");
  ReadVersionFromFile(folder.File("bare.txt"), &version, "1.0.0");
  EXPECT_EQ(version, "");
}

TEST(VersionMapTest, MalformedMapsAreRefusedWithoutACrash) {
  const std::string good = File(kMd5A, "1");
  const std::string cases[] = {
      "",
      "not json",
      "[]",
      "\"text\"",
      R"({"list": []})",
      R"({"list": "x"})",
      R"({"list": {"a": "text"}})",
      R"({"list": {"a": 5}})",
      R"({"a": ["x"]})",
      R"({"list": {"a": {"md5": 5, "size": 1}}})",
      R"({"list": {"a": {"md5": "abc", "size": 1}}})",
      R"({"list": {"a": {"md5": "0123456789abcdef0123456789abcdeg", "size": 1}}})",
      R"({"list": {"a": {"size": 1}}})",
      R"({"list": {"a": {"md5": "0123456789abcdef0123456789abcdef", "size": -1}}})",
      R"({"list": {"a": {"md5": "0123456789abcdef0123456789abcdef", "size": 1.5}}})",
      R"({"list": {"a": {"md5": "0123456789abcdef0123456789abcdef", "size": "1"}}})",
      R"({"list": {"a": {"md5": "0123456789abcdef0123456789abcdef", "size": 0}}})",
      R"({"list": {"a": {"md5": "0123456789abcdef0123456789abcdef"}}})",
      R"({"list": {"a": {"md5": "0123456789abcdef0123456789abcdef", "size": 18446744073709551615}}})",
      "{\"list\": {\"../x\": " + good + "}}",
      "{\"list\": {\"a/../../x\": " + good + "}}",
      "{\"list\": {\"/etc/passwd\": " + good + "}}",
      "{\"list\": {\"C:/x\": " + good + "}}",
      "{\"list\": {\"C:x\": " + good + "}}",
      "{\"list\": {\"..\\\\x\": " + good + "}}",
      "{\"list\": {\"\\\\\\\\server\\\\x\": " + good + "}}",
      "{\"list\": {\"a\\u0000b\": " + good + "}}",
      "{\"list\": {\"a//b\": " + good + "}}",
      "{\"list\": {\"./a\": " + good + "}}",
      "{\"list\": {\"\": " + good + "}}",
      "{\"list\": {\"a/b\": " + good + ", \"a\\\\b\": " + good + "}}",
      "{\"version\": \"1\", \"list\": {\"version\": " + good + "}}",
      "{\"version\": [\"1\"], \"a\": " + good + "}",
      "{\"version\": {\"md5\": 1}, \"a\": " + good + "}",
      std::string(2000, '[') + std::string(2000, ']'),
  };
  for (const std::string& text : cases) {
    VersionMap map{{"stale", {kMd5A, 1}}};
    std::string error;
    EXPECT_FALSE(ParseVersionMap(text, &map, &error)) << text;
  }
}

TEST(VersionMapTest, AcceptedEntriesAreNormalized) {
  VersionMap map;
  ASSERT_TRUE(ParseVersionMap(
      std::string(R"({"list": {"Dir\\Sub\\f.bin": {"md5": "0123456789ABCDEF0123456789ABCDEF",
      "size": 3}, "empty.txt": {"md5": "d41d8cd98f00b204e9800998ecf8427e", "size": 0}}})"),
      &map, nullptr));
  EXPECT_EQ(map.at("Dir/Sub/f.bin"), (VersionEntry{kMd5A, 3}));
  EXPECT_EQ(map.at("empty.txt").size, 0);
  EXPECT_EQ(GetVersionMapVersion(map), "");
}

TEST(VersionMapTest, DiffFindsChangedAndRemovedFiles) {
  VersionMap local{{"x", {kMd5A, 1}}, {"y", {kMd5B, 2}}, {"version", {"10077_0_1", 0}}};
  VersionMap remote{{"x", {kMd5A, 9}}, {"z", {kMd5B, 3}}, {"version", {"10078_0_1", 0}}};
  VersionMap changed;
  std::vector<std::string> removed;
  DiffVersionMaps(&local, remote, &changed, &removed);
  EXPECT_EQ(changed, (VersionMap{{"z", {kMd5B, 3}}}));
  EXPECT_EQ(removed, (std::vector<std::string>{"y"}));

  VersionMap empty;
  removed.clear();
  DiffVersionMaps(&empty, remote, &changed, &removed);
  EXPECT_EQ(changed, (VersionMap{{"x", {kMd5A, 9}}, {"z", {kMd5B, 3}}}));
  EXPECT_TRUE(removed.empty());

  // A local version the remote map lacks is not a file to delete.
  VersionMap versioned{{"version", {"1", 0}}, {"w", {kMd5A, 1}}};
  removed.clear();
  DiffVersionMaps(&versioned, VersionMap{{"w", {kMd5B, 1}}}, &changed, &removed);
  EXPECT_EQ(changed, (VersionMap{{"w", {kMd5B, 1}}}));
  EXPECT_TRUE(removed.empty());
}

TEST(VersionMapTest, DisplayVersions) {
  struct Case {
    const char* version;
    const char* display;
  } cases[] = {
      {"10077_200_3", "1.0.77.3.200"}, {"10305_12_4", "1.3.5.4.12"},
      {"10000_1_2", "0.100.0.2.1"},    {"1.0.0", "1.0.0"},
      {"1_2", "1_2"},                  {"1_2_3_4", "1_2_3_4"},
      {"2010077_0_1", "2.1.0.77.1.0"}, {"99_1_2", "0.0.99.2.1"},
      {"", ""},                        {"x_y_z", "0.0.0.z.y"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDisplayVersion(c.version), c.display) << c.version;
}

TEST(VersionMapTest, VersionTriplesAreStrictAndRankTheThirdPartAboveTheSecond) {
  VersionTriple a, b;
  ASSERT_TRUE(ParseStrictVersionTriple("1_9_2", &a));
  ASSERT_TRUE(ParseStrictVersionTriple("1_10_1", &b));
  EXPECT_GT(a, b);
  for (const char* bad : {"10078_0_1/../../x", " 1_2_3", "+1_2_3", "1_2_3_", "1_2", "1_2_3_4",
                          "1__3", "1_2_2147483648", "-1_2_3", "1_2_3\n", "a_b_c", ""}) {
    EXPECT_FALSE(IsStrictVersionTriple(bad)) << bad;
  }
  EXPECT_TRUE(IsStrictVersionTriple("10099_0_2147483647"));
}

TEST(VersionMapTest, PreDownloadComparison) {
  struct Case {
    const char* p;
    const char* l;
    const char* r;
    int result;
  } cases[] = {
      {"10100_5_1", "10099_0_3", "", 1},
      {"10099_0_3", "10099_0_3", "", -6},
      {"", "10099_0_3", "", 0},
      {"10100_5_1", "", "", -1},
      {"10100_0_1", "10099_0_1", "10101_0_1", -7},
      {"10100_0_1", "10099_0_1", "10099_0_9", -5},
      {"10100_0_1", "10099_0_1", "10100_0_1", 1},
      {"10100_0_1", "10099_0_1", "10099_0_1", 1},
      {"10098_0_1", "10099_0_1", "10099_0_1", -6},
      {"10100_0_1/../../x", "10099_0_1", "", -2},
      {"10100_0_1", "10099_0_1 ", "", -3},
      {"10100_0_1", "10099_0_1", "latest", -4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComparePreDownloadVersion(c.p, c.l, c.r), c.result)
        << c.p << " / " << c.l << " / " << c.r;
  }
}

TEST(VersionMapTest, IsValidJsonNeedsText) {
  std::string error;
  EXPECT_TRUE(IsValidJson("{}", 2, &error));
  EXPECT_TRUE(error.empty());
  EXPECT_FALSE(IsValidJson("", 0, &error));
  EXPECT_FALSE(IsValidJson("{", 1, &error));
  EXPECT_FALSE(error.empty());
}
