#include "project/Launcher/core/flow/enter_game_state.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

#include <json/json.h>

#include "base/util/string_util.h"
#include "platform/clock/clock.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/gate_config.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/device_id.h"
#include "project/Launcher/services/download_manager.h"
#include "platform/files/folder_operations.h"
#include "project/Launcher/services/file_md5.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/json_helpers.h"
#include "platform/files/file_operations.h"

namespace {

std::mutex g_hookLock;
std::function<void()>& PreDownloadStarter() {
  static std::function<void()> starter;
  return starter;
}
std::function<void(bool)>& LauncherRestarter() {
  static std::function<void(bool)> restarter;
  return restarter;
}

// Worker only: the last page refresh, process-wide (never reset on entry).
int64_t g_lastRefresh = 0;

int64_t NowMilliseconds() { return platform::NowMicroseconds() / 1000; }

uint32_t PeriodOf(int32_t minutes, uint32_t otherwise, uint32_t extra) {
  if (minutes >= 1 && minutes <= 99) return static_cast<uint32_t>(minutes) * 60000u + extra;
  return otherwise;
}

// Moves a file of the program's "save" folder into the game's.
void HandOver(const std::string& name, const std::string& gameSave) {
  const std::string source = NormalizePath(SaveFolder(), true) + name;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(source, ec)) return;
  if (platform::CopyFileAtomically(source, gameSave + name)) platform::RemoveFileIfPresent(source);
}

// The poll must not leave its servers to a pre-download that is running: the
// download manager's servers are put back when the poll ends.
class MirrorsKept {
 public:
  MirrorsKept()
      : mirrors_(DownloadManager::GetInstance().mirrors()),
        dlc_(DownloadManager::GetInstance().dlc_urls()) {}
  ~MirrorsKept() {
    DownloadManager& downloads = DownloadManager::GetInstance();
    downloads.SetDlcUrls(dlc_);
    downloads.SetMirrors(mirrors_);
  }
  MirrorsKept(const MirrorsKept&) = delete;
  MirrorsKept& operator=(const MirrorsKept&) = delete;

 private:
  std::vector<std::string> mirrors_;
  std::vector<std::string> dlc_;
};

}  // namespace

void EnterGameState::SetPreDownloadStarter(std::function<void()> starter) {
  std::lock_guard<std::mutex> hold(g_hookLock);
  PreDownloadStarter() = std::move(starter);
}

void EnterGameState::ResetRefreshForTesting() { g_lastRefresh = 0; }

void SetLauncherRestarter(std::function<void(bool)> restarter) {
  std::lock_guard<std::mutex> hold(g_hookLock);
  LauncherRestarter() = std::move(restarter);
}

void RestartLauncher() {
  LauncherStore& store = LauncherStore::GetInstance();
  if (!store.mainWindow()) return;
  std::function<void(bool)> restarter;
  {
    std::lock_guard<std::mutex> hold(g_hookLock);
    restarter = LauncherRestarter();
  }
  // Cleared before the window closes, so the clean-up at exit does not
  // start a second replacement.
  const bool replace = store.launcherReplaced.exchange(false);
  if (restarter) restarter(replace);
}

void EnterGameState::Enter(State*) {
  LauncherStore& store = this->store();
  store.PostToMainWindow(kMsgRefreshState, 0, 0);
  result = kStatePending;
  pollStep = 0;
  dlcServers.clear();
  preDownloadServers.clear();
  const GateConfig gate = store.gateConfig;
  refreshPeriod = PeriodOf(gate.RefreshInterval, 28800000u, 0);
  recheckPeriod = PeriodOf(gate.UpdateInterval, 43200000u, 0);
  pollPeriod = PeriodOf(gate.UpdateInterval, 1860000u, 60000u);
  lastRecheck_ = NowMilliseconds();
  lastPoll_ = 0;
  polledOnce_ = false;

  if (store.launcherReplaced || store.browserFilesChanged || store.fontsChanged) {
    if (store.updateNoticePending) AskForRestart();
    return;
  }
  if (store.TakeEnterGameRequest()) StartGame();
}

void EnterGameState::AskForRestart() {
  LauncherStore& store = this->store();
  store.updateNoticePending = false;
  store.PostToMainWindow(kMsgShowLauncher, 0, 0);
  MessageBoxRequest box;
  box.titleKey = "STRING_UPDATE_NOTICE";
  box.contentKey = "STRING_UPDATE_LAUNCHER";
  box.secondButtonKey = "STRING_CONFIRM";
  if (store.forceLauncherUpdate) {
    box.continuation = [](int32_t) { RestartLauncher(); };
  } else {
    box.firstButtonKey = "STRING_CANCEL";
    box.continuation = [](int32_t answer) {
      if (answer == 1) RestartLauncher();
    };
  }
  store.ShowMessageBox(std::move(box));
}

