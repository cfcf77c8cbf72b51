// The first half of the update flow end to end: the store and the worker
// against the local publisher, from the gate to the files in "update/".

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/state.h"
#include "project/Launcher/core/update_flow.h"
#include "project/Launcher/services/download_manager.h"
#include "tests/e2e/worker_harness.h"
#include "tests/support/read_file.h"

namespace {

using publisher::FileSet;

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The requests of the flow itself: the usage events leave on their own time.
std::vector<std::string> FlowRequests(const std::vector<std::string>& targets) {
  std::vector<std::string> flow;
  for (const std::string& t : targets) {
    if (t.find("/track/") == std::string::npos && t.find("/v1/adjust") == std::string::npos)
      flow.push_back(t);
  }
  return flow;
}

bool Contains(const std::vector<std::string>& list, const std::string& text) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& s) { return s.find(text) != std::string::npos; });
}

std::set<std::string> Names(const VersionMap& map) {
  std::set<std::string> names;
  for (const auto& entry : map) names.insert(entry.first);
  return names;
}

const std::set<std::string> kChangedFrom1To2 = {
    "Data/StreamingAssets/config.json", "Data/dlc_2.assets", "Data/level0.assets",
    "Data/twin_a.bytes", "Data/twin_b.bytes", "KVOR.exe"};

class UpdateFlowTest : public ::testing::Test {
 protected:
  // A launcher that is current, so its own check ends idle, and the game at
  // its first version.
  void StartWithCurrentLauncher() {
    h_.InstallLauncher(publisher::kLauncherVersionOld);
    h_.publisher().ServeLauncherVersion(publisher::kLauncherVersionOld);
    h_.InstallGame(publisher::kGameVersion1);
    h_.Start();
    FlowEnd end;
    ASSERT_TRUE(h_.WaitForFlowEnd(&end));
    ASSERT_EQ(end.typeId, kEnterGameStateId);
    ASSERT_EQ(end.flow, kLauncherFlow);
  }
  FlowEnd RunGameFlow() {
    mark_ = h_.RequestCount();
    h_.StartGameCheck();
    FlowEnd end;
    EXPECT_TRUE(h_.WaitForFlowEnd(&end));
    return end;
  }
  VersionMap MapOnWorker(const std::string& slot) {
    VersionMap map;
    h_.RunOnWorker([&] { map = h_.store().versionMaps[slot]; });
    return map;
  }

  WorkerHarness h_;
  size_t mark_ = 0;
};

TEST_F(UpdateFlowTest, FirstTickRunsTheLauncherCheckThroughGateAndMapToIdle) {
  StartWithCurrentLauncher();
  const std::vector<std::string> requests = FlowRequests(h_.RequestTargets());
  ASSERT_EQ(requests.size(), 3u) << ::testing::PrintToString(requests);
  EXPECT_EQ(requests[0], "GET /ip");
  // The key names the installed game version.
  EXPECT_EQ(requests[1].rfind("GET /get/urls?key=WIN10KOREA_10077_0_1&udid=", 0), 0u) << requests[1];
  EXPECT_EQ(requests[2], "GET /dlc/launcher_version_map.txt");

  // The device identifier travels percent-encoded: nothing in it can start
  // another parameter.
  const std::string udid = requests[1].substr(requests[1].find("udid=") + 5);
  EXPECT_FALSE(udid.empty());
  EXPECT_EQ(udid.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~%"),
            std::string::npos);

  std::string address, version;
  h_.RunOnWorker([&] {
    address = h_.store().publicAddress;
    version = h_.store().launcherVersion;
  });
  EXPECT_EQ(address, "127.0.0.1");
  EXPECT_EQ(version, "1.0.0");
  // The fetched map became the installed one.
  EXPECT_FALSE(Exists(h_.programFolder() + "tmp_launcher_version_map.txt"));
  EXPECT_EQ(ReadFile(h_.programFolder() + "launcher_version_map.txt"),
            ReadFile(h_.content().LauncherFolder("1.0.0") + "launcher_version_map.txt"));
  std::vector<int64_t> progress;
  for (const RelayedMessage& m : h_.Messages())
    if (m.message == kMsgCheckProgress) progress.push_back(m.lParam);
  EXPECT_EQ(progress, (std::vector<int64_t>{95, 100}));
  EXPECT_TRUE(h_.BoxesAsked().empty());
}

