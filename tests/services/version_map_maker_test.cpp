#include "project/Launcher/services/version_map_maker.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <fstream>
#include <sstream>

#include "tests/services/program_folder_fixture.h"
#include "tests/support/openssl_md5.h"

namespace {

Json::Value ReadJson(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  Json::Value root;
  Json::CharReaderBuilder builder;
  std::string error;
  std::istringstream stream(text.str());
  EXPECT_TRUE(Json::parseFromStream(builder, stream, &root, &error)) << path << ": " << error;
  return root;
}

Json::Value Entry(const std::string& bytes) {
  Json::Value entry(Json::objectValue);
  entry["md5"] = OpenSslMd5(bytes);
  entry["size"] = static_cast<Json::Int64>(bytes.size());
  return entry;
}

class VersionMapMakerTest : public ProgramFolderTest {};

TEST_F(VersionMapMakerTest, LauncherMapListsTheFixedFilesAndTheEngineTree) {
  const std::string exe(70000, 'x');
  WriteProgramFile("launcher.exe", exe);
  WriteProgramFile("LomaB.ttf", "bold");
  WriteProgramFile("cef/libcef.so", "engine");
  WriteProgramFile("cef/locales/en-US.pak", "");
  WriteProgramFile("other.txt", "not listed");
  WriteProgramFile("dependence/not-in-this-map", "x");

  MakeVersionMap(u"1.2.3");

  Json::Value expected(Json::objectValue);
  expected["list"]["launcher.exe"] = Entry(exe);
  expected["list"]["LomaB.ttf"] = Entry("bold");
  expected["list"]["cef/libcef.so"] = Entry("engine");
  expected["list"]["cef/locales/en-US.pak"] = Entry("");
  expected["version"] = "1.2.3";
  EXPECT_EQ(ReadJson(ProgramFile("launcher_version_map.txt")), expected);

  // Tab-indented, members in key order ("list" before "version").
  std::ifstream in(ProgramFile("launcher_version_map.txt"));
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_EQ(first, "{");
  EXPECT_EQ(second, "\t\"list\" : ");
}

TEST_F(VersionMapMakerTest, EmptyVersionBecomesTheDefault) {
  WriteProgramFile("launcher.exe", "a");
  MakeVersionMap(u"");
  EXPECT_EQ(ReadJson(ProgramFile("launcher_version_map.txt"))["version"], "1.0.0");
}

TEST_F(VersionMapMakerTest, DependenceMapOfAnEmptyOrMissingFolderHasAnEmptyObjectList) {
  MakeDependenceVersionMap(u"7");
  Json::Value missing = ReadJson(ProgramFile("dependence_version_map.txt"));
  EXPECT_TRUE(missing["list"].isObject());
  EXPECT_TRUE(missing["list"].empty());
  EXPECT_EQ(missing["version"], "7");

  std::filesystem::create_directories(ProgramFile("dependence/empty"));
  MakeDependenceVersionMap(u"8");
  EXPECT_TRUE(ReadJson(ProgramFile("dependence_version_map.txt"))["list"].isObject());
}

TEST_F(VersionMapMakerTest, DependenceMapHashesEveryFileBelowTheFolder) {
  WriteProgramFile("dependence/a.dll", "first");
  WriteProgramFile("dependence/deep/er/b.bin", std::string(5000, '\0'));
  WriteProgramFile("launcher.exe", "not in this map");
  MakeDependenceVersionMap(u"2.0");

  Json::Value expected(Json::objectValue);
  expected["list"]["dependence/a.dll"] = Entry("first");
  expected["list"]["dependence/deep/er/b.bin"] = Entry(std::string(5000, '\0'));
  expected["version"] = "2.0";
  EXPECT_EQ(ReadJson(ProgramFile("dependence_version_map.txt")), expected);
}

}  // namespace
