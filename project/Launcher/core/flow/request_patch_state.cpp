#include "project/Launcher/core/flow/request_patch_state.h"

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/download_manager.h"

void RequestPatchState::Enter(State*) {
  LauncherStore& store = this->store();
  patchMapKey_ = IsGameFlow() ? "_game_patch_version_" : "_launcher_patch_version_";
  store.ResetVersionMap(patchMapKey_);
  result = kStatePending;
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetMirrors(downloads.dlc_urls());
  downloads.DownloadMemory(MakePatchUrl(store, mode, "patch_list.txt"), std::string(),
                           RouteRequestDoneCallback(), JobToken());
}

void RequestPatchState::OnRequestDone(int32_t code, std::string, std::string body, std::string) {
  // A failed request leaves the map empty: whole files then.
  result = kStateFailed;
  if (code < 0) return;
  // A list that does not parse leaves the map empty: whole files then.
  VersionMap list;
  std::string error;
  if (ParseVersionMap(body, &list, &error)) {
    list.erase(kVersionKey);
    store().versionMaps[patchMapKey_] = std::move(list);
  }
  result = kStateSucceeded;
}

void RequestPatchState::Update() {
  if (result != kStatePending) ChangeToNext(store(), GetFlowStates().downloadFiles, mode);
}
