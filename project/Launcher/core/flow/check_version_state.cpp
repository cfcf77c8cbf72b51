#include "project/Launcher/core/flow/check_version_state.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "base/thread/thread_registry.h"
#include "base/util/string_util.h"
#include "project/Launcher/core/apply_list.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/version_map.h"
#include "platform/files/file_operations.h"
#include "project/Launcher/services/launcher_paths.h"

namespace {

std::string ProgramFolder(const LauncherStore& store) {
  return NormalizePath(kbase::UTF16ToUTF8(store.ProgramFolder()), true);
}

std::string ApplyListPath() {
  return NormalizePath(kbase::UTF16ToUTF8(UpdateFolderW()), true) + "apply_list.txt";
}

bool Exists(const std::string& path) { return std::ifstream(path).is_open(); }

// The transfer step of a flow: the patch list first when patches may be used
// and the flow's current version is known, else the downloads at once.
void ChangeToTransferState(LauncherStore& store, int32_t mode) {
  const std::string& current =
      mode != kLauncherFlow ? store.localGameVersion : store.launcherVersion;
  const FlowStates& states = GetFlowStates();
  const bool patches = store.patchOption > 0 && !current.empty();
  ChangeToNext(store, patches ? states.requestPatch : states.downloadFiles, mode);
}

}  // namespace

void CheckVersionState::Enter(State*) {
  LauncherStore& store = this->store();
  store.PostToMainWindow(kMsgRefreshState, 0, 0);
  if (IsGameFlow()) {
    localMapKey_ = "_local_game_version_";
    remoteMapKey_ = "_remote_game_version_";
    updateMapKey_ = "_update_game_version_";
    remoteMapPath_ = store.GameFolder() + "tmp_version_map.txt";
    localMapPath_ = store.GameFolder() + "version_map.txt";
  } else {
    localMapKey_ = "_local_launcher_version_";
    remoteMapKey_ = "_remote_launcher_version_";
    updateMapKey_ = "_update_launcher_version_";
    remoteMapPath_ = ProgramFolder(store) + "tmp_launcher_version_map.txt";
    localMapPath_ = ProgramFolder(store) + "launcher_version_map.txt";
  }
  removedFiles_.clear();
  VersionMap& update = store.ResetVersionMap(updateMapKey_);
  DiffVersionMaps(&store.versionMaps[localMapKey_], store.versionMaps[remoteMapKey_], &update,
                  &removedFiles_);
  store.PostToMainWindow(kMsgCheckProgress, 0, 100);
  result = kStateSucceeded;
}

void CheckVersionState::Update() {
  if (result == kStatePending || decided_) return;
  decided_ = true;
  LauncherStore& store = this->store();
  if (IsGameFlow()) {
    ResumeFromApplyList();
  } else {
    DropRemovedSkinPackage();
  }
  if (!store.versionMaps[updateMapKey_].empty()) {
    StartTransfers();
    return;
  }
  AdoptRemoteMap();
  if (store.skinPackageChanged) {
    // Idle once the new skin is shown; the reload posts back to the worker.
    result = kStatePending;
    if (const auto& reload = GetFlowStates().reloadSkinPackage) {
      reload([] { ChangeToEnterGameState(LauncherStore::GetInstance()); });
      return;
    }
  }
  ChangeToEnterGameState(store);
}

void CheckVersionState::ResumeFromApplyList() {
  LauncherStore& store = this->store();
  ApplyList applied;
  const std::string path = ApplyListPath();
  if (!ReadApplyList(path, &applied)) return;
  if (applied.version != store.remoteGameVersion) {
    platform::RemoveFileIfPresent(path);
    return;
  }
  VersionMap& update = store.versionMaps[updateMapKey_];
  for (const std::string& name : applied.fileList) update.erase(name);
}

void CheckVersionState::DropRemovedSkinPackage() {
  auto it = std::find(removedFiles_.begin(), removedFiles_.end(), "resources.zip");
  if (it == removedFiles_.end()) return;
  removedFiles_.erase(it);
  const std::string skin = ProgramFolder(store()) + "resources.zip";
  if (Exists(skin)) {
    platform::RemoveFileIfPresent(skin);
    store().skinPackageChanged = 1;
  }
}

void CheckVersionState::StartTransfers() {
  LauncherStore& store = this->store();
  store.ResetVersionMap(IsGameFlow() ? "_game_patch_version_" : "_launcher_patch_version_");
  if (IsGameFlow()) {
    // The check answers later, on the UI thread; "continue" goes on with the
    // transfers only while the error state it left is still current, so an
    // answer that comes after another flow has started changes nothing.
    auto awaited = std::make_shared<int32_t>(0);
    const int32_t flow = mode;
    const bool enough = store.CheckUpdateDiskSpace([awaited, flow](int32_t answer) {
      if (answer != 1) return;
      kbase::ThreadRegistry::PostTask(kThreadMisc, [awaited, flow] {
        LauncherStore& store = LauncherStore::GetInstance();
        State* current = store.currentState();
        if ((current ? current->JobToken() : 0) != *awaited) return;
        ChangeToTransferState(store, flow);
      });
    });
    if (!enough) {
      const FlowStates& states = GetFlowStates();
      std::unique_ptr<State> error = states.exception ? states.exception(*this, false) : nullptr;
      *awaited = error ? error->JobToken() : 0;
      store.ChangeState(std::move(error));
      return;
    }
  }
  ChangeToTransferState(store, mode);
}

void CheckVersionState::AdoptRemoteMap() {
  LauncherStore& store = this->store();
  std::string bytes;
  if (!platform::ReadFileToString(remoteMapPath_, bytes)) return;
  if (!platform::WriteFileAtomically(localMapPath_, bytes)) return;
  platform::RemoveFileIfPresent(remoteMapPath_);
  if (IsGameFlow()) {
    store.ReloadGameVersion();
    platform::RemoveFileIfPresent(ApplyListPath());
  } else {
    store.ReloadLauncherVersion();
  }
}

void CheckVersionState::Leave(State*) { removedFiles_.clear(); }