void EnterGameState::StartGame() {
  LauncherStore& store = this->store();
  const std::string game = store.GameFolder();
  std::string md5;
  int64_t size = 0;
  std::ifstream map(game + "version_map.txt", std::ios::binary);
  if (!map.is_open() || !FileMd5(map, md5, size)) {
    MessageBoxRequest box;
    box.titleKey = "STRING_ERROR_NOTICE";
    box.contentKey = "STRING_ERROR_CHECK_GAME_FAILED";
    box.secondButtonKey = "STRING_CONFIRM";
    store.ShowMessageBox(std::move(box));
    return;
  }
  store.UpdateDownloadLog([](DownloadLog& log) {
    log.downloadSize = 0;
    log.downloadSpeed = 0;
    log.downloadTime = 0;
  });
  const std::string gameSave = game + "save/";
  if (!platform::IsFolder(gameSave)) platform::CreateFolders(gameSave);
  HandOver("gid.txt", gameSave);
  HandOver("TransToGame", gameSave);

  std::vector<int32_t> free;
  CollectFreeGameSlots(&free);
  if (free.empty()) {
    MessageBoxRequest box;
    box.titleKey = "STRING_ERROR_NOTICE";
    box.contentKey = "STRING_ERROR_EXCEED_MAX_GAME_INSTANCE";
    box.secondButtonKey = "STRING_CONFIRM";
    store.ShowMessageBox(std::move(box));
    return;
  }
  store.PostToMainWindow(kMsgHideLauncher, 0, 0);
  store.LaunchGame(md5, free.front());
  if (store.DownloadLogCopy().firstInstall) {
    store.UpdateDownloadLog([](DownloadLog& log) { log.firstInstall = false; });
    store.SaveDownloadLog();
  }
}

void EnterGameState::Update() {
  LauncherStore& store = this->store();
  const int64_t now = NowMilliseconds();
  if (now - g_lastRefresh >= refreshPeriod) {
    g_lastRefresh = now;
    store.PostToMainWindow(kMsgRefreshPages, 0, 0);
  }
  if (pollStep != 0) return;
  DownloadManager::GetInstance().SendQueuedEvent();
  if (pollStep != 0) return;
  if (now - lastRecheck_ >= recheckPeriod) {
    lastRecheck_ = now;
    store.StartLauncherCheck();
    return;
  }
  if (polledOnce_ && now - lastPoll_ < pollPeriod) return;
  if (store.localGameVersion.empty()) return;
  lastPoll_ = now;
  polledOnce_ = true;
  MirrorsKept kept;
  Request(1, "pre_download?channel=KOREA&udid=" + DeviceId(),
          DownloadManager::GetInstance().gate_urls());
}

bool EnterGameState::HasWork() const {
  return pollStep != 0 || DownloadManager::GetInstance().queued_event_count() > 0;
}

int64_t EnterGameState::NextDeadlineMs() const {
  // The times at which Update acts, as it tests them.
  int64_t next = g_lastRefresh + refreshPeriod;
  next = std::min<int64_t>(next, lastRecheck_ + recheckPeriod);
  if (!store().localGameVersion.empty()) {
    next = std::min<int64_t>(next, polledOnce_ ? lastPoll_ + pollPeriod : NowMilliseconds());
  }
  return std::max<int64_t>(next, 1);
}

void EnterGameState::Request(int32_t step, const std::string& path,
                             const std::vector<std::string>& servers) {
  pollStep = step;
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetMirrors(servers);
  // Synchronous: the answer has been handled when this returns.
  if (!downloads.DownloadMemory(path, std::string(), RouteRequestDoneCallback(), JobToken()) &&
      pollStep == step) {
    pollStep = 0;
  }
}

void EnterGameState::OnRequestDone(int32_t code, std::string, std::string body, std::string) {
  if (code < 0) {
    if (pollStep == 1) {
      OnPreDownloadInfo("{}");
    } else if (pollStep == 5) {
      OnPreDownloadPatchList("{}");
    } else {
      pollStep = 0;
    }
    return;
  }
  switch (pollStep) {
    case 1: OnPreDownloadInfo(body); break;
    case 2: OnGateReply(body); break;
    case 3: OnRemoteGameMap(body); break;
    case 4: OnPreDownloadMap(body); break;
    case 5: OnPreDownloadPatchList(body); break;
    default: pollStep = 0; break;
  }
}

void EnterGameState::OnPreDownloadInfo(const std::string& body) {
  pollStep = 0;
  preDownloadServers.clear();
  Json::Value root;
  Json::Value info;
  Json::Value parsed;
  Json::Value servers;
  std::string text;
  std::string error;
  if (ParseJson(body, root, error) && FindJsonKey(root, "info", info) &&
      JsonValueToText(info.isArray() && !info.empty() ? info[0] : info, &text) &&
      ParseJson(text, parsed, error) && FindJsonKey(parsed, "KOREA_pc_addr", servers)) {
    ServerTexts(servers, &preDownloadServers);
  }
  const std::string gate = BuildGateUrl(store(), DeviceId());
  Request(2, gate, DownloadManager::GetInstance().gate_urls());
}

