#include "project/Launcher/core/flow/pre_download_state.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <filesystem>
#include <set>
#include <utility>

#include <json/json.h>

#include "base/thread/thread_registry.h"
#include "base/util/string_util.h"
#include "project/Launcher/core/gate_config.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/device_id.h"
#include "project/Launcher/services/download_manager.h"
#include "platform/files/file_operations.h"
#include "platform/files/folder_operations.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/usage_events.h"

namespace fs = std::filesystem;

namespace {

constexpr char kTempMapName[] = "tmp_predownload_version_map.txt";
constexpr char kMapName[] = "predownload_version_map.txt";

// A digest that may name a file of the pre-download folder: exactly 32
// lower-case hexadecimal digits, so no map can make it a path.
bool IsDigestName(const std::string& md5) {
  if (md5.size() != 32) return false;
  for (char c : md5) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'a' || c > 'f')) return false;
  }
  return true;
}

PreDownloadState* CurrentPreDownload(int32_t token) {
  State* state = LauncherStore::GetInstance().preDownloadState.get();
  if (state == nullptr || state->JobToken() != token) return nullptr;
  return static_cast<PreDownloadState*>(state);
}

}  // namespace

std::string BuildPreDownloadUrl(const std::string& deviceId) {
  std::string device;
  for (char c : deviceId) {
    if (!std::isspace(static_cast<unsigned char>(c))) device += c;
  }
  return "pre_download?channel=KOREA&udid=" + PercentEncode(device);
}

bool ParsePreDownloadReply(const std::string& text, std::vector<std::string>* servers,
                           std::string* error) {
  servers->clear();
  Json::Value root, info, inner, list;
  std::string infoText;
  if (!ParseJson(text, root, *error) || !FindJsonKey(root, "info", info)) return false;
  const Json::Value& document = info.isArray() && !info.empty() ? info[0] : info;
  if (!JsonValueToText(document, &infoText) || !ParseJson(infoText, inner, *error)) return false;
  if (!FindJsonKey(inner, "KOREA_pc_addr", list)) return false;
  return ServerTexts(list, servers);
}

bool ParseGateDlcAddr(const std::string& text, std::vector<std::string>* servers,
                      std::vector<std::string>* preDownloadServers, std::string* error,
                      bool withOthers) {
  servers->clear();
  if (withOthers) preDownloadServers->clear();
  Json::Value root, dlc;
  if (!ParseJson(text, root, *error)) return false;
  if (!FindJsonKey(root, "DlcAddr", dlc) || !ServerTexts(dlc, servers)) {
    *error = "Get DlcAddr failed";
    return false;
  }
  if (withOthers) {
    Json::Value others, settings, preDlc;
    std::string othersText, ignored;
    if (FindJsonKey(root, "Others", others) && JsonValueToText(others, &othersText) &&
        ParseJson(othersText, settings, ignored) && FindJsonKey(settings, "PreDlcAddr", preDlc)) {
      ServerTexts(preDlc, preDownloadServers);
    }
  }
  return true;
}

void StopPreDownload(LauncherStore& store, bool immediately) {
  auto stop = [&store] {
    if (!store.preDownloadState) return;
    store.preDownloadState->Leave(nullptr);
    store.preDownloadState.reset();
  };
  if (immediately) {
    stop();
  } else {
    kbase::ThreadRegistry::PostTask(kThreadMisc, stop);
  }
}

FileDoneCallback RoutePreDownloadFileDone() {
  return [](int32_t user, int32_t code, std::string url, std::string error) {
    if (PreDownloadState* state = CurrentPreDownload(user)) {
      state->OnFileDone(code, std::move(url), std::move(error));
    }
  };
}

ProgressCallback RoutePreDownloadProgress() {
  return [](int32_t user, double bytesPerSecond) {
    if (PreDownloadState* state = CurrentPreDownload(user)) state->OnProgress(bytesPerSecond);
  };
}

MemoryDoneCallback RoutePreDownloadRequestDone() {
  return [](int32_t user, int32_t code, std::string url, const char* data, int64_t length,
            std::string error) {
    PreDownloadState* state = CurrentPreDownload(user);
    if (state == nullptr) return;
    std::string body;
    if (data != nullptr && length > 0) body.assign(data, static_cast<size_t>(length));
    state->OnRequestDone(code, std::move(url), std::move(body), std::move(error));
  };
}

