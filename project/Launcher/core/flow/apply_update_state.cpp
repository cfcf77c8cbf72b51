#include "project/Launcher/core/flow/apply_update_state.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>

#include "base/thread/thread_registry.h"
#include "base/util/string_util.h"
#include "platform/clock/clock.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/download_manager.h"
#include "platform/files/file_operations.h"
#include "platform/files/folder_operations.h"
#include "project/Launcher/services/exit_request.h"
#include "project/Launcher/services/file_md5.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/patch_applier.h"
#include "project/Launcher/services/relative_name.h"

namespace {

constexpr int64_t kDefaultStepBudget = 999000;  // microseconds
std::atomic<int64_t> g_stepBudget{kDefaultStepBudget};

// Result code of a patched file whose digest differs from the map's.
constexpr int32_t kPatchedDigestMismatch = 10003;

std::string UpdateFolderPath() { return NormalizePath(kbase::UTF16ToUTF8(UpdateFolderW()), true); }

std::string ProgramFolderPath(const LauncherStore& store) {
  return NormalizePath(kbase::UTF16ToUTF8(store.ProgramFolder()), true);
}

void EnsureParentFolder(const std::string& path) {
  std::string folder;
  std::string name;
  if (SplitPath(path, folder, name) && !platform::IsFolder(folder)) platform::CreateFolders(folder);
}

// Applies the patch |patch| to |oldFile| giving |newFile|, by the patch
// option: 0 on success, else the failure code shown to the user.
int32_t ApplyPatch(int32_t patchOption, const std::string& oldFile, const std::string& newFile,
                   const std::string& patch) {
  if (patchOption == 1) return PatchFileInMemory(oldFile, newFile, patch) == 0 ? 0 : 10000;
  uint32_t detail = 0;
  int32_t rc = PatchFileStreamed(oldFile, newFile, patch, detail);
  return rc == 0 ? 0 : rc;
}

// The patched file is adopted only when it is the file the map names; a
// wrong result is deleted, so nothing wrong is ever moved into place.
bool PatchedFileMatches(const std::string& path, const VersionEntry& expected) {
  std::string md5;
  int64_t size = 0;
  if (CheckFileMd5(path, expected.md5, md5, size) && size == expected.size) return true;
  platform::RemoveFileIfPresent(path);
  return false;
}

std::string Failure(const std::string& name, int64_t code) {
  return name + "(" + std::to_string(code) + ")";
}

}  // namespace

void ApplyUpdateState::SetStepBudgetForTesting(int64_t microseconds) {
  g_stepBudget = microseconds > 0 ? microseconds : kDefaultStepBudget;
}

void ApplyUpdateState::Enter(State*) {
  LauncherStore& store = this->store();
  store.PostToMainWindow(kMsgRefreshState, 0, 0);
  result = kStatePending;
  SetExitRequested(false);
  if (!IsGameFlow()) {
    ApplyLauncherUpdate();
    return;
  }
  const std::string listPath = UpdateFolderPath() + "apply_list.txt";
  if (ReadApplyList(listPath, &applyList) && applyList.version != store.remoteGameVersion) {
    applyList.fileList.clear();
  }
  applyList.version = store.remoteGameVersion;

  pendingFiles.clear();
  for (const auto& [name, entry] : store.versionMaps["_update_game_version_"]) {
    if (name == "launcher.exe" || name == kVersionKey) continue;
    // A file an interrupted apply already moved into place is not moved
    // again: its download is gone from the "update" folder.
    if (std::find(applyList.fileList.begin(), applyList.fileList.end(), name) !=
        applyList.fileList.end()) {
      continue;
    }
    pendingFiles.push_back(name);
  }
  totalFiles = static_cast<int32_t>(pendingFiles.size());
  failedFiles.clear();
  store.PostToMainWindow(kMsgCheckProgress, 0, 0);
}

