// The publisher's content and services, checked against the launcher's own
// readers (version maps, the patch applier) and a plain HTTP client.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <json/json.h>

#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/patch_applier.h"
#include "tests/e2e/http_get.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"
#include "tools/publisher/content_generator.h"
#include "tools/publisher/local_publisher.h"

namespace {

using publisher::FileSet;
using publisher::GeneratedContent;

Json::Value ParseOrFail(const std::string& text) {
  Json::Value value;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::istringstream in(text);
  EXPECT_TRUE(Json::parseFromStream(builder, in, &value, &errors)) << errors << "\n" << text;
  return value;
}

VersionMap MapOf(const FileSet& files, const std::string& version) {
  VersionMap map;
  for (const auto& [name, record] : files) map[name] = {record.md5, record.size};
  map[kVersionKey] = {version, 0};
  return map;
}

class GeneratedContentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(publisher::GenerateContent(tmp_.File("content"), &content_, &error)) << error;
  }
  TempFolder tmp_;
  GeneratedContent content_;
};

TEST_F(GeneratedContentTest, EveryMapDescribesItsTreeInTheFormItIsWrittenIn) {
  struct Case {
    std::string folder, mapFile, version;
    const FileSet* files;
  };
  std::vector<Case> cases;
  for (const std::string& v : content_.gameVersions)
    cases.push_back({content_.GameFolder(v), "version_map.txt", v, &content_.gameFiles[v]});
  for (const std::string& v : content_.launcherVersions)
    cases.push_back({content_.LauncherFolder(v), "launcher_version_map.txt", v,
                     &content_.launcherFiles[v]});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    VersionMap map;
    std::string error;
    ASSERT_TRUE(LoadVersionMapFile(c.folder + c.mapFile, &map, &error)) << error;
    EXPECT_EQ(map, MapOf(*c.files, c.version));
    std::string version;
    ReadVersionFromFile(c.folder + c.mapFile, &version, "none");
    EXPECT_EQ(version, c.version);
    // The digests are those of the bytes on disk.
    for (const auto& [name, record] : *c.files) {
      const std::string bytes = ReadFile(c.folder + name);
      EXPECT_EQ(publisher::Md5Hex(bytes), record.md5) << name;
      EXPECT_EQ(static_cast<int64_t>(bytes.size()), record.size) << name;
    }
  }
  // Both forms are present: "list" for the released game versions, the flat
  // form for the pre-download and the launcher.
  EXPECT_TRUE(ParseOrFail(ReadFile(content_.GameFolder("10077_0_1") + "version_map.txt"))
                  .isMember("list"));
  EXPECT_FALSE(ParseOrFail(ReadFile(content_.GameFolder("10077_0_3") + "version_map.txt"))
                   .isMember("list"));
}

TEST_F(GeneratedContentTest, VersionsDifferAsTheUpdateCasesNeed) {
  const FileSet& v1 = content_.gameFiles["10077_0_1"];
  const FileSet& v2 = content_.gameFiles["10077_0_2"];
  const FileSet& v3 = content_.gameFiles["10077_0_3"];
  VersionMap local = MapOf(v1, "10077_0_1");
  VersionMap changed;
  std::vector<std::string> removed;
  DiffVersionMaps(&local, MapOf(v2, "10077_0_2"), &changed, &removed);
  std::vector<std::string> changedNames;
  for (const auto& entry : changed) changedNames.push_back(entry.first);
  EXPECT_EQ(changedNames,
            (std::vector<std::string>{"Data/StreamingAssets/config.json", "Data/dlc_2.assets",
                                      "Data/level0.assets", "Data/twin_a.bytes",
                                      "Data/twin_b.bytes", "KVOR.exe"}));
  EXPECT_EQ(removed, std::vector<std::string>{"Data/intro.txt"});
  EXPECT_EQ(v2.at("Data/shared.assets"), v1.at("Data/shared.assets"));
  EXPECT_EQ(v2.at("Data/empty.cfg").size, 0);
  EXPECT_EQ(v2.at("Data/twin_a.bytes"), v2.at("Data/twin_b.bytes"));
  EXPECT_NE(v3.at("KVOR.exe"), v2.at("KVOR.exe"));
  EXPECT_NE(content_.launcherFiles["1.0.1"].at("launcher.exe"),
            content_.launcherFiles["1.0.0"].at("launcher.exe"));
}