ProbeDoneCallback RoutePreDownloadProbeDone() {
  return [](int32_t user, int32_t code, std::string url, bool exists, std::string error) {
    if (PreDownloadState* state = CurrentPreDownload(user)) {
      state->OnProbeDone(code, std::move(url), exists, std::move(error));
    }
  };
}

void PreDownloadState::Enter(State*) {
  mode = kGameFlow;
  platform::CreateFolders(PreDownloadFolder());
  hasFiles_ = false;
  step_ = kPreDownloadRequest;
  result = kPreDownloadRequest;
  store().PostToMainWindow(kMsgPreDownloadStatus, 2, 0);
}

void PreDownloadState::Request(const std::string& path, const std::vector<std::string>& servers) {
  result = kStatePending;
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetMirrors(servers);
  // Synchronous: the answer has been handled when this returns.
  downloads.DownloadMemory(path, std::string(), RoutePreDownloadRequestDone(), JobToken());
}

void PreDownloadState::Update() {
  DownloadManager& downloads = DownloadManager::GetInstance();
  if (result > 0) {
    switch (step_) {
      case kPreDownloadRequest:
        Request(BuildPreDownloadUrl(DeviceId()), downloads.gate_urls());
        return;
      case kGateRequest:
        Request(BuildGateUrl(store(), DeviceId()), downloads.gate_urls());
        return;
      case kRemoteMap:
        Request("version_map.txt", downloads.dlc_urls());
        return;
      case kPatchList:
        Request(MakePatchUrl(store(), kGameFlow, "patch_list.txt"), downloads.dlc_urls());
        return;
      case kDownloads:
        StartDownloads();
        return;
      case kFinish:
        Finish();  // the state is gone afterwards
        return;
      default:
        return;
    }
  }
  if (result == kStateFailed && step_ == kFailed) {
    HandleFailure();  // the state may be gone afterwards
    return;
  }
  if (result == kStatePending && step_ == kDownloads) CheckCompletion();
}

void PreDownloadState::FailStep(int32_t code, std::string text, std::string detailText) {
  Fail(code, std::move(text), std::move(detailText));
  step_ = kFailed;
}

void PreDownloadState::OnRequestDone(int32_t code, std::string url, std::string body,
                                     std::string transportError) {
  result = kStateFailed;
  if (code < 0) {
    if (step_ == kPatchList) {
      step_ = result = kDownloads;  // on without patches
    } else if (step_ == kPreDownloadRequest) {
      step_ = result = kGateRequest;
    } else {
      FailStep(code, "PreDlc Request:7 Failed:" + transportError, url);
    }
    return;
  }
  std::string error;
  switch (step_) {
    case kPreDownloadRequest: {
      std::vector<std::string> servers;
      if (ParsePreDownloadReply(body, &servers, &error)) {
        DownloadManager::GetInstance().SetDlcUrls(servers);
        step_ = result = kRemoteMap;
      } else {
        step_ = result = kGateRequest;
      }
      return;
    }
    case kGateRequest: {
      std::vector<std::string> servers, preDownloadServers;
      if (!ParseGateDlcAddr(body, &servers, &preDownloadServers, &error, true)) {
        FailStep(0, "PreDlc parse gate dlcAddr Failed:" + error, body);
      } else if (preDownloadServers.empty()) {
        FailStep(0, std::string(), std::string());  // nothing offered: ends without a word
      } else {
        DownloadManager::GetInstance().SetDlcUrls(preDownloadServers);
        step_ = result = kRemoteMap;
      }
      return;
    }
    case kRemoteMap:
      OnRemoteMap(body);
      return;
    case kPatchList: {
      VersionMap& patches = store().ResetVersionMap("_predownload_patch_version_");
      if (!ParseVersionMap(body, &patches, &error)) patches.clear();
      step_ = result = kDownloads;
      return;
    }
    default:
      FailStep(0, "PreDlc Request:7 Failed: unknown", url);
      return;
  }
}

