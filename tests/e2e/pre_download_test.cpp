// The pre-download of the next game version end to end: the store and the
// worker against the local publisher, which serves the installed version
// 10077_0_2 on its mirror and 10077_0_3 as the pre-download.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>

#include "project/Launcher/core/flow/enter_game_state.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/pre_download_state.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/flow/update_flow.h"
#include "project/Launcher/services/download_manager.h"
#include "tests/e2e/worker_harness.h"
#include "tests/support/read_file.h"

namespace fs = std::filesystem;

namespace {

using publisher::FileSet;

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Requests of file contents (ranged GETs), probes of one byte left out.
std::vector<std::string> FileTransfers(const std::vector<std::string>& targets) {
  std::vector<std::string> files;
  for (const std::string& t : targets) {
    if (t.find(" bytes=") != std::string::npos && t.find(" bytes=0-0") == std::string::npos) {
      files.push_back(t.substr(0, t.find(" bytes=")));
    }
  }
  return files;
}

class PreDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h_.InstallLauncher(publisher::kLauncherVersionOld);
    h_.publisher().ServeLauncherVersion(publisher::kLauncherVersionOld);
    h_.InstallGame(publisher::kGameVersion2);
    h_.Start();
    FlowEnd end;
    ASSERT_TRUE(h_.WaitForFlowEnd(&end));
    ASSERT_EQ(end.typeId, kEnterGameStateId);
    // The idle poll has learnt the servers' game version; the game's windows
    // are a recorder.
    h_.RunOnWorker([this] {
      LauncherStore& store = h_.store();
      store.remoteGameVersion = publisher::kGameVersion2;
      GameWindowHooks hooks;
      hooks.findByProperty = [] { return std::vector<GameWindow>{GameWindow(7)}; };
      hooks.findByClass = [] { return std::vector<GameWindow>{GameWindow(7)}; };
      hooks.exists = [](GameWindow) { return true; };
      hooks.post = [this](GameWindow, uint32_t message, uint64_t wParam, int64_t lParam) {
        std::lock_guard<std::mutex> hold(gameLock_);
        gameMessages_.push_back({message, wParam, lParam});
        return true;
      };
      store.gameWindows().SetHooks(hooks);
      store.FindGameWindows();
    });
  }

  void StartPreDownloadOnWorker(bool download) {
    h_.RunOnWorker([this, download] {
      h_.store().preDownloadRequested = download;
      StartPreDownload(h_.store());
    });
  }

  std::string Folder() const { return h_.programFolder() + "update/predownload/10077_0_3/"; }

  // The digests the pre-download must hold: for each changed file its
  // patch from 10077_0_2 when there is one, else the file itself.
  std::set<std::string> ExpectedDigests() const {
    const FileSet& now = h_.content().gameFiles.at(publisher::kGameVersion2);
    const FileSet& next = h_.content().gameFiles.at(publisher::kGameVersion3);
    const FileSet& patches = h_.content().patchLists.at("game:10077_0_2");
    std::set<std::string> digests;
    for (const auto& [name, record] : next) {
      auto old = now.find(name);
      if (old != now.end() && old->second == record) continue;
      auto patch = patches.find(name);
      digests.insert(patch != patches.end() ? patch->second.md5 : record.md5);
    }
    return digests;
  }

  std::vector<RelayedMessage> GameMessages() {
    std::lock_guard<std::mutex> hold(gameLock_);
    return gameMessages_;
  }

  bool StateGone() {
    bool gone = false;
    h_.RunOnWorker([&] { gone = h_.store().preDownloadState == nullptr; });
    return gone;
  }

  // Before the harness: its worker posts to the game's windows until it stops.
  std::mutex gameLock_;
  std::vector<RelayedMessage> gameMessages_;
  WorkerHarness h_;
};

