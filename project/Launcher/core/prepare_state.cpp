#include "project/Launcher/core/prepare_state.h"

#include <fstream>

#include <json/value.h>

#include "base/util/string_util.h"
#include "project/Launcher/core/check_version_state.h"
#include "project/Launcher/core/gate_config.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/request_remote_state.h"
#include "project/Launcher/core/update_flow.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/device_id.h"
#include "project/Launcher/services/download_manager.h"
#include "project/Launcher/services/file_utils.h"
#include "project/Launcher/services/folder_helpers.h"
#include "project/Launcher/services/json_helpers.h"

namespace {

// The launcher's files that the first check hashes when its map is missing,
// besides everything under "cef".
const char* const kLauncherListedFiles[] = {"resources.zip", "SourceHanSansCNRegular.ttf",
                                            "SourceHanSansCNBold.ttf", "LomaN.ttf", "LomaB.ttf"};

std::string ProgramFolder(const LauncherStore& store) {
  return NormalizePath(kbase::UTF16ToUTF8(store.ProgramFolder()), true);
}

bool OpensForReading(const std::string& path) { return std::ifstream(path).is_open(); }

// The download servers of a gate answer: a text, or an array of texts. An
// object (or an array holding one) is no server list.
bool ServerList(const Json::Value& value, std::vector<std::string>* servers) {
  servers->clear();
  std::string text;
  if (value.isArray()) {
    for (const Json::Value& element : value) {
      if (!JsonValueToText(element, &text)) return false;
      servers->push_back(text);
    }
    return !servers->empty();
  }
  if (!JsonValueToText(value, &text)) return false;
  servers->push_back(text);
  return true;
}

}  // namespace

PrepareState::PrepareState(int32_t flow) : State(flow) {}

void PrepareState::Enter(State*) {
  LauncherStore& store = this->store();
  DownloadManager& downloads = DownloadManager::GetInstance();
  if (!IsGameFlow() && store.publicAddress.empty()) {
    downloads.FetchUrlMemory(
        AddressEchoUrl(), std::string(),
        [](int32_t, int32_t result, std::string, const char* data, int64_t length, std::string) {
          std::string body;
          if (data && length > 0) body.assign(data, static_cast<size_t>(length));
          LauncherStore::GetInstance().PublicAddressReply(result, body);
        },
        JobToken());
  }
  StopPreDownload();
  store.PostToMainWindow(kMsgRefreshState, 0, 0);

  pendingFiles_.clear();
  totalFiles_ = 0;
  if (IsGameFlow()) {
    ListGameFiles();
  } else {
    ListLauncherFiles();
  }
  result = 0;
  downloads.SetMirrors(downloads.gate_urls());
  downloads.DownloadMemory(BuildGateUrl(store, DeviceId()), std::string(),
                           RouteRequestDoneCallback(), JobToken());
}

void PrepareState::StopPreDownload() {
  LauncherStore& store = this->store();
  if (!store.preDownloadState) return;
  // Its transfers stop with it, so none of them outlives the state that
  // queued them.
  DownloadManager::GetInstance().CancelAllTasks(0);
  store.preDownloadState->Leave(nullptr);
  store.preDownloadState.reset();
}

void PrepareState::ListLauncherFiles() {
  LauncherStore& store = this->store();
  if (!IsFolderW(UpdateFolderW())) CreateFoldersW(UpdateFolderW());
  if (!IsFolderW(ExceptionFolderW())) CreateFoldersW(ExceptionFolderW());
  localMapKey_ = "_local_launcher_version_";
  remoteMapKey_ = "_remote_launcher_version_";
  const std::string program = ProgramFolder(store);
  localMapPath_ = program + "launcher_version_map.txt";
  remoteMapPath_ = program + "tmp_launcher_version_map.txt";
  store.skinPackageChanged = 0;

  VersionMap& local = store.ResetVersionMap(localMapKey_);
  std::string error;
  if (!LoadVersionMapFile(localMapPath_, &local, &error)) {
    rootFolder_ = NormalizePath(program, false);
    for (const char* name : kLauncherListedFiles) pendingFiles_.push_back(program + name);
    ListFilesRecursive(program + "cef", pendingFiles_, {});
    totalFiles_ = static_cast<int32_t>(pendingFiles_.size());
  }
  std::ifstream launcher(program + "launcher.exe", std::ios::binary);
  std::string md5;
  int64_t size = 0;
  if (launcher.is_open() && FileMd5(launcher, md5, size)) local["launcher.exe"] = {md5, size};
}

void PrepareState::ListGameFiles() {
  LauncherStore& store = this->store();
  const std::string game = store.GameFolder();
  for (const auto& [listed, used] : store.renameMap) {
    const std::string from = game + kbase::UTF16ToUTF8(listed);
    const std::string to = game + kbase::UTF16ToUTF8(used);
    if (OpensForReading(from) && !OpensForReading(to)) {
      std::string bytes;
      if (ReadFileToString(from, bytes)) WriteStringToFile(to, bytes);
    }
  }
  localMapKey_ = "_local_game_version_";
  remoteMapKey_ = "_remote_game_version_";
  localMapPath_ = game + "version_map.txt";
  remoteMapPath_ = game + "tmp_version_map.txt";

  VersionMap& local = store.ResetVersionMap(localMapKey_);
  std::string error;
  if (!LoadVersionMapFile(localMapPath_, &local, &error)) {
    rootFolder_ = NormalizePath(game, false);
    const int32_t listed =
        ListFilesRecursive(game, pendingFiles_, {"save", "update", "exception", "cef_temp"});
    totalFiles_ = listed < 0 ? 0 : listed;
  }
  inlineMap_ = false;
}

