// The second half of the update flow end to end: the store and the worker
// with the launcher's own apply, idle and error states against the local
// publisher, and the stand-in game started at the end.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <json/json.h>

#include "platform/disk/disk_space.h"
#include "platform/instance/instance_lock.h"
#include "project/Launcher/core/flow/apply_update_state.h"
#include "project/Launcher/core/flow/enter_game_state.h"
#include "project/Launcher/core/game_launch.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/services/download_manager.h"
#include "project/Launcher/services/json_helpers.h"
#include "tests/core/test_thread.h"
#include "tests/e2e/worker_harness.h"
#include "tests/support/one_processor.h"
#include "tests/support/read_file.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using publisher::kGameVersion1;
using publisher::kGameVersion2;

bool Contains(const std::vector<std::string>& list, const std::string& text) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& s) { return s.find(text) != std::string::npos; });
}

size_t CountOf(const std::vector<std::string>& list, const std::string& text) {
  return static_cast<size_t>(std::count_if(
      list.begin(), list.end(), [&](const std::string& s) { return s.find(text) != std::string::npos; }));
}

class ApplyFlowTest : public ::testing::Test {
 protected:
  ApplyFlowTest()
      : runtime_("XDG_RUNTIME_DIR", env_.File("run")),
        home_("HOME", env_.File("home")),
        record_("KVOR_RECORD", env_.File("kvor_record")) {
    // The stand-in games started here open no window: on a shared display
    // they could otherwise talk to another test's launcher window.
    if (const char* display = std::getenv("DISPLAY")) {
      display_ = display;
      ::unsetenv("DISPLAY");
    }
    fs::create_directories(env_.File("run"));
    fs::create_directories(env_.File("home"));
    h_.UseRealFlowEnds();
  }
  ~ApplyFlowTest() override {
    h_.Stop();
    for (pid_t pid : games_) ::kill(pid, SIGKILL);
    if (!display_.empty()) ::setenv("DISPLAY", display_.c_str(), 1);
  }

  // A current launcher; the game installed at |installed| (none when empty)
  // and |served| on the mirror. Waits for the launcher's own check to idle.
  void StartWith(const std::string& installed, const std::string& served) {
    h_.InstallLauncher(publisher::kLauncherVersionOld);
    h_.publisher().ServeLauncherVersion(publisher::kLauncherVersionOld);
    if (!installed.empty()) h_.InstallGame(installed);
    h_.publisher().ServeGameVersion(served);
    h_.Start();
    FlowEnd end;
    ASSERT_TRUE(h_.WaitForFlowEnd(&end));
    ASSERT_EQ(end.typeId, kEnterGameStateId);
    ASSERT_EQ(end.flow, kLauncherFlow);
  }
  FlowEnd RunGameFlow(bool enterGame) {
    mark_ = h_.RequestCount();
    RunOn(kThreadUI, [this, enterGame] { h_.store().StartGameCheck(enterGame, false); });
    FlowEnd end;
    EXPECT_TRUE(h_.WaitForFlowEnd(&end));
    return end;
  }
  std::vector<std::string> Requests() const { return h_.RequestTargets(mark_); }