TEST_F(PreDownloadTest, CheckOnlyOffersThePreDownloadAndFetchesNoFile) {
  const size_t mark = h_.RequestCount();
  StartPreDownloadOnWorker(false);
  ASSERT_TRUE(h_.WaitForMessage(kMsgPreDownloadStatus, 1, 0));
  EXPECT_TRUE(StateGone());

  const std::vector<std::string> requests = h_.RequestTargets(mark);
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].rfind("GET /pre_download?channel=KOREA&udid=", 0), 0u) << requests[0];
  EXPECT_NE(std::find(requests.begin(), requests.end(), "GET /predl/version_map.txt"),
            requests.end());
  EXPECT_TRUE(FileTransfers(requests).empty()) << ::testing::PrintToString(requests);
  // The version's folder exists and is empty.
  EXPECT_TRUE(fs::is_directory(Folder()));
  EXPECT_TRUE(FilesIn(Folder()).empty());
  std::string version;
  h_.RunOnWorker([&] { version = h_.store().preDownloadVersion; });
  EXPECT_EQ(version, publisher::kGameVersion3);
}

TEST_F(PreDownloadTest, ContinueFetchesByDigestOnceAndTheUpdateThatFollowsFetchesNothingAgain) {
  const size_t mark = h_.RequestCount();
  StartPreDownloadOnWorker(true);
  ASSERT_TRUE(h_.WaitForMessage(kMsgPreDownloadStatus, 3, 0));
  EXPECT_TRUE(StateGone());

  // Every file and patch under its digest, the map under its final name.
  std::set<std::string> expected = ExpectedDigests();
  expected.insert("predownload_version_map.txt");
  std::set<std::string> present;
  for (const std::string& name : FilesIn(Folder())) {
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".cfg") != 0) present.insert(name);
  }
  EXPECT_EQ(present, expected);
  for (const std::string& name : ExpectedDigests()) {
    EXPECT_EQ(FileMd5Hex(Folder() + name), name);
  }
  EXPECT_EQ(ReadFile(Folder() + "predownload_version_map.txt"),
            ReadFile(h_.content().GameFolder(publisher::kGameVersion3) + "version_map.txt"));

  // Each digest was fetched once, all of it from the pre-download servers;
  // the twin files of one content make one transfer.
  const std::vector<std::string> transfers = FileTransfers(h_.RequestTargets(mark));
  const std::set<std::string> distinct(transfers.begin(), transfers.end());
  for (const std::string& t : distinct) EXPECT_EQ(t.rfind("GET /predl/", 0), 0u) << t;
  EXPECT_EQ(std::count_if(distinct.begin(), distinct.end(),
                          [](const std::string& t) { return t.find("twin_") != std::string::npos; }),
            1);

  // The game heard that the pre-download runs and then that it finished.
  // The worker may tell the game after it told the window: let it run its
  // ticks (a round trip each) until the second reply is there, or give up.
  std::vector<std::pair<uint64_t, int64_t>> replies;
  for (int round = 0; round < 5000 && replies.size() < 2; ++round) {
    h_.RunOnWorker([] {});
    replies.clear();
    for (const RelayedMessage& m : GameMessages()) {
      if (m.message == kMsgPreDownloadActionReply) replies.push_back({m.wParam, m.lParam});
    }
  }
  EXPECT_EQ(replies, (std::vector<std::pair<uint64_t, int64_t>>{{0, 3}, {0, 4}}));
  std::vector<std::string> folders;
  h_.RunOnWorker([&] { folders = h_.store().preDownloadFolders; });
  EXPECT_EQ(std::count(folders.begin(), folders.end(), publisher::kGameVersion3), 1);

  // The release: the mirror now serves 10077_0_3. The game update takes
  // every file from the pre-download and fetches none again.
  h_.publisher().ServeGameVersion(publisher::kGameVersion3);
  const size_t updateMark = h_.RequestCount();
  h_.StartGameCheck();
  FlowEnd end;
  ASSERT_TRUE(h_.WaitForFlowEnd(&end));
  EXPECT_EQ(end.typeId, kApplyUpdateStateId) << end.errorText;
  EXPECT_TRUE(FileTransfers(h_.RequestTargets(updateMark)).empty())
      << ::testing::PrintToString(h_.RequestTargets(updateMark));
}