TEST_F(GeneratedContentTest, PatchesTurnEachOldFileIntoTheNewOneWithTheListedDigests) {
  struct Case {
    std::string listKey, patchFolder, oldFolder, newFolder;
    const FileSet* newFiles;
    size_t expectedPatches;
  };
  const std::vector<Case> cases = {
      {"game:10077_0_1", content_.GamePatchFolder("10077_0_1"), content_.GameFolder("10077_0_1"),
       content_.GameFolder("10077_0_2"), &content_.gameFiles["10077_0_2"], 2},
      {"game:10077_0_2", content_.GamePatchFolder("10077_0_2"), content_.GameFolder("10077_0_2"),
       content_.GameFolder("10077_0_3"), &content_.gameFiles["10077_0_3"], 2},
      {"launcher:1.0.0", content_.LauncherPatchFolder("1.0.0"), content_.LauncherFolder("1.0.0"),
       content_.LauncherFolder("1.0.1"), &content_.launcherFiles["1.0.1"], 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listKey);
    VersionMap list;
    std::string error;
    ASSERT_TRUE(LoadVersionMapFile(c.patchFolder + "patch_list.txt", &list, &error)) << error;
    list.erase(kVersionKey);
    ASSERT_EQ(list.size(), c.expectedPatches);
    for (const auto& [name, entry] : list) {
      for (const char* extension : {".patch", ".ovdiff"}) {
        const std::string patch = c.patchFolder + name + extension;
        EXPECT_EQ(publisher::Md5Hex(ReadFile(patch)), entry.md5);
        const std::string out = tmp_.File("patched");
        uint32_t detail = 0;
        ASSERT_EQ(PatchFileStreamed(c.oldFolder + name, out, patch, detail), 0) << name;
        EXPECT_EQ(publisher::Md5Hex(ReadFile(out)), c.newFiles->at(name).md5) << name;
      }
    }
  }
}

class LocalPublisherTest : public GeneratedContentTest {
 protected:
  void SetUp() override {
    GeneratedContentTest::SetUp();
    publisher_ = std::make_unique<publisher::LocalPublisher>(content_);
    ASSERT_TRUE(publisher_->Start());
  }
  std::unique_ptr<publisher::LocalPublisher> publisher_;
};

TEST_F(LocalPublisherTest, GateAnswersWithTheMirrorAndItsOptionsInsideOthers) {
  const HttpAnswer answer =
      HttpRequest(publisher_->BaseUrl() + "get/urls?key=WIN10KOREA_&udid=abc");
  ASSERT_EQ(answer.status, 200);
  Json::Value gate = ParseOrFail(answer.body);
  EXPECT_EQ(gate["DlcAddr"][0].asString(), publisher_->MirrorUrl());
  EXPECT_FALSE(gate.isMember("CDN"));
  ASSERT_TRUE(gate["Others"].isString());
  Json::Value others = ParseOrFail(gate["Others"].asString());
  EXPECT_EQ(others["DlcAddr"][0].asString(), publisher_->MirrorUrl());
  EXPECT_EQ(others["PatchOption"].asInt(), 2);

  publisher::GateOptions options;
  options.inlineCdn = true;
  options.othersAbsent = true;
  options.patchOption = 0;
  publisher_->SetGateOptions(options);
  gate = ParseOrFail(HttpRequest(publisher_->BaseUrl() + "get/urls?key=x").body);
  EXPECT_FALSE(gate.isMember("Others"));
  VersionMap cdn;
  std::string error;
  ASSERT_TRUE(ParseVersionMap(gate["CDN"].asString(), &cdn, &error)) << error;
  EXPECT_EQ(cdn, MapOf(content_.gameFiles["10077_0_2"], "10077_0_2"));

  const Json::Value pre = ParseOrFail(
      HttpRequest(publisher_->BaseUrl() + "pre_download?channel=KOREA&udid=abc").body);
  EXPECT_EQ(ParseOrFail(pre["info"].asString())["KOREA_pc_addr"][0].asString(),
            publisher_->PreDownloadUrl());
}