void PrepareState::Update() {
  LauncherStore& store = this->store();
  if (!pendingFiles_.empty()) {
    VersionMap& local = store.versionMaps[localMapKey_];
    while (!pendingFiles_.empty()) {
      const std::string path = pendingFiles_.front();
      pendingFiles_.erase(pendingFiles_.begin());
      std::ifstream file(path, std::ios::binary);
      std::string md5;
      int64_t size = 0;
      if (file.is_open() && FileMd5(file, md5, size) && path.size() > rootFolder_.size() + 1) {
        local[NormalizeMapPath(path.substr(rootFolder_.size() + 1))] = {md5, size};
      }
      const float remaining = static_cast<float>(pendingFiles_.size());
      const float total = static_cast<float>(totalFiles_ > 0 ? totalFiles_ : 1);
      store.PostToMainWindow(kMsgCheckProgress, 0,
                             static_cast<int64_t>((1.0f - remaining / total) * 90.0f));
    }
  }
  if (result >= 1) {
    if (inlineMap_) {
      store.ChangeState(std::make_unique<CheckVersionState>(mode));
    } else {
      store.ChangeState(std::make_unique<RequestRemoteState>(mode));
    }
  } else if (result < 0) {
    ChangeToFailureState(store, *this, true);
  }
}

void PrepareState::Leave(State*) {
  pendingFiles_.clear();
  totalFiles_ = 0;
}

void PrepareState::OnRequestDone(int32_t code, std::string url, std::string body,
                                 std::string errorText) {
  if (IsGameFlow()) {
    OnGameGateReply(code, url, body, errorText);
  } else {
    OnLauncherGateReply(code, body);
  }
}

void PrepareState::OnLauncherGateReply(int32_t code, const std::string& body) {
  LauncherStore& store = this->store();
  result = -1;
  if (code < 0) return;
  Json::Value root;
  std::string error;
  if (!ParseJson(body, root, error)) return;
  Json::Value others;
  std::string othersText;
  if (!FindJsonKey(root, "Others", others) || !JsonValueToText(others, &othersText)) return;
  Json::Value settings;
  if (!ParseJson(othersText, settings, error) || !settings.isObject()) return;

  Json::Value value;
  if (FindJsonKey(settings, "PatchOption", value) && value.isInt()) {
    store.patchOption = value.asInt();
  }
  if (FindJsonKey(settings, "UseWebExtraParam", value) && value.isBool()) {
    store.useWebExtraParam = value.asBool();
  }
  if (FindJsonKey(settings, "DeleteLogTXT", value) && value.isBool()) {
    store.deleteGameLog = value.asBool();
  }
  if (FindJsonKey(settings, "PreDlcCheck", value) && value.isBool()) {
    store.preDownloadCheck = value.asBool();
  }
  if (FindJsonKey(settings, "TransToGame", value)) {
    WriteJsonFile(NormalizePath(SaveFolder(), true) + "TransToGame", value);
  }

  Json::Value dlc;
  std::vector<std::string> servers;
  if (!FindJsonKey(settings, "DlcAddr", dlc) || !ServerList(dlc, &servers)) return;
  store.forceLauncherUpdate = false;
  DownloadManager::GetInstance().SetDlcUrls(servers);
  if (FindJsonKey(settings, "ActivityAddr", value) && value.isString()) {
    store.activityAddress = value.asString();
  }
  std::string force;
  if (FindJsonKey(settings, "ForceUpdateLauncher", value) && JsonValueToText(value, &force) &&
      !force.empty()) {
    store.forceLauncherUpdate = true;
  }
  result = 1;
}

void PrepareState::OnGameGateReply(int32_t code, const std::string& url, const std::string& body,
                                   const std::string& errorText) {
  LauncherStore& store = this->store();
  result = -1;
  if (code < 0) {
    errorCode = code;
    this->errorText = store.GateRequestFailureText(errorText);
    detail = url;
    return;
  }
  Json::Value root;
  std::string error;
  if (!ParseJson(body, root, error)) {
    this->errorText = "Parse Failed:" + error;
    KeepAnswerAsDetail(body);
    return;
  }
  Json::Value dlc;
  std::vector<std::string> servers;
  if (!FindJsonKey(root, "DlcAddr", dlc) || !ServerList(dlc, &servers)) {
    this->errorText = "Invalid DlcAddr";
    KeepAnswerAsDetail(body);
    return;
  }
  DownloadManager::GetInstance().SetDlcUrls(servers);

  // The game's map inline: taken as a fetched map is, with the versions it
  // names.
  Json::Value cdn;
  std::string cdnText;
  if (FindJsonKey(root, "CDN", cdn) && cdn.isString()) {
    cdnText = cdn.asString();
    VersionMap remote;
    std::string mapError;
    if (ParseVersionMap(cdnText, &remote, &mapError) &&
        WriteStringToFile(remoteMapPath_, cdnText)) {
      store.remoteGameVersion = GetVersionMapVersion(remote);
      store.downloadingGameVersion = store.remoteGameVersion;
      store.versionMaps[remoteMapKey_] = std::move(remote);
      inlineMap_ = true;
    }
  }
  result = 1;
}

void PrepareState::KeepAnswerAsDetail(const std::string& body) {
  if (body.size() <= kMaxDetailLength) {
    detail = body;
    return;
  }
  if (!IsFolderW(ExceptionFolderW())) CreateFoldersW(ExceptionFolderW());
  WriteStringToFileW(NormalizePathW(ExceptionFolderW(), true) + u"response.txt", body);
  detail = kResponseFileSentence;
}