void EnterGameState::OnGateReply(const std::string& body) {
  pollStep = 0;
  Json::Value root;
  Json::Value dlc;
  std::string error;
  if (!ParseJson(body, root, error) || !FindJsonKey(root, "DlcAddr", dlc) ||
      !ServerTexts(dlc, &dlcServers)) {
    return;
  }
  if (preDownloadServers.empty()) {
    Json::Value others;
    Json::Value settings;
    Json::Value preDlc;
    std::string text;
    if (FindJsonKey(root, "Others", others) && JsonValueToText(others, &text) &&
        ParseJson(text, settings, error) && FindJsonKey(settings, "PreDlcAddr", preDlc)) {
      ServerTexts(preDlc, &preDownloadServers);
    }
  }
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetDlcUrls(dlcServers);
  Request(3, "version_map.txt", downloads.dlc_urls());
}

void EnterGameState::OnRemoteGameMap(const std::string& body) {
  LauncherStore& store = this->store();
  pollStep = 0;
  // The map's version in either form ("version" as text beside "list", or
  // as an object with "md5"): a list-form map must not hide a new version.
  VersionMap map;
  std::string error;
  if (!ParseVersionMap(body, &map, &error)) return;
  const std::string text = GetVersionMapVersion(map);
  if (text.empty()) return;
  store.remoteGameVersion = text;
  if (store.IsGameUpdateAvailable()) store.PostToMainWindow(kMsgGameVersionChanged, 0, 0);
  if (store.preDownloadState || store.preDownloadPausedByUser) return;
  if (!store.preDownloadFolders.empty() && store.PrunePreDownloadFolders() <= 0) {
    store.PostToMainWindow(kMsgPreDownloadStatus, 0, 0);
  }
  if (preDownloadServers.empty()) {
    store.PostToMainWindow(kMsgPreDownloadStatus, 0, 0);
    return;
  }
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetDlcUrls(preDownloadServers);
  Request(4, "version_map.txt", downloads.dlc_urls());
}

void EnterGameState::OnPreDownloadMap(const std::string& body) {
  LauncherStore& store = this->store();
  pollStep = 0;
  VersionMap map;
  std::string error;
  if (!ParseVersionMap(body, &map, &error)) return;
  store.versionMaps["_remote_predownload_version_"] = map;
  const std::string version = GetVersionMapVersion(map);
  if (version.empty()) return;
  store.preDownloadVersion = version;
  if (ComparePreDownloadVersion(version, store.localGameVersion, store.remoteGameVersion) != 1) {
    store.PostToMainWindow(kMsgPreDownloadStatus, 0, 0);
    return;
  }
  if (store.patchOption > 0) {
    DownloadManager& downloads = DownloadManager::GetInstance();
    downloads.SetDlcUrls(preDownloadServers);
    Request(5, MakePatchUrl(store, kGameFlow, "patch_list.txt"), downloads.dlc_urls());
    return;
  }
  PublishPreDownloadStatus();
}

void EnterGameState::OnPreDownloadPatchList(const std::string& body) {
  pollStep = 0;
  VersionMap patches;
  std::string error;
  ParseVersionMap(body, &patches, &error);
  store().versionMaps["_predownload_patch_version_"] = patches;
  PublishPreDownloadStatus();
}

void EnterGameState::PublishPreDownloadStatus() {
  LauncherStore& store = this->store();
  const int32_t r = store.CheckPreDownloadMap();
  if (r < 0) {
    store.PostToMainWindow(kMsgPreDownloadStatus, 0, 0);
    return;
  }
  if (r == 0) {
    store.PostToMainWindow(kMsgPreDownloadStatus, 3, 0);
    return;
  }
  if (store.preDownloadRequested) {
    std::function<void()> starter;
    {
      std::lock_guard<std::mutex> hold(g_hookLock);
      starter = PreDownloadStarter();
    }
    if (starter) starter();
    return;
  }
  if (!store.LoadLocalGameVersionMap()) {
    store.PostToMainWindow(kMsgPreDownloadStatus, 0, 0);
    return;
  }
  VersionMap local = store.versionMaps["_local_game_version_"];
  VersionMap& changed = store.versionMaps["_update_predownload_version_"];
  changed.clear();
  std::vector<std::string> removed;
  DiffVersionMaps(&local, store.versionMaps["_remote_predownload_version_"], &changed, &removed);
  if (changed.empty()) {
    store.PostToMainWindow(kMsgPreDownloadStatus, 3, 0);
    return;
  }
  const VersionMap& patches = store.versionMaps["_predownload_patch_version_"];
  const bool patching = store.patchOption > 0 && !patches.empty();
  uint64_t size = 0;
  for (const auto& [name, entry] : changed) {
    auto patch = patches.find(name);
    size += static_cast<uint64_t>(patching && patch != patches.end() ? patch->second.size
                                                                     : entry.size);
  }
  store.preDownloadSize = size;
  store.PostToMainWindow(kMsgPreDownloadStatus, 1, 0);
}