TEST_F(PreDownloadTest, AnIdlePollDuringThePreDownloadDoesNotRedirectIt) {
  // The pre-download's transfers crawl, so the poll falls in the middle.
  const FileSet& next = h_.content().gameFiles.at(publisher::kGameVersion3);
  testsrv::Fault slow;
  slow.throttle = 64 * 1024;
  for (const auto& entry : next) h_.publisher().SetFault("/predl/" + entry.first, slow);
  h_.publisher().SetFault("/predl/patchs/10077_0_2/KVOR.exe.patch", slow);

  const size_t mark = h_.RequestCount();
  StartPreDownloadOnWorker(true);
  ASSERT_TRUE(h_.WaitForMessage(kMsgPreDownloadStatus, 2, 1));
  size_t pollMark = 0;
  h_.RunOnWorker([&] {
    LauncherStore& store = h_.store();
    // The harness's idle stand-in makes way for the real idle state.
    store.ChangeState(nullptr);
    store.ChangeState(std::make_unique<EnterGameState>());
    ASSERT_NE(store.currentState(), nullptr);
    pollMark = h_.RequestCount();
    // The first tick of the idle state polls, synchronously.
    store.currentState()->Update();
  });
  const std::vector<std::string> poll = h_.RequestTargets(pollMark);
  EXPECT_NE(std::find(poll.begin(), poll.end(), "GET /dlc/version_map.txt"), poll.end())
      << ::testing::PrintToString(poll);

  ASSERT_TRUE(h_.WaitForMessage(kMsgPreDownloadStatus, 3, 0, std::chrono::seconds(60)));
  for (const std::string& t : FileTransfers(h_.RequestTargets(mark))) {
    EXPECT_EQ(t.rfind("GET /predl/", 0), 0u) << t;
  }
  EXPECT_TRUE(fs::exists(Folder() + "predownload_version_map.txt"));
}

TEST_F(PreDownloadTest, AFailedFileStopsEveryTransferAndShowsTheError) {
  testsrv::Fault missing;
  missing.status = 404;
  missing.body = "gone";
  const FileSet& next = h_.content().gameFiles.at(publisher::kGameVersion3);
  for (const auto& entry : next) {
    if (entry.first.find("config.json") != std::string::npos) {
      h_.publisher().SetFault("/predl/" + entry.first, missing);
    }
  }
  h_.publisher().SetFault("/predl/patchs/10077_0_2/Data/StreamingAssets/config.json.patch",
                          missing);
  StartPreDownloadOnWorker(true);
  ASSERT_TRUE(h_.WaitForMessage(kMsgPreDownloadStatus, 0, 0, std::chrono::seconds(60)));
  size_t transfers = 1;
  h_.RunOnWorker([&] {
    DownloadManager& downloads = DownloadManager::GetInstance();
    transfers = downloads.pending_count() + downloads.active_count();
  });
  EXPECT_EQ(transfers, 0u);
  EXPECT_FALSE(fs::exists(Folder() + "predownload_version_map.txt"));
  // The error box was asked for right after the panel was cleared.
  h_.RunOnUi([] {});
  EXPECT_FALSE(h_.BoxesAsked().empty());
}

// The idle state sends the queued usage events, one a tick, oldest first.
TEST_F(PreDownloadTest, TheIdleStateSendsOneQueuedEventATick) {
  std::vector<size_t> queuedAfter;
  std::vector<std::string> bodiesAfter;
  auto trackBodies = [this] {
    std::vector<std::string> bodies;
    for (const auto& record : h_.publisher().Requests()) {
      if (record.path == "/track/json_track" && record.body.rfind("{\"demo\"", 0) == 0) {
        bodies.push_back(record.body);
      }
    }
    return bodies;
  };
  h_.RunOnWorker([&] {
    LauncherStore& store = h_.store();
    store.ChangeState(nullptr);
    store.ChangeState(std::make_unique<EnterGameState>());
    DownloadManager& downloads = DownloadManager::GetInstance();
    downloads.SendEvent("{\"demo\":1}", downloads.track_url(), false);
    downloads.SendEvent("{\"demo\":2}", downloads.track_url(), false);
    for (int tick = 0; tick < 3; ++tick) {
      store.currentState()->Update();
      queuedAfter.push_back(downloads.queued_event_count());
      bodiesAfter.push_back(trackBodies().empty() ? "" : trackBodies().back());
    }
  });
  EXPECT_EQ(queuedAfter, (std::vector<size_t>{1, 0, 0}));
  EXPECT_EQ(bodiesAfter, (std::vector<std::string>{"{\"demo\":1}", "{\"demo\":2}",
                                                   "{\"demo\":2}"}));
  EXPECT_EQ(trackBodies().size(), 2u);
}

}  // namespace