TEST_F(UpdateFlowTest, LauncherUpdateFetchesItsPatchAndWholeFilesIntoUpdate) {
  h_.InstallLauncher(publisher::kLauncherVersionOld);
  h_.Start();
  FlowEnd end;
  ASSERT_TRUE(h_.WaitForFlowEnd(&end));
  EXPECT_EQ(end.typeId, kApplyUpdateStateId);
  EXPECT_EQ(end.flow, kLauncherFlow);

  EXPECT_EQ(Names(MapOnWorker("_update_launcher_version_")),
            (std::set<std::string>{"LomaN.ttf", "cef/jov_libcef.dll", "launcher.exe",
                                   "resources.zip"}));
  const std::vector<std::string> requests = h_.RequestTargets();
  // No game installed: the key ends where its version would be.
  EXPECT_TRUE(Contains(requests, "GET /get/urls?key=WIN10KOREA_&udid="));
  EXPECT_TRUE(Contains(requests, "GET /dlc/patchs/1_0_0/patch_list.txt"));
  EXPECT_TRUE(Contains(requests, "GET /dlc/patchs/1_0_0/launcher.exe.patch bytes=0-0"));

  const FileSet& next = h_.content().launcherFiles.at("1.0.1");
  const FileSet& patches = h_.content().patchLists.at("launcher:1.0.0");
  EXPECT_EQ(FileMd5Hex(h_.updateFolder() + "launcher.exe.patch"), patches.at("launcher.exe").md5);
  EXPECT_FALSE(Exists(h_.updateFolder() + "launcher.exe"));
  for (const char* name : {"LomaN.ttf", "cef/jov_libcef.dll", "resources.zip"}) {
    EXPECT_EQ(FileMd5Hex(h_.updateFolder() + name), next.at(name).md5) << name;
  }
}

class GamePatchExtensionTest : public UpdateFlowTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(GamePatchExtensionTest, GameUpdateFetchesPatchesUnderTheOfferedExtension) {
  const std::string extension = GetParam();
  h_.publisher().SetPatchExtension(extension);
  StartWithCurrentLauncher();
  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kApplyUpdateStateId);
  EXPECT_EQ(end.flow, kGameFlow);

  // Gate, map, patch list, then the probe on a file the list names.
  const std::vector<std::string> requests = FlowRequests(h_.RequestTargets(mark_));
  ASSERT_GE(requests.size(), 4u);
  EXPECT_EQ(requests[0].rfind("GET /get/urls?key=WIN10KOREA_10077_0_1&udid=", 0), 0u);
  EXPECT_EQ(requests[1], "GET /dlc/version_map.txt");
  EXPECT_EQ(requests[2], "GET /dlc/patchs/10077_0_1/patch_list.txt");
  EXPECT_EQ(requests[3], "GET /dlc/patchs/10077_0_1/Data/level0.assets.patch bytes=0-0");
  if (extension == ".ovdiff") {
    EXPECT_EQ(requests[4], "GET /dlc/patchs/10077_0_1/Data/level0.assets.ovdiff bytes=0-0");
  }
  bool ovdiff = false;
  h_.RunOnWorker([&] { ovdiff = PatchExtensionIsOvdiff(); });
  EXPECT_EQ(ovdiff, extension == ".ovdiff");

  EXPECT_EQ(Names(MapOnWorker("_update_game_version_")), kChangedFrom1To2);
  const FileSet& next = h_.content().gameFiles.at("10077_0_2");
  const FileSet& patches = h_.content().patchLists.at("game:10077_0_1");
  for (const std::string& name : kChangedFrom1To2) {
    if (patches.count(name)) {
      EXPECT_EQ(FileMd5Hex(h_.updateFolder() + name + extension), patches.at(name).md5) << name;
      EXPECT_FALSE(Exists(h_.updateFolder() + name)) << name;
    } else {
      EXPECT_EQ(FileMd5Hex(h_.updateFolder() + name), next.at(name).md5) << name;
    }
  }
  EXPECT_FALSE(Exists(h_.updateFolder() + "Data/shared.assets"));
  EXPECT_EQ(ReadFile(h_.gameFolder() + "tmp_version_map.txt"),
            ReadFile(h_.content().GameFolder("10077_0_2") + "version_map.txt"));
  EXPECT_TRUE(h_.BoxesAsked().empty());
}

INSTANTIATE_TEST_SUITE_P(Extensions, GamePatchExtensionTest, ::testing::Values(".patch", ".ovdiff"));

TEST_F(UpdateFlowTest, PatchOptionZeroAsksForNoPatchListAndFetchesWholeFiles) {
  publisher::GateOptions options;
  options.patchOption = 0;
  h_.publisher().SetGateOptions(options);
  StartWithCurrentLauncher();
  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kApplyUpdateStateId);
  const std::vector<std::string> requests = h_.RequestTargets(mark_);
  EXPECT_FALSE(Contains(requests, "/patchs/")) << ::testing::PrintToString(requests);
  const FileSet& next = h_.content().gameFiles.at("10077_0_2");
  for (const std::string& name : kChangedFrom1To2) {
    EXPECT_EQ(FileMd5Hex(h_.updateFolder() + name), next.at(name).md5) << name;
  }
}

