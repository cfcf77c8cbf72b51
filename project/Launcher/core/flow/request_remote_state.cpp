#include "project/Launcher/core/flow/request_remote_state.h"

#include <json/value.h>

#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/download_manager.h"
#include "platform/files/file_operations.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/json_helpers.h"

#include "base/util/string_util.h"

void RequestRemoteState::Enter(State*) {
  LauncherStore& store = this->store();
  store.PostToMainWindow(kMsgRefreshState, 0, 0);
  std::string relativeUrl;
  if (IsGameFlow()) {
    remoteMapKey_ = "_remote_game_version_";
    remoteMapPath_ = store.GameFolder() + "tmp_version_map.txt";
    relativeUrl = "version_map.txt";
  } else {
    remoteMapKey_ = "_remote_launcher_version_";
    remoteMapPath_ = NormalizePath(kbase::UTF16ToUTF8(store.ProgramFolder()), true) +
                     "tmp_launcher_version_map.txt";
    relativeUrl = "launcher_version_map.txt";
  }
  result = kStatePending;
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetMirrors(downloads.dlc_urls());
  downloads.DownloadMemory(relativeUrl, std::string(), RouteRequestDoneCallback(), JobToken());
  store.PostToMainWindow(kMsgCheckProgress, 0, 95);
}

void RequestRemoteState::OnRequestDone(int32_t code, std::string url, std::string body,
                                       std::string transportError) {
  LauncherStore& store = this->store();
  result = kStateFailed;  // until the answer proves good
  if (code < 0) {
    Fail(code, "Request Failed:" + transportError, url);
    return;
  }
  VersionMap remote;
  std::string error;
  if (!ParseVersionMap(body, &remote, &error)) {
    Fail(0, "Load Failed:" + (error.empty() ? std::string("not a version map") : error), body);
    return;
  }
  if (!platform::WriteFileAtomically(remoteMapPath_, body)) {
    Fail(0, "Write Failed:" + remoteMapPath_, std::string());
    return;
  }
  if (IsGameFlow()) store.remoteGameVersion = GetVersionMapVersion(remote);
  // The version being downloaded, as the usage events report it: the
  // "version" text, or the "md5" text of a "version" object.
  Json::Value root, version;
  if (ParseJson(body, root, error) && FindJsonKey(root, "version", version)) {
    if (version.isString()) {
      store.downloadingGameVersion = version.asString();
    } else if (version.isObject() && version["md5"].isString()) {
      store.downloadingGameVersion = version["md5"].asString();
    }
  }
  store.versionMaps[remoteMapKey_] = std::move(remote);
  result = kStateSucceeded;
}

void RequestRemoteState::Update() {
  if (result == kStateSucceeded) {
    ChangeToNext(store(), GetFlowStates().checkVersion, mode);
  } else if (result == kStateFailed) {
    ChangeToFailureState(store(), *this, true);
  }
}