void ApplyUpdateState::Update() {
  LauncherStore& store = this->store();
  if (IsGameFlow()) {
    if (result == kStatePending) {
      ApplyGameStep();
    } else if (result == kStateFailed) {
      ChangeToFailureState(store, *this, true);
    } else {
      ChangeToEnterGameState(store);
    }
    return;
  }
  if (result == kStatePending) return;
  if (store.skinPackageChanged) {
    result = kStatePending;
    const FlowStates& states = GetFlowStates();
    if (states.reloadSkinPackage) {
      // The reload's answer moves the flow on only while this state is still
      // current: another flow may have started in the meantime.
      const int32_t token = JobToken();
      states.reloadSkinPackage([token] {
        LauncherStore& store = LauncherStore::GetInstance();
        State* current = store.currentState();
        if (current && current->JobToken() == token) ChangeToEnterGameState(store);
      });
      return;
    }
  }
  ChangeToEnterGameState(store);
}

void ApplyUpdateState::Leave(State*) {
  totalFiles = 0;
  pendingFiles.clear();
}

void ApplyUpdateState::ApplyGameStep() {
  LauncherStore& store = this->store();
  const std::string updateFolder = UpdateFolderPath();
  const std::string gameFolder = store.GameFolder();
  const VersionMap& update = store.versionMaps["_update_game_version_"];
  const VersionMap& patches = store.versionMaps["_game_patch_version_"];
  const bool patching = store.patchOption > 0 && !patches.empty();
  const std::string extension = PatchExtension();
  std::map<std::string, std::string> renames;
  for (const auto& [name, alternative] : store.renameMap) {
    renames[kbase::UTF16ToUTF8(name)] = NormalizeMapPath(kbase::UTF16ToUTF8(alternative));
  }

  // The budget runs on the monotonic process clock.
  const int64_t start = platform::NowMicroseconds();
  bool first = true;
  while (!pendingFiles.empty()) {
    if (!first && platform::NowMicroseconds() - start > g_stepBudget.load()) break;
    first = false;
    const std::string name = pendingFiles.front();
    pendingFiles.erase(pendingFiles.begin());
    const std::string source = updateFolder + name;
    const std::string target = gameFolder + name;
    EnsureParentFolder(target);
    auto rename = renames.find(name);
    const bool hasAlternative = rename != renames.end() && IsSafeRelativeName(rename->second);

    // A file fetched whole after a refused patch result has no patch.
    if (patching && patches.count(name) && !store.wholeFileOnly.count(name)) {
      const std::string oldFile = hasAlternative ? gameFolder + rename->second : target;
      int32_t code = ApplyPatch(store.patchOption, oldFile, source, source + extension);
      if (code == 0) {
        auto wanted = update.find(name);
        if (wanted == update.end() || !PatchedFileMatches(source, wanted->second)) {
          // The patch made a file other than the map's (a damaged local file
          // or patch): the retry fetches the whole file instead.
          code = kPatchedDigestMismatch;
          store.wholeFileOnly.insert(name);
          platform::RemoveFileIfPresent(source + extension);
        }
      }
      if (code != 0) {
        failedFiles.push_back(Failure(name, code));
        continue;
      }
    }

    int error = 0;
    if (!platform::MoveFileReplacing(source, target, &error)) {
      failedFiles.push_back(Failure(name, error));
      continue;
    }
    if (hasAlternative && !platform::CopyFileAtomically(target, gameFolder + rename->second)) {
      failedFiles.push_back(name);
      continue;
    }
    applyList.fileList.push_back(name);
    const int32_t remaining = static_cast<int32_t>(pendingFiles.size());
    const float done = 100.0f - static_cast<float>(remaining) * 100.0f /
                                    static_cast<float>(std::max(totalFiles, 1));
    store.PostToMainWindow(kMsgCheckProgress, 0, static_cast<int64_t>(done));
  }

  WriteApplyList(updateFolder + "apply_list.txt", applyList);
  if (patching) {
    for (const std::string& name : applyList.fileList) {
      if (patches.count(name)) platform::RemoveFileIfPresent(updateFolder + name + extension);
    }
  }
  if (!pendingFiles.empty()) return;

  if (!failedFiles.empty()) {
    std::string names = " ";
    for (const std::string& failed : failedFiles) names += failed + " ";
    Fail(0, "Apply Failed", names);
    return;
  }
  const std::string tmpMap = gameFolder + "tmp_version_map.txt";
  if (!platform::CopyFileAtomically(tmpMap, gameFolder + "version_map.txt")) {
    // Without the new map in place the update is not done: the next check
    // finds the same differences (the apply list keeps what is in place).
    Fail(0, "Apply Failed", " version_map.txt ");
    return;
  }
  platform::RemoveFileIfPresent(updateFolder + "apply_list.txt");
  platform::RemoveFileIfPresent(tmpMap);
  store.wholeFileOnly.clear();
  store.ReloadGameVersion();
  if (!store.DownloadLogCopy().firstInstall) {
    DownloadManager::GetInstance().ReportDownloadStats("23", "apply_update_game_success", false);
  }
  result = kStateSucceeded;
}

