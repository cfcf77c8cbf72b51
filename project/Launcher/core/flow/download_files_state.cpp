#include "project/Launcher/core/flow/download_files_state.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/util/string_util.h"
#include "platform/files/file_operations.h"
#include "platform/files/folder_operations.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/core/flow/flow_states.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/download_manager.h"
#include "project/Launcher/services/file_md5.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/relative_name.h"
#include "project/Launcher/services/resume_info.h"

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool IsMd5Text(const std::string& text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string UpdateFolder() { return NormalizePath(kbase::UTF16ToUTF8(UpdateFolderW()), true); }

}  // namespace

bool TakePreDownloadedFile(const std::string& preDownloadFolder, const std::string& targetFolder,
                           const std::string& name, const std::string& md5) {
  if (!IsSafeRelativeName(name) || !IsMd5Text(md5)) return false;
  const std::string source = NormalizePath(preDownloadFolder, true) + md5;
  if (!Exists(source)) return false;
  const bool sourceComplete = !Exists(ResumeInfoPath(source));
  const std::string target = NormalizePath(targetFolder, true) + name;
  if (Exists(target)) {
    if (HasResumeInfo(target, md5)) {
      // Its own partial download goes on unless a complete copy is there.
      if (!sourceComplete) return false;
    } else if (!Exists(ResumeInfoPath(target))) {
      return false;  // a file of its own, left as it is
    }
    platform::RemoveFileIfPresent(target);
    platform::RemoveFileIfPresent(ResumeInfoPath(target));
  } else {
    std::string folder, file;
    if (SplitPath(target, folder, file)) platform::CreateFolders(folder);
    platform::RemoveFileIfPresent(ResumeInfoPath(target));
  }
  if (sourceComplete) {
    // A copy: the pre-download folder keeps it. Taken only with the right
    // digest, so a damaged copy is fetched again instead.
    if (!platform::CopyFileAtomically(source, target)) return false;
    std::string digest;
    int64_t size = 0;
    if (CheckFileMd5(target, md5, digest, size)) return true;
    platform::RemoveFileIfPresent(target);
    return false;
  }
  // Moved with its record, so the download resumes where the pre-download
  // stopped.
  if (platform::MoveFileReplacing(source, target)) {
    platform::MoveFileReplacing(ResumeInfoPath(source), ResumeInfoPath(target));
  }
  return false;
}

void DownloadFilesState::Enter(State*) {
  LauncherStore& store = this->store();
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.SetMirrors(downloads.dlc_urls());
  result = kStatePending;
  const std::string probed = store.patchOption > 0 ? FirstPatchedFile() : std::string();
  if (probed.empty()) {
    StartDownloads();
    return;
  }
  OnProbeOutcome(probe_.Start(store, mode, probed, RouteProbeDoneCallback(), JobToken()));
}

std::string DownloadFilesState::FirstPatchedFile() const {
  LauncherStore& store = this->store();
  const VersionMap& patches =
      store.versionMaps[IsGameFlow() ? "_game_patch_version_" : "_launcher_patch_version_"];
  const VersionMap& update =
      store.versionMaps[IsGameFlow() ? "_update_game_version_" : "_update_launcher_version_"];
  for (const auto& entry : update) {
    // A file to be fetched whole needs no patch, so no probe for it.
    if (patches.count(entry.first) && !store.wholeFileOnly.count(entry.first)) return entry.first;
  }
  return std::string();
}

void DownloadFilesState::OnProbeDone(int32_t code, std::string url, bool exists,
                                     std::string transportError) {
  const PatchExtensionProbe::Outcome outcome = probe_.OnProbeDone(store(), code, exists);
  if (outcome == PatchExtensionProbe::Outcome::kFailed) {
    Fail(code, transportError, url);
    return;
  }
  OnProbeOutcome(outcome);
}

void DownloadFilesState::OnProbeOutcome(PatchExtensionProbe::Outcome outcome) {
  switch (outcome) {
    case PatchExtensionProbe::Outcome::kAsked:
    case PatchExtensionProbe::Outcome::kFailed:
      return;
    case PatchExtensionProbe::Outcome::kNotAsked:
      Fail(kDownloadNoMirror, "Probe Failed:no download server", probe_.url());
      return;
    case PatchExtensionProbe::Outcome::kFound:
      StartDownloads();
      return;
    case PatchExtensionProbe::Outcome::kNotOffered:
      // The listed patches are not offered, so every file is fetched whole.
      patchesOffered_ = false;
      store().ResetVersionMap(IsGameFlow() ? "_game_patch_version_" : "_launcher_patch_version_");
      StartDownloads();
      return;
  }
}