TEST_F(LocalPublisherTest, MirrorServesTheChosenVersionWithRangesAndTheProbe) {
  const std::string kvor = ReadFile(content_.GameFolder("10077_0_2") + "KVOR.exe");
  HttpAnswer probe = HttpRequest(publisher_->MirrorUrl() + "KVOR.exe", "0-0");
  EXPECT_EQ(probe.status, 206);
  EXPECT_EQ(probe.body, kvor.substr(0, 1));
  const HttpAnswer part = HttpRequest(publisher_->MirrorUrl() + "KVOR.exe", "100-");
  EXPECT_EQ(part.status, 206);
  EXPECT_EQ(part.body, kvor.substr(100));
  EXPECT_NE(part.headers.find("Content-Range: bytes 100-" + std::to_string(kvor.size() - 1) +
                              "/" + std::to_string(kvor.size())),
            std::string::npos);
  EXPECT_EQ(HttpRequest(publisher_->MirrorUrl() + "Data/intro.txt").status, 404);
  EXPECT_EQ(HttpRequest(publisher_->MirrorUrl() + "launcher_version_map.txt").body,
            ReadFile(content_.LauncherFolder("1.0.1") + "launcher_version_map.txt"));

  // Patches from the version before, under the offered extension only.
  const std::string patchs = publisher_->MirrorUrl() + "patchs/10077_0_1/";
  EXPECT_EQ(HttpRequest(patchs + "patch_list.txt").status, 200);
  EXPECT_EQ(HttpRequest(patchs + "KVOR.exe.patch", "0-0").status, 206);
  EXPECT_EQ(HttpRequest(patchs + "KVOR.exe.ovdiff", "0-0").status, 404);
  publisher_->SetPatchExtension(".ovdiff");
  EXPECT_EQ(HttpRequest(patchs + "KVOR.exe.patch", "0-0").status, 404);
  EXPECT_EQ(HttpRequest(patchs + "KVOR.exe.ovdiff", "0-0").status, 206);

  publisher_->ServeGameVersion("10077_0_1");
  EXPECT_EQ(HttpRequest(publisher_->MirrorUrl() + "Data/intro.txt").status, 200);
  EXPECT_EQ(HttpRequest(patchs + "patch_list.txt").status, 404);
  EXPECT_EQ(HttpRequest(publisher_->PreDownloadUrl() + "patchs/10077_0_2/patch_list.txt").status,
            200);
}

TEST_F(LocalPublisherTest, FaultsOnDemandAndTheServicesThatOnlyListen) {
  const std::string kvor = ReadFile(content_.GameFolder("10077_0_2") + "KVOR.exe");
  testsrv::Fault corrupt;
  corrupt.corruptAt = 10;
  publisher_->SetFault("/dlc/KVOR.exe", corrupt);
  HttpAnswer answer = HttpRequest(publisher_->MirrorUrl() + "KVOR.exe");
  ASSERT_EQ(answer.body.size(), kvor.size());
  size_t differing = 0;
  for (size_t i = 0; i < kvor.size(); ++i) differing += answer.body[i] != kvor[i];
  EXPECT_EQ(differing, 1u);
  EXPECT_NE(answer.body[10], kvor[10]);

  testsrv::Fault failing;
  failing.status = 500;
  failing.body = "gate down";
  publisher_->SetFault("/get/urls", failing);
  answer = HttpRequest(publisher_->BaseUrl() + "get/urls?key=a");
  EXPECT_EQ(answer.status, 500);
  EXPECT_EQ(answer.body, "gate down");
  publisher_->ClearFaults();
  EXPECT_EQ(HttpRequest(publisher_->BaseUrl() + "get/urls?key=a").status, 200);
  EXPECT_EQ(HttpRequest(publisher_->MirrorUrl() + "KVOR.exe").body, kvor);

  EXPECT_EQ(HttpRequest(publisher_->EchoUrl()).body, "127.0.0.1\n");
  EXPECT_EQ(HttpRequest(publisher_->TrackUrl(), {}, "{\"event\":1}").status, 200);
  EXPECT_EQ(HttpRequest(publisher_->AttributionUrl() + "?a=b").status, 200);

  // The log, one JSON object a line, in the order of the requests.
  std::istringstream lines(publisher_->RequestLogJsonLines());
  std::vector<Json::Value> log;
  for (std::string line; std::getline(lines, line);) log.push_back(ParseOrFail(line));
  ASSERT_EQ(log.size(), 7u);
  EXPECT_EQ(log[1]["path"].asString(), "/get/urls");
  EXPECT_EQ(log[1]["query"].asString(), "key=a");
  EXPECT_EQ(log[1]["status"].asInt(), 500);
  EXPECT_EQ(log[5]["method"].asString(), "POST");
  EXPECT_EQ(log[5]["body"].asString(), "{\"event\":1}");
  EXPECT_EQ(log[6]["query"].asString(), "a=b");
}

TEST_F(LocalPublisherTest, SettingJsonPointsALauncherAtThisPublisher) {
  const Json::Value setting = ParseOrFail(publisher_->SettingJson(true));
  EXPECT_EQ(setting["GateURLs"][0].asString(), publisher_->BaseUrl());
  EXPECT_EQ(setting["DlcURLs"][0].asString(), publisher_->MirrorUrl());
  EXPECT_EQ(setting["TrackURL"].asString(), publisher_->TrackUrl());
  EXPECT_FALSE(ParseOrFail(publisher_->SettingJson(false)).isMember("DlcURLs"));
}

}  // namespace
