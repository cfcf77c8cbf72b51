#include "project/Launcher/services/json_helpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "project/Launcher/services/folder_helpers.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::ElementsAre;

Json::Value Parse(const std::string& text) {
  Json::Value value;
  std::string error;
  EXPECT_TRUE(ParseJson(text, value, error)) << text << ": " << error;
  return value;
}

TEST(JsonHelpersTest, FindJsonKey) {
  struct Case {
    std::string document;
    std::string key;
    bool found;
    std::string value;  // as written by the library, when found
  } cases[] = {
      {R"({"a":1})", "a", true, "1"},
      {R"({"a":null})", "a", false, ""},
      {R"({"list":[{"x":1},{"a":"in array"}]})", "a", true, "\"in array\""},
      {R"({"obj":{"a":"hidden in object"}})", "a", false, ""},
      {R"({"list":[[{"a":"nested arrays are not objects"}]]})", "a", false, ""},
      {R"({"b":[{"a":"first by key order"}],"c":[{"a":"later"}]})", "a", true,
       "\"first by key order\""},
      {R"({"Z":[{"a":"array member sorts first"}],"a":"direct"})", "a", true,
       "\"array member sorts first\""},
      {R"({"list":[{"inner":[{"a":2}]}]})", "a", true, "2"},
      {R"([{"a":1}])", "a", false, ""},
      {R"("text")", "a", false, ""},
  };
  for (const Case& c : cases) {
    Json::Value out;
    EXPECT_EQ(FindJsonKey(Parse(c.document), c.key, out), c.found) << c.document;
    if (c.found) {
      Json::StreamWriterBuilder builder;
      builder["indentation"] = "";
      EXPECT_EQ(Json::writeString(builder, out), c.value) << c.document;
    }
  }
}

TEST(JsonHelpersTest, ParseJson) {
  Json::Value value;
  std::string error;
  EXPECT_FALSE(ParseJson("", value, error));
  EXPECT_EQ(error, "empty text");  // a reason even for nothing at all
  EXPECT_FALSE(ParseJson("{\"a\":", value, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(ParseJson("{\"a\":[1,2]}", value, error));
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(value["a"][1].asInt(), 2);
  // Deep nesting is refused, not followed down the stack.
  std::string deep(100000, '[');
  EXPECT_FALSE(ParseJson(deep, value, error));
}

TEST(JsonHelpersTest, GetJsonStringList) {
  std::vector<std::string> list = {"stale"};
  const Json::Value doc = Parse(
      R"({"urls":["http://a", 5, true, ["no"], {"no":1}, null], "one":"x", "obj":{"k":1}})");
  EXPECT_TRUE(GetJsonStringList(doc, "urls", list));
  EXPECT_THAT(list, ElementsAre("http://a", "5", "true", ""));
  EXPECT_TRUE(GetJsonStringList(doc, "one", list));
  EXPECT_THAT(list, ElementsAre("x"));
  EXPECT_FALSE(GetJsonStringList(doc, "obj", list));
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(GetJsonStringList(doc, "missing", list));
}

TEST(JsonHelpersTest, StringListFilesRoundTrip) {
  TempFolder tmp;
  const std::string path = tmp.Join("list.json");
  WriteJsonStringList(path, {"one", "two \"quoted\"", ""});
  std::string text;
  ASSERT_TRUE(ReadFileToString(path, text));
  EXPECT_EQ(text, "[\n\t\"one\",\n\t\"two \\\"quoted\\\"\",\n\t\"\"\n]");

  std::vector<std::string> list = {"kept"};
  EXPECT_TRUE(ReadJsonStringList(path, list));
  EXPECT_THAT(list, ElementsAre("kept", "one", "two \"quoted\"", ""));

  tmp.Write("empty.json", "[]");
  list.clear();
  EXPECT_TRUE(ReadJsonStringList(tmp.Join("empty.json"), list));
  EXPECT_TRUE(list.empty());
  tmp.Write("object.json", "{\"a\":1}");
  EXPECT_FALSE(ReadJsonStringList(tmp.Join("object.json"), list));
  tmp.Write("broken.json", "[1,");
  EXPECT_FALSE(ReadJsonStringList(tmp.Join("broken.json"), list));
  EXPECT_FALSE(ReadJsonStringList(tmp.Join("missing.json"), list));
}

TEST(JsonHelpersTest, WriteJsonFileUsesTabs) {
  TempFolder tmp;
  Json::Value value;
  value["b"] = 1;
  value["a"]["c"] = "d";
  ASSERT_TRUE(WriteJsonFile(tmp.Join("v.json"), value));
  std::string text;
  ASSERT_TRUE(ReadFileToString(tmp.Join("v.json"), text));
  EXPECT_EQ(text, "{\n\t\"a\" : \n\t{\n\t\t\"c\" : \"d\"\n\t},\n\t\"b\" : 1\n}");
  EXPECT_FALSE(WriteJsonFile(tmp.Join("missing/v.json"), value));
}

}  // namespace