void DownloadFilesState::StartDownloads() {
  LauncherStore& store = this->store();
  DownloadManager& downloads = DownloadManager::GetInstance();
  store.PostToMainWindow(kMsgRefreshState, 0, 0);
  const VersionMap update =
      store.versionMaps[IsGameFlow() ? "_update_game_version_" : "_update_launcher_version_"];
  const VersionMap patches =
      store.versionMaps[IsGameFlow() ? "_game_patch_version_" : "_launcher_patch_version_"];
  result = kStatePending;
  downloads.SetMirrors(downloads.dlc_urls());
  downloads.CancelAllTasks(0);

  const std::string preDownloadFolder = store.PreDownloadVersionFolder(store.remoteGameVersion);
  bool usePreDownload = false;
  if (IsGameFlow() && !preDownloadFolder.empty()) {
    std::error_code ec;
    usePreDownload = fs::is_directory(preDownloadFolder, ec);
    if (usePreDownload && Exists(preDownloadFolder + "tmp_predownload_version_map.txt")) {
      MessageBoxRequest notice;
      notice.titleKey = "STRING_ERROR_NOTICE";
      notice.contentKey = "STRING_ERROR_DLC_CLOSE";
      notice.secondButtonKey = "STRING_CONFIRM";
      notice.continuation = [](int32_t) {
        LauncherStore::GetInstance().PostToMainWindow(kMsgPreDownloadStatus, 0, 0);
      };
      store.ShowMessageBox(std::move(notice));
    }
  }

  downloads.ResetSpeedStats();
  queuedFiles_ = 0;
  doneFiles_ = 0;
  const bool patching = store.patchOption > 0 && !patches.empty() && patchesOffered_;
  const std::string updateFolder = UpdateFolder();
  int64_t total = 0;
  for (const auto& [name, entry] : update) {
    if (!IsSafeRelativeName(name)) continue;  // the map reader refuses such names already
    std::string fileName = name;
    std::string urlPath = name;
    VersionEntry wanted = entry;
    auto patch = patches.find(name);
    // A file whose patch result was refused before is fetched whole.
    if (patching && patch != patches.end() && !store.wholeFileOnly.count(name)) {
      fileName = name + PatchExtension();
      urlPath = MakePatchUrl(store, mode, fileName);
      wanted = patch->second;
    }
    if (usePreDownload &&
        TakePreDownloadedFile(preDownloadFolder, updateFolder, fileName, wanted.md5)) {
      continue;
    }
    ++queuedFiles_;
    total += wanted.size;
    downloads.DownloadFile(urlPath, updateFolder + fileName, wanted.md5, wanted.size,
                           RouteFileDoneCallback(), RouteProgressCallback(), JobToken(), 0, 0);
  }
  downloads.SetJob(total);
  store.PostToMainWindow(kMsgDownloadProgress, static_cast<uint64_t>(downloads.total_bytes()),
                         downloads.downloaded_bytes());
}

void DownloadFilesState::OnFileDone(int32_t code, std::string url, std::string errorText) {
  if (result == kStateFailed) return;
  if (code < 0) {
    Fail(code, errorText, url);
    return;
  }
  ++doneFiles_;
}

void DownloadFilesState::Update() {
  LauncherStore& store = this->store();
  DownloadManager& downloads = DownloadManager::GetInstance();
  if (result == kStateFailed) {
    // The other transfers of this state end with it.
    downloads.CancelAllTasks(0);
    ChangeToFailureState(store, *this, true);
    return;
  }
  if (doneFiles_ < queuedFiles_) return;
  downloads.ReportDownloadSpeed("done");
  if (IsGameFlow()) {
    if (store.DownloadLogCopy().firstInstall) {
      downloads.ReportDownloadStats("17", "download_game_finish", true);
    } else {
      downloads.ReportDownloadStats("22", "update_game_finish", true);
    }
  }
  ChangeToNext(store, GetFlowStates().applyUpdate, mode);
}

void DownloadFilesState::Leave(State*) {
  queuedFiles_ = 0;
  doneFiles_ = 0;
}