  // Every file of the version in the game folder with its digest, and the
  // installed map equal to the version's.
  void ExpectGameIs(const std::string& version) {
    for (const auto& [name, record] : h_.content().gameFiles.at(version)) {
      EXPECT_EQ(FileMd5Hex(h_.gameFolder() + name), record.md5) << name;
    }
    EXPECT_EQ(ReadFile(h_.gameFolder() + "version_map.txt"),
              ReadFile(h_.content().GameFolder(version) + "version_map.txt"));
    EXPECT_FALSE(fs::exists(h_.gameFolder() + "tmp_version_map.txt"));
    EXPECT_FALSE(fs::exists(h_.updateFolder() + "apply_list.txt"));
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(h_.updateFolder(), ec)) {
      const std::string path = entry.path().string();
      EXPECT_FALSE(path.ends_with(".patch") || path.ends_with(".ovdiff")) << path;
    }
    std::string local;
    h_.RunOnWorker([&] { local = h_.store().localGameVersion; });
    EXPECT_EQ(local, version);
  }

  // The stand-in game's first record: blocks until the game has written it.
  Json::Value WaitForGameStart() {
    int fd = ::open(env_.File("kvor_record").c_str(), O_RDONLY);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while (fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<size_t>(n));
    }
    if (fd >= 0) ::close(fd);
    Json::Value record;
    std::string error;
    Json::CharReaderBuilder reader;
    std::istringstream in(text);
    Json::parseFromStream(reader, in, &record, &error);
    if (record.isMember("pid")) games_.push_back(static_cast<pid_t>(record["pid"].asInt64()));
    return record;
  }
  void UseFifoRecord() { ASSERT_EQ(::mkfifo(env_.File("kvor_record").c_str(), 0600), 0); }

  TempFolder env_;
  ScopedEnv runtime_;
  ScopedEnv home_;
  ScopedEnv record_;
  WorkerHarness h_;
  size_t mark_ = 0;
  std::vector<pid_t> games_;
  std::string display_;
};

TEST_F(ApplyFlowTest, EmptyFolderInstallsAndTheGameStartsWithItsArgumentsInItsFolder) {
  UseFifoRecord();
  StartWith("", kGameVersion1);
  std::ofstream(h_.programFolder() + "save/gid.txt") << "gid-1";
  FlowEnd end = RunGameFlow(true);
  ASSERT_EQ(end.typeId, kEnterGameStateId) << end.errorText << end.detail;
  EXPECT_EQ(end.flow, kGameFlow);
  ExpectGameIs(kGameVersion1);

  Json::Value game = WaitForGameStart();
  ASSERT_EQ(game["event"].asString(), "start") << game.toStyledString();
  EXPECT_EQ(game["cwd"].asString(), fs::canonical(h_.gameFolder()).string());
  Json::Value expectedArgs(Json::arrayValue);
  expectedArgs.append(FileMd5Hex(h_.gameFolder() + "version_map.txt"));
  expectedArgs.append("win");
  expectedArgs.append("0|1");
  EXPECT_EQ(game["args"], expectedArgs);
  // The game's identifier was handed over to the game's "save" folder.
  EXPECT_FALSE(fs::exists(h_.programFolder() + "save/gid.txt"));
  EXPECT_EQ(ReadFile(h_.gameFolder() + "save/gid.txt"), "gid-1");

  // The game runs: a second launch is refused with its message, and no
  // second copy starts.
  ASSERT_TRUE(IsGameRunning());
  FlowEnd again = RunGameFlow(true);
  EXPECT_EQ(again.typeId, kEnterGameStateId);
  RunOn(kThreadUI, [] {});
  EXPECT_TRUE(Contains(h_.BoxesAsked(), "STRING_ERROR_EXCEED_MAX_GAME_INSTANCE"));
}

// "Check, update and play" pressed while the launcher checks itself: the
// window asks for the game check as soon as it shows the launcher check's
// idle state. The game starts once, at the version the game check installed,
// even with every thread on one processor (where the window's answer often
// runs in the middle of the idle state's entry).
TEST_F(ApplyFlowTest, PlayAskedAtTheLauncherChecksEndStartsTheGameOnlyAtTheNewVersion) {
  OneProcessor oneProcessor;
  UseFifoRecord();
  bool asked = false;  // UI thread
  h_.AnswerMessages([this, &asked](const RelayedMessage& m) {
    if (m.message != kMsgRefreshState || asked) return;
    if (h_.store().UiView().stateType != kEnterGameStateId) return;
    asked = true;
    h_.store().StartGameCheck(true, false);
  });
  StartWith(kGameVersion1, kGameVersion2);
  FlowEnd end;
  ASSERT_TRUE(h_.WaitForFlowEnd(&end));
  ASSERT_EQ(end.typeId, kEnterGameStateId) << end.errorText << end.detail;
  ASSERT_EQ(end.flow, kGameFlow);

  Json::Value game = WaitForGameStart();
  ASSERT_EQ(game["event"].asString(), "start") << game.toStyledString();
  EXPECT_EQ(game["args"][0].asString(),
            FileMd5Hex(h_.content().GameFolder(kGameVersion2) + "version_map.txt"));
  ExpectGameIs(kGameVersion2);
  RunOn(kThreadUI, [] {});
  EXPECT_FALSE(Contains(h_.BoxesAsked(), "STRING_ERROR_EXCEED_MAX_GAME_INSTANCE"));
}