void PreDownloadState::OnRemoteMap(const std::string& body) {
  LauncherStore& store = this->store();
  std::string error;
  VersionMap& remote = store.ResetVersionMap("_remote_predownload_version_");
  if (!ParseVersionMap(body, &remote, &error)) {
    remote.clear();
    FailStep(0, "PreDlc parse remote Failed: :" + error, body);
    return;
  }
  const std::string version = GetVersionMapVersion(remote);
  const int r = ComparePreDownloadVersion(version, store.localGameVersion, store.remoteGameVersion);
  if (r != 1) {
    std::string text;
    if (r == -7) text = kbase::UTF16ToUTF8(store.LanguageText("STRING_ERROR_DLC_OUTDATED"));
    else if (r == -6) text = kbase::UTF16ToUTF8(store.LanguageText("STRING_ERROR_DLC_LAST"));
    else if (r == -5) text = kbase::UTF16ToUTF8(store.LanguageText("STRING_ERROR_DLC_FIRST"));
    // A language table without the key still shows a failure.
    if (text.empty()) text = "PreDlc check failed:" + std::to_string(r);
    FailStep(0, text, std::string());
    return;
  }
  store.preDownloadVersion = version;
  folder_ = store.PreDownloadVersionFolder(version);  // a strict triple: r was 1
  platform::CreateFolders(folder_);
  if (store.preDownloadRequested) platform::WriteFileAtomically(folder_ + kTempMapName, body);

  VersionMap& update = store.ResetVersionMap("_update_predownload_version_");
  if (store.LoadLocalGameVersionMap()) {
    std::vector<std::string> removed;
    DiffVersionMaps(&store.versionMaps["_local_game_version_"], remote, &update, &removed);
  }
  if (update.empty()) {
    step_ = result = kFinish;
    return;
  }
  hasFiles_ = true;
  if (!store.preDownloadRequested) {
    step_ = result = kFinish;
    return;
  }
  store.ResetVersionMap("_predownload_patch_version_");
  step_ = result =
      store.patchOption > 0 && !store.localGameVersion.empty() ? kPatchList : kDownloads;
}

void PreDownloadState::StartDownloads() {
  LauncherStore& store = this->store();
  result = kStatePending;
  std::string probed;
  if (store.patchOption > 0) {
    const VersionMap& patches = store.versionMaps["_predownload_patch_version_"];
    for (const auto& entry : store.versionMaps["_update_predownload_version_"]) {
      if (patches.count(entry.first)) {
        probed = entry.first;
        break;
      }
    }
  }
  if (probed.empty()) {
    QueueDownloads(false);
    return;
  }
  // The extension of the patches is learnt from a patch this job needs.
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetMirrors(downloads.dlc_urls());
  probe_.Start(store, kGameFlow, probed, RoutePreDownloadProbeDone(), JobToken());
}

void PreDownloadState::OnProbeDone(int32_t code, std::string url, bool exists,
                                   std::string transportError) {
  if (result == kStateFailed) return;
  switch (probe_.OnProbeDone(store(), code, exists)) {
    case PatchExtensionProbe::Outcome::kFailed:
      FailStep(code, transportError, url);
      return;
    case PatchExtensionProbe::Outcome::kFound:
      QueueDownloads(true);
      return;
    case PatchExtensionProbe::Outcome::kNotOffered:
      QueueDownloads(false);  // no patch under either name: whole files
      return;
    case PatchExtensionProbe::Outcome::kAsked:
    case PatchExtensionProbe::Outcome::kNotAsked:
      return;
  }
}

