// Every reader of a JSON document of the launcher (version maps, apply
// lists, string lists, gate and settings documents) takes a document nested
// past the JSON reader's limit as a failed read, never as an exception that
// ends the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/Launcher/core/apply_list.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/json_helpers.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::string> DeepDocuments() {
  std::string objects;
  for (int i = 0; i < 1001; ++i) objects += "{\"list\":";
  return {std::string(1001, '['), objects,
          "{\"version\":\"1\",\"fileList\":" + std::string(1001, '[') + "}"};
}

TEST(DeepJsonTest, EveryDocumentReaderTakesDeepNestingAsAFailedRead) {
  TempFolder tmp;
  for (const std::string& text : DeepDocuments()) {
    SCOPED_TRACE(text.substr(0, 24));
    const std::string path = tmp.Write("doc.json", text);
    VersionMap map = {{"kept", VersionEntry{}}};
    std::string error;
    EXPECT_NO_THROW(EXPECT_FALSE(ParseVersionMap(text, &map, &error)));
    EXPECT_FALSE(error.empty());
    EXPECT_NO_THROW(EXPECT_FALSE(LoadVersionMapFile(path, &map, &error)));
    EXPECT_NO_THROW(EXPECT_FALSE(IsValidJson(text.data(), text.size(), &error)));
    std::string version = "unchanged";
    EXPECT_NO_THROW(ReadVersionFromFile(path, &version, "fallback"));
    EXPECT_EQ(version, "fallback");
    ApplyList list;
    EXPECT_NO_THROW(EXPECT_FALSE(ReadApplyList(path, &list)));
    std::vector<std::string> strings;
    EXPECT_NO_THROW(EXPECT_FALSE(ReadJsonStringList(path, strings)));
    EXPECT_TRUE(strings.empty());
  }
}

}  // namespace