TEST_F(ApplyFlowTest, UpdateByPatchAndWholeFileLeavesTheNewVersionAndNothingBehind) {
  StartWith(kGameVersion1, kGameVersion2);
  FlowEnd end = RunGameFlow(false);
  ASSERT_EQ(end.typeId, kEnterGameStateId) << end.errorText << end.detail;
  const std::vector<std::string> requests = Requests();
  EXPECT_TRUE(Contains(requests, "/dlc/patchs/10077_0_1/KVOR.exe.patch"));
  EXPECT_TRUE(Contains(requests, "/dlc/patchs/10077_0_1/Data/level0.assets.patch"));
  EXPECT_TRUE(Contains(requests, "GET /dlc/Data/dlc_2.assets"));
  ExpectGameIs(kGameVersion2);
  // The apply reported its progress up to 100.
  int64_t last = -1;
  for (const RelayedMessage& m : h_.Messages()) {
    if (m.message == kMsgCheckProgress) last = m.lParam;
  }
  EXPECT_EQ(last, 100);
}

TEST_F(ApplyFlowTest, PatchResultOfADamagedFileIsRefusedAndTheRetryFetchesItWhole) {
  const std::string damaged = "Data/level0.assets";
  h_.InstallGame(kGameVersion1);
  {
    std::fstream file(h_.gameFolder() + damaged, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(100);
    file.put('\x5a');
  }
  StartWith("", kGameVersion2);
  FlowEnd failed = RunGameFlow(false);
  ASSERT_EQ(failed.typeId, kExceptionStateId);
  EXPECT_TRUE(failed.offerRetry);
  EXPECT_EQ(failed.errorText, "Apply Failed");
  EXPECT_NE(failed.detail.find(damaged + "("), std::string::npos) << failed.detail;
  // Nothing wrong was put in place, and the rest of the update was.
  EXPECT_EQ(FileMd5Hex(h_.updateFolder() + damaged), "");
  EXPECT_EQ(FileMd5Hex(h_.gameFolder() + "KVOR.exe"),
            h_.content().gameFiles.at(kGameVersion2).at("KVOR.exe").md5);

  FlowEnd retried = RunGameFlow(false);
  ASSERT_EQ(retried.typeId, kEnterGameStateId) << retried.errorText << retried.detail;
  const std::vector<std::string> requests = Requests();
  EXPECT_TRUE(Contains(requests, "GET /dlc/" + damaged));
  for (const std::string& r : requests) {
    if (r.find(damaged + ".patch") != std::string::npos) ADD_FAILURE() << r;
  }
  // Files moved by the first run are not fetched again.
  EXPECT_FALSE(Contains(requests, "KVOR.exe"));
  ExpectGameIs(kGameVersion2);
}

TEST_F(ApplyFlowTest, InterruptedApplyResumesFromTheApplyList) {
  // A folder where a new file must go stops that one file's move.
  const std::string blocked = "Data/dlc_2.assets";
  h_.InstallGame(kGameVersion1);
  fs::create_directories(h_.gameFolder() + blocked + "/inside");
  StartWith("", kGameVersion2);
  FlowEnd failed = RunGameFlow(false);
  ASSERT_EQ(failed.typeId, kExceptionStateId);
  EXPECT_NE(failed.detail.find(blocked + "("), std::string::npos) << failed.detail;
  ApplyList list;
  ASSERT_TRUE(ReadApplyList(h_.updateFolder() + "apply_list.txt", &list));
  EXPECT_EQ(list.version, kGameVersion2);
  EXPECT_EQ(std::count(list.fileList.begin(), list.fileList.end(), blocked), 0);
  EXPECT_EQ(list.fileList.size(), 5u);  // every other changed file is in place

  fs::remove_all(h_.gameFolder() + blocked);
  FlowEnd resumed = RunGameFlow(false);
  ASSERT_EQ(resumed.typeId, kEnterGameStateId) << resumed.errorText << resumed.detail;
  const std::vector<std::string> requests = Requests();
  for (const std::string& done : list.fileList) EXPECT_FALSE(Contains(requests, done)) << done;
  ExpectGameIs(kGameVersion2);
}

TEST_F(ApplyFlowTest, RetryOfTheErrorStateSucceedsOnceThePublisherIsMended) {
  UseFifoRecord();
  h_.KeepBoxesOpen();
  StartWith(kGameVersion1, kGameVersion2);
  testsrv::Fault fault;
  fault.status = 500;
  h_.publisher().SetFault("/dlc/version_map.txt", fault);
  FlowEnd failed = RunGameFlow(false);
  ASSERT_EQ(failed.typeId, kExceptionStateId);
  EXPECT_TRUE(failed.offerRetry);
  ASSERT_TRUE(h_.WaitForBoxes(1));
  EXPECT_TRUE(h_.store().errorShown);

  h_.publisher().ClearFaults();
  mark_ = h_.RequestCount();
  h_.AnswerBox(0, 1);  // STRING_ERROR_RETRY
  FlowEnd retried;
  ASSERT_TRUE(h_.WaitForFlowEnd(&retried));
  ASSERT_EQ(retried.typeId, kEnterGameStateId) << retried.errorText << retried.detail;
  ExpectGameIs(kGameVersion2);
  // The retry asks to play: the game starts.
  EXPECT_EQ(WaitForGameStart()["event"].asString(), "start");
}

TEST_F(ApplyFlowTest, ARetryAnsweredAfterAnotherFlowStartedChangesNothing) {
  h_.KeepBoxesOpen();
  StartWith(kGameVersion1, kGameVersion1);
  testsrv::Fault fault;
  fault.status = 500;
  h_.publisher().SetFault("/dlc/version_map.txt", fault);
  FlowEnd failed = RunGameFlow(false);
  ASSERT_EQ(failed.typeId, kExceptionStateId);
  ASSERT_TRUE(h_.WaitForBoxes(1));
  h_.publisher().ClearFaults();
  // Another flow ends idle before the old box is answered.
  FlowEnd other = RunGameFlow(false);
  ASSERT_EQ(other.typeId, kEnterGameStateId);
  int32_t before = 0;
  h_.RunOnWorker([&] { before = h_.store().currentState()->JobToken(); });
  h_.AnswerBox(0, 1);  // STRING_ERROR_RETRY of the replaced error state
  h_.RunOnWorker([] {});
  h_.RunOnWorker([] {});
  int32_t after = 0;
  int32_t type = -1;
  h_.RunOnWorker([&] {
    after = h_.store().currentState()->JobToken();
    type = h_.store().currentState()->TypeId();
  });
  // The idle state of the other flow is still the very same state.
  EXPECT_EQ(type, kEnterGameStateId);
  EXPECT_EQ(after, before);
}

TEST_F(ApplyFlowTest, IdlePollFindsTheNewVersionAndLeavesTheServersAsTheyWere) {
  StartWith(kGameVersion1, kGameVersion2);
  std::vector<std::string> mirrorsBefore;
  std::string remote;
  // The idle state polls on its first tick; each look waits for the worker.
  for (int i = 0; i < 2000 && remote != kGameVersion2; ++i) {
    h_.RunOnWorker([&] { remote = h_.store().remoteGameVersion; });
  }
  ASSERT_EQ(remote, kGameVersion2) << ::testing::PrintToString(h_.RequestTargets());
  std::vector<std::string> mirrors;
  int32_t step = -1;
  h_.RunOnWorker([&] {
    mirrors = DownloadManager::GetInstance().mirrors();
    step = static_cast<EnterGameState*>(h_.store().currentState())->pollStep;
  });
  EXPECT_EQ(step, 0);
  const std::vector<std::string> requests = h_.RequestTargets();
  EXPECT_TRUE(Contains(requests, "/pre_download?channel=KOREA&udid="));
  EXPECT_TRUE(Contains(requests, "GET /predl/version_map.txt"));
  // The poll's servers were given back: nothing points at the pre-download
  // servers now.
  for (const std::string& m : mirrors) EXPECT_EQ(m.find("/predl/"), std::string::npos) << m;
  RunOn(kThreadUI, [] {});
  bool changed = false;
  for (const RelayedMessage& m : h_.Messages()) changed |= m.message == kMsgGameVersionChanged;
  EXPECT_TRUE(changed);
}

TEST_F(ApplyFlowTest, DiskShortageAnsweredContinueGoesOnToTheUpdate) {
  h_.KeepBoxesOpen();
  StartWith(kGameVersion1, kGameVersion2);
  platform::SetDiskSpaceQueryForTesting([](const std::string&, platform::DiskSpace* out) {
    out->total = uint64_t{1} << 40;
    out->available = 1024;
    return true;
  });
  FlowEnd waiting = RunGameFlow(false);
  ASSERT_EQ(waiting.typeId, kExceptionStateId);
  EXPECT_FALSE(waiting.offerRetry);
  ASSERT_TRUE(h_.WaitForBoxes(1));
  EXPECT_EQ(h_.BoxesAsked().size(), 1u);  // the disk box only, no error box

  h_.AnswerBox(0, 1);  // STRING_DOWNLOAD_CONTINUE
  FlowEnd done;
  ASSERT_TRUE(h_.WaitForFlowEnd(&done));
  ASSERT_EQ(done.typeId, kEnterGameStateId) << done.errorText << done.detail;
  ExpectGameIs(kGameVersion2);
}

TEST_F(ApplyFlowTest, RepairFetchesOnlyTheDamagedFileAgain) {
  StartWith(kGameVersion2, kGameVersion2);
  const std::string damaged = "Data/shared.assets";
  std::ofstream(h_.gameFolder() + damaged, std::ios::binary | std::ios::trunc) << "damaged";
  fs::create_directories(env_.File("home/.tezpc/cache"));

  mark_ = h_.RequestCount();
  RunOn(kThreadUI, [this] { h_.store().RepairGame(); });
  FlowEnd end;
  ASSERT_TRUE(h_.WaitForFlowEnd(&end));
  ASSERT_EQ(end.typeId, kEnterGameStateId) << end.errorText << end.detail;
  std::vector<std::string> files;
  for (const std::string& r : Requests()) {
    if (r.find("GET /dlc/") == 0 && r.find("version_map") == std::string::npos &&
        r.find("patch_list.txt") == std::string::npos) {
      files.push_back(r);
    }
  }
  ASSERT_FALSE(files.empty());
  for (const std::string& r : files) EXPECT_NE(r.find(damaged), std::string::npos) << r;
  EXPECT_FALSE(fs::exists(env_.File("home/.tezpc")));
  ExpectGameIs(kGameVersion2);
}

TEST_F(ApplyFlowTest, PauseToggleStopsTheTransfersAndResumesThem) {
  StartWith(kGameVersion1, kGameVersion1);
  RunOn(kThreadUI, [] { ToggleDownloadPause(); });
  bool paused = false;
  h_.RunOnWorker([&] { paused = DownloadManager::GetInstance().paused(); });
  EXPECT_TRUE(paused);
  RunOn(kThreadUI, [] { ToggleDownloadPause(); });
  h_.RunOnWorker([&] { paused = DownloadManager::GetInstance().paused(); });
  EXPECT_FALSE(paused);
  RunOn(kThreadUI, [] {});
  std::vector<int64_t> pauses;
  for (const RelayedMessage& m : h_.Messages()) {
    if (m.message == kMsgDownloadPaused) pauses.push_back(m.lParam);
  }
  EXPECT_EQ(pauses, (std::vector<int64_t>{1, 0}));
}

TEST_F(ApplyFlowTest, LauncherFlowStagesItsOwnFilesAndReloadsTheNewSkinPackage) {
  h_.KeepBoxesOpen();
  std::vector<bool> restarts;  // UI thread
  SetLauncherRestarter([&restarts](bool replace) { restarts.push_back(replace); });
  h_.InstallLauncher(publisher::kLauncherVersionOld);
  h_.publisher().ServeLauncherVersion(publisher::kLauncherVersionNew);
  h_.InstallGame(kGameVersion1);
  h_.publisher().ServeGameVersion(kGameVersion1);
  h_.Start();
  FlowEnd end;
  ASSERT_TRUE(h_.WaitForFlowEnd(&end));
  ASSERT_EQ(end.typeId, kEnterGameStateId);
  EXPECT_EQ(end.flow, kLauncherFlow);

  const publisher::FileSet& next = h_.content().launcherFiles.at(publisher::kLauncherVersionNew);
  const publisher::FileSet& old = h_.content().launcherFiles.at(publisher::kLauncherVersionOld);
  // The launcher itself, the browser files and the font wait in "update"
  // for the self-update copy; the old launcher still runs.
  EXPECT_EQ(FileMd5Hex(h_.updateFolder() + "launcher.exe"), next.at("launcher.exe").md5);
  EXPECT_EQ(FileMd5Hex(h_.programFolder() + "launcher.exe"), old.at("launcher.exe").md5);
  EXPECT_EQ(FileMd5Hex(h_.updateFolder() + "LomaN.ttf"), next.at("LomaN.ttf").md5);
  std::vector<std::string> browser;
  std::vector<std::string> fonts;
  EXPECT_TRUE(ReadJsonStringList(h_.updateFolder() + "cef_update.txt", browser));
  EXPECT_TRUE(ReadJsonStringList(h_.updateFolder() + "font_update.txt", fonts));
  EXPECT_TRUE(Contains(browser, "cef/jov_libcef.dll"));
  EXPECT_EQ(fonts, std::vector<std::string>{"LomaN.ttf"});
  // The skin package is in place and was reloaded through its copy.
  EXPECT_EQ(FileMd5Hex(h_.programFolder() + "resources.zip"), next.at("resources.zip").md5);
  EXPECT_EQ(FileMd5Hex(h_.updateFolder() + "tmp_resources.zip"), next.at("resources.zip").md5);
  EXPECT_EQ(ReadFile(h_.programFolder() + "launcher_version_map.txt"),
            ReadFile(h_.content().LauncherFolder(publisher::kLauncherVersionNew) +
                     "launcher_version_map.txt"));
  bool replaced = false;
  int32_t skinChanged = -1;
  h_.RunOnWorker([&] {
    replaced = h_.store().launcherReplaced;
    skinChanged = h_.store().skinPackageChanged;
  });
  EXPECT_TRUE(replaced);
  EXPECT_EQ(skinChanged, 0);
  // The user is asked once to restart; confirming restarts the launcher with
  // the staged one, and the flag is cleared so the exit does not replace it
  // a second time.
  ASSERT_TRUE(h_.WaitForBoxes(1));
  EXPECT_EQ(CountOf(h_.BoxesAsked(), "STRING_UPDATE_LAUNCHER"), 1u);
  h_.AnswerBox(0, 1);
  RunOn(kThreadUI, [] {});
  EXPECT_EQ(restarts, std::vector<bool>{true});
  h_.RunOnWorker([&] { replaced = h_.store().launcherReplaced; });
  EXPECT_FALSE(replaced);
  SetLauncherRestarter(nullptr);
}

}  // namespace