TEST_F(UpdateFlowTest, InlineCdnMapSkipsTheMapRequestAndSetsTheVersions) {
  publisher::GateOptions options;
  options.inlineCdn = true;
  h_.publisher().SetGateOptions(options);
  StartWithCurrentLauncher();
  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kApplyUpdateStateId);
  const std::vector<std::string> requests = FlowRequests(h_.RequestTargets(mark_));
  EXPECT_FALSE(Contains(requests, "/dlc/version_map.txt"));
  EXPECT_EQ(requests[1], "GET /dlc/patchs/10077_0_1/patch_list.txt");
  EXPECT_EQ(ReadFile(h_.gameFolder() + "tmp_version_map.txt"),
            ReadFile(h_.content().GameFolder("10077_0_2") + "version_map.txt"));
  std::string remote, downloading;
  h_.RunOnWorker([&] {
    remote = h_.store().remoteGameVersion;
    downloading = h_.store().downloadingGameVersion;
  });
  EXPECT_EQ(remote, "10077_0_2");
  EXPECT_EQ(downloading, "10077_0_2");
  EXPECT_EQ(Names(MapOnWorker("_update_game_version_")), kChangedFrom1To2);
}

TEST_F(UpdateFlowTest, GateFailureEndsTheLauncherCheckSilentlyAndTheGameFlowInTheErrorState) {
  testsrv::Fault down;
  down.status = 500;
  down.body = "gate down";
  h_.publisher().SetFault("/get/urls", down);
  StartWithCurrentLauncher();
  EXPECT_TRUE(h_.BoxesAsked().empty());

  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kExceptionStateId);
  EXPECT_EQ(end.flow, kGameFlow);
  EXPECT_TRUE(end.offerRetry);
  EXPECT_EQ(end.errorCode, kDownloadStartFailed);
  EXPECT_EQ(end.errorText, "Request Failed:500");
  EXPECT_EQ(end.detail.rfind("get/urls?key=WIN10KOREA_10077_0_1&udid=", 0), 0u) << end.detail;
  EXPECT_EQ(end.detailText,
            u"-2\nRequest Failed:500(" + std::u16string(end.detail.begin(), end.detail.end()) + u")");
  // Three attempts on the one gate server, nothing after them.
  const std::vector<std::string> requests = FlowRequests(h_.RequestTargets(mark_));
  EXPECT_EQ(requests.size(), 3u) << ::testing::PrintToString(requests);
}

// Failures of the game flow's requests tell what happened: an empty gate
// answer gives the parser's reason, a mirror's status names the status and
// the file.
TEST_F(UpdateFlowTest, FailuresShowTheirReasonStatusAndFile) {
  struct Case {
    const char* name;
    const char* path;
    int status;
    const char* body;
    const char* text;
  };
  const Case cases[] = {
      {"empty gate answer", "/get/urls", 200, "", "Parse Failed:empty text"},
      {"file not found", "/dlc/Data/dlc_2.assets", 404, "gone", "HTTP 404 for Data/dlc_2.assets"},
      {"mirror error", "/dlc/Data/dlc_2.assets", 500, "oops", "HTTP 500 for Data/dlc_2.assets"},
  };
  StartWithCurrentLauncher();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testsrv::Fault fault;
    fault.status = c.status;
    fault.body = c.body;
    h_.publisher().ClearFaults();
    h_.publisher().SetFault(c.path, fault);
    const FlowEnd end = RunGameFlow();
    EXPECT_EQ(end.typeId, kExceptionStateId);
    EXPECT_EQ(end.errorText, c.text);
  }
}

TEST_F(UpdateFlowTest, GateAnswersWithObjectsWhereTextIsExpectedAreInvalid) {
  testsrv::Fault odd;
  odd.status = 200;
  odd.body = R"({"DlcAddr": {"url": 1}, "Others": {"DlcAddr": ["http://127.0.0.1:1/"]}})";
  h_.publisher().SetFault("/get/urls", odd);
  StartWithCurrentLauncher();  // "Others" as an object: the launcher check fails silently

  FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kExceptionStateId);
  EXPECT_EQ(end.errorText, "Invalid DlcAddr");
  EXPECT_EQ(end.detail, odd.body);

  // A long unusable answer is kept in a file instead of the box.
  odd.body = "{\"DlcAddr\": [{\"x\": 1}], \"padding\": \"" + std::string(200, 'p') + "\"}";
  h_.publisher().SetFault("/get/urls", odd);
  end = RunGameFlow();
  EXPECT_EQ(end.errorText, "Invalid DlcAddr");
  EXPECT_EQ(end.detail, "The information has been saved to file:exception/response.txt");
  EXPECT_EQ(ReadFile(h_.programFolder() + "exception/response.txt"), odd.body);
}