void PreDownloadState::QueueDownloads(bool patchesOffered) {
  LauncherStore& store = this->store();
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetMirrors(downloads.dlc_urls());
  downloads.CancelAllTasks(1);
  queued_ = true;
  result = kStatePending;
  downloads.ResetSpeedStats();

  const VersionMap& update = store.versionMaps["_update_predownload_version_"];
  const VersionMap& patches = store.versionMaps["_predownload_patch_version_"];
  const bool usePatches = patchesOffered && store.patchOption > 0 && !patches.empty();
  // Checked before anything is queued: every digest names a file here.
  for (const auto& [path, entry] : update) {
    auto patch = patches.find(path);
    const std::string& md5 =
        usePatches && patch != patches.end() ? patch->second.md5 : entry.md5;
    if (!IsDigestName(md5)) {
      FailStep(0, "PreDlc bad digest:" + md5, path);
      return;
    }
  }
  std::set<std::string> queued;
  int64_t total = 0;
  pendingFiles_ = 0;
  for (const auto& [path, entry] : update) {
    std::string url = path;
    VersionEntry wanted = entry;
    auto patch = patches.find(path);
    if (usePatches && patch != patches.end()) {
      url = MakePatchUrl(store, kGameFlow, path + PatchExtension());
      wanted = patch->second;
    }
    // Two paths with one content are one file here: fetched once.
    if (!queued.insert(wanted.md5).second) continue;
    ++pendingFiles_;
    total += wanted.size;
    downloads.DownloadFile(url, folder_ + wanted.md5, wanted.md5, wanted.size,
                           RoutePreDownloadFileDone(), RoutePreDownloadProgress(), JobToken(), 0,
                           0);
  }
  downloads.SetJob(total);
  store.PostToMainWindow(kMsgDownloadProgress, static_cast<uint64_t>(total),
                         downloads.downloaded_bytes());
  store.PostToMainWindow(kMsgPreDownloadStatus, 2, 1);
  store.PostToGameWindows(kMsgPreDownloadActionReply, 0, 3);
}

void PreDownloadState::OnFileDone(int32_t code, std::string url, std::string transportError) {
  if (code >= 0) {
    --pendingFiles_;
    return;
  }
  if (result != kStateFailed) FailStep(code, transportError, url);
}

void PreDownloadState::OnProgress(double bytesPerSecond) {
  DownloadManager::GetInstance().AddSpeedSample(bytesPerSecond);
}

void PreDownloadState::CheckCompletion() {
  if (pendingFiles_ > 0) return;
  std::error_code ec;
  if (fs::exists(folder_ + kTempMapName, ec)) {
    platform::MoveFileReplacing(folder_ + kTempMapName, folder_ + kMapName);
  }
  hasFiles_ = false;
  step_ = result = kFinish;
  DownloadManager::GetInstance().ReportDownloadSpeed("done");
}

void PreDownloadState::Finish() {
  LauncherStore& store = this->store();
  step_ = kIdle;
  result = kStatePending;
  if (hasFiles_) {
    store.PostToMainWindow(kMsgPreDownloadStatus, 1, 0);
  } else {
    std::vector<std::string>& folders = store.preDownloadFolders;
    if (std::find(folders.begin(), folders.end(), store.preDownloadVersion) == folders.end()) {
      folders.push_back(store.preDownloadVersion);
    }
    store.PostToMainWindow(kMsgPreDownloadStatus, 3, 0);
    store.PostToGameWindows(kMsgPreDownloadActionReply, 0, 4);
  }
  store.preDownloadRequested = false;
  if (queued_) DownloadManager::GetInstance().CancelAllTasks(0);
  // Nothing of this object is touched after the store lets it go.
  std::unique_ptr<State> self = std::move(store.preDownloadState);
  Leave(nullptr);
}

void PreDownloadState::HandleFailure() {
  LauncherStore& store = this->store();
  step_ = kIdle;
  // The transfers already queued stop with the failure; their resume
  // records stay for the next attempt.
  if (queued_) DownloadManager::GetInstance().CancelAllTasks(0);
  store.PostToMainWindow(kMsgPreDownloadStatus, 0, 0);
  store.preDownloadRequested = false;
  if (!errorText.empty()) {
    LauncherStore* storePointer = &store;
    ShowError(std::string(), "STRING_CONFIRM",
              [storePointer](bool) { StopPreDownload(*storePointer, false); });
    return;
  }
  std::unique_ptr<State> self = std::move(store.preDownloadState);
  Leave(nullptr);
}

void PreDownloadState::Leave(State*) {
  if (step_ == kDownloads && queued_) DownloadManager::GetInstance().CancelAllTasks(0);
  step_ = kIdle;
  pendingFiles_ = 0;
  result = kStatePending;
}