void ApplyUpdateState::ApplyLauncherUpdate() {
  LauncherStore& store = this->store();
  const std::string updateFolder = UpdateFolderPath();
  const std::string programFolder = ProgramFolderPath(store);
  store.launcherReplaced = false;
  store.browserFilesChanged = false;
  store.fontsChanged = false;
  platform::RemoveFileIfPresent(updateFolder + "cef_update.txt");
  platform::RemoveFileIfPresent(updateFolder + "font_update.txt");

  const VersionMap& update = store.versionMaps["_update_launcher_version_"];
  const VersionMap& patches = store.versionMaps["_launcher_patch_version_"];
  const bool patching = store.patchOption > 0 && !patches.empty();
  const std::string extension = PatchExtension();
  std::string failures;
  std::vector<std::string> browserFiles;
  std::vector<std::string> fontFiles;
  std::vector<std::string> appliedPatches;

  for (const auto& [name, entry] : update) {
    if (name == kVersionKey) continue;
    const std::string source = updateFolder + name;
    const std::string target = programFolder + name;
    EnsureParentFolder(target);
    if (patching && patches.count(name) && !store.wholeFileOnly.count(name)) {
      const std::string patch = source + extension;
      int32_t code = ApplyPatch(store.patchOption, target, source, patch);
      if (code == 0 && !PatchedFileMatches(source, entry)) {
        code = kPatchedDigestMismatch;
        store.wholeFileOnly.insert(name);
        platform::RemoveFileIfPresent(patch);
      }
      if (code != 0) {
        // Appended piecewise: g++ 12 at -O2 warns falsely about " " + text.
        failures.append(" ").append(Failure(name, code));
        continue;
      }
      appliedPatches.push_back(patch);
    }
    if (name == "launcher.exe") {
      store.launcherReplaced = true;
      store.updateNoticePending = true;
    } else if (name.rfind("cef", 0) == 0) {
      browserFiles.push_back(name);
      store.browserFilesChanged = true;
    } else if (name.size() >= 4 && name.find(".ttf") == name.size() - 4) {
      fontFiles.push_back(name);
      store.fontsChanged = true;
    } else if (platform::CopyFileAtomically(source, target)) {
      platform::RemoveFileIfPresent(source);
      if (name == "resources.zip") store.skinPackageChanged = 1;
    } else {
      failures += " " + name;
    }
  }

  if (!failures.empty()) {
    Fail(0, "Apply Failed", failures);
    return;
  }
  const std::string tmpMap = programFolder + "tmp_launcher_version_map.txt";
  if (!platform::CopyFileAtomically(tmpMap, programFolder + "launcher_version_map.txt")) {
    Fail(0, "Apply Failed", " launcher_version_map.txt");
    return;
  }
  platform::RemoveFileIfPresent(tmpMap);
  store.ReloadLauncherVersion();
  if (!browserFiles.empty()) WriteJsonStringList(updateFolder + "cef_update.txt", browserFiles);
  if (!fontFiles.empty()) WriteJsonStringList(updateFolder + "font_update.txt", fontFiles);
  for (const std::string& patch : appliedPatches) platform::RemoveFileIfPresent(patch);
  store.wholeFileOnly.clear();
  result = kStateSucceeded;
}