TEST_F(UpdateFlowTest, CorruptByteOnEveryAttemptEndsInMd5ErrorAndLeavesNoTransfer) {
  testsrv::Fault corrupt;
  corrupt.corruptAt = 100;
  h_.publisher().SetFault("/dlc/Data/dlc_2.assets", corrupt);
  StartWithCurrentLauncher();
  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kExceptionStateId);
  EXPECT_EQ(end.errorCode, kDownloadMd5Mismatch);
  EXPECT_EQ(end.errorText, "check md5 error");
  EXPECT_EQ(end.detail, "Data/dlc_2.assets");
  size_t transfers = 1;
  h_.RunOnWorker([&] {
    transfers = DownloadManager::GetInstance().active_count() +
                DownloadManager::GetInstance().pending_count();
  });
  EXPECT_EQ(transfers, 0u);
}

TEST_F(UpdateFlowTest, GateKeyFromTheSettingTravelsWithoutBlanksAndPercentEncoded) {
  h_.SetSetting("GateKey", "ab c&x=1");
  StartWithCurrentLauncher();
  const std::vector<std::string> requests = FlowRequests(h_.RequestTargets());
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[1].rfind("GET /get/urls?key=abc%26x%3D1&udid=", 0), 0u) << requests[1];
}

TEST_F(UpdateFlowTest, MirrorsOfTheSettingReplaceTheGatesList) {
  publisher::GateOptions options;
  options.dlcAddr = {"http://127.0.0.1:1/nowhere/"};
  h_.publisher().SetGateOptions(options);
  h_.UseDlcUrlsSetting();
  StartWithCurrentLauncher();
  EXPECT_TRUE(Contains(h_.RequestTargets(), "GET /dlc/launcher_version_map.txt"));
}

TEST_F(UpdateFlowTest, PreDownloadedCopiesAreTakenOnlyWithTheirDigest) {
  // The pre-download of the version the servers now offer holds a good copy
  // of the twins' content (one copy serves both names) and a damaged one of
  // another file.
  const FileSet& next = h_.content().gameFiles.at("10077_0_2");
  const std::string pre = h_.programFolder() + "update/predownload/10077_0_2/";
  std::filesystem::create_directories(pre);
  std::filesystem::copy_file(h_.content().GameFolder("10077_0_2") + "Data/twin_a.bytes",
                             pre + next.at("Data/twin_a.bytes").md5);
  std::ofstream(pre + next.at("Data/dlc_2.assets").md5) << "not the file";
  StartWithCurrentLauncher();
  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kApplyUpdateStateId);

  const std::vector<std::string> requests = h_.RequestTargets(mark_);
  EXPECT_FALSE(Contains(requests, "/dlc/Data/twin_a.bytes"));
  EXPECT_FALSE(Contains(requests, "/dlc/Data/twin_b.bytes"));
  EXPECT_TRUE(Contains(requests, "GET /dlc/Data/dlc_2.assets"));
  for (const char* name : {"Data/twin_a.bytes", "Data/twin_b.bytes", "Data/dlc_2.assets"}) {
    EXPECT_EQ(FileMd5Hex(h_.updateFolder() + name), next.at(name).md5) << name;
  }
  EXPECT_TRUE(Exists(pre + next.at("Data/twin_a.bytes").md5)) << "the pre-download keeps it";
}

TEST_F(UpdateFlowTest, ANewFlowFinishesWhileTheTransfersOfTheOldOneAreStillOpen) {
  // The first game check stalls on one file; a second check replaces it and
  // fetches everything. Nothing of the first one reaches the second.
  testsrv::Fault stall;
  stall.times = 1;
  stall.stallAfter = 10;
  h_.publisher().SetFault("/dlc/Data/dlc_2.assets", stall);
  StartWithCurrentLauncher();
  h_.StartGameCheck();
  ASSERT_TRUE(h_.publisher().server().WaitForRequest(
      [](const testsrv::RequestRecord& r) { return r.path == "/dlc/Data/dlc_2.assets"; }, 30000));
  const FlowEnd end = RunGameFlow();
  EXPECT_EQ(end.typeId, kApplyUpdateStateId);
  EXPECT_EQ(end.flow, kGameFlow);
  h_.publisher().server().ReleaseStalls();
  EXPECT_EQ(FileMd5Hex(h_.updateFolder() + "Data/dlc_2.assets"),
            h_.content().gameFiles.at("10077_0_2").at("Data/dlc_2.assets").md5);
  FlowEnd another;
  EXPECT_FALSE(h_.WaitForFlowEnd(&another, std::chrono::seconds(0)));
}

}  // namespace
