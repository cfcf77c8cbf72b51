#include "project/Launcher/core/store_game_services.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include "base/thread/thread_registry.h"
#include "base/util/string_util.h"
#include "platform/process/process.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/download_manager.h"
#include "platform/files/folder_operations.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/relative_name.h"
#include "project/Launcher/services/usage_events.h"
#include "platform/files/file_operations.h"

// --- The game ---

void StoreGameServices::FindGameWindows() { gameWindows_.Find(); }

void StoreGameServices::PostToGameWindows(uint32_t message, uint64_t wParam, int64_t lParam) {
  kbase::ThreadRegistry::PostTask(kThreadMisc, [this, message, wParam, lParam] {
    gameWindows_.PostToAll(message, wParam, lParam);
  });
}

bool StoreGameServices::ActivateGameWindow() { return gameWindows_.ActivateFirst(); }

void StoreGameServices::OnGameRegister(GameWindow window) { gameWindows_.Register(window); }

bool StoreGameServices::HandleGameMessage(uint32_t message, uint64_t, int64_t lParam) {
  switch (message) {
    case kMsgGameRegister:
      OnGameRegister(static_cast<GameWindow>(lParam));
      return true;
    case kMsgGamePreDownloadAction:
      PostToGameWindows(kMsgPreDownloadActionReply, 0, 0);
      return true;
    case kMsgGamePreDownloadProgress:
      PostToGameWindows(kMsgPreDownloadProgressReply, 0, 0);
      return true;
    case kMsgGamePreDownloadState:
      PostToGameWindows(kMsgPreDownloadStateReply, 0, 0);
      return true;
    case kMsgGameEcho:
      PostToGameWindows(kMsgGameEcho, 0, 0);
      return true;
    default:
      return false;
  }
}

bool StoreGameServices::LaunchGame(const std::string& launchParameter, int32_t slot) {
  if (slot != 0) return false;
  const std::string folder = store_.GameFolder();
  if (store_.deleteGameLog) platform::RemoveFileIfPresent(folder + "save/log.txt");
  std::vector<std::string> argv = GameLaunchArguments(folder, launchParameter, store_.platformName,
                                                      store_.localGameVersion, slot);
  // The update wrote the program as plain data: it becomes executable for
  // its owner's readers before it is started.
  struct stat info;
  if (::stat(argv[0].c_str(), &info) == 0 && S_ISREG(info.st_mode) && !(info.st_mode & S_IXUSR)) {
    ::chmod(argv[0].c_str(), info.st_mode | ((info.st_mode & 0444) >> 2));
  }
  platform::SpawnOptions options;
  options.workingFolder = folder;
  bool started = platform::SpawnProcess(argv, options, nullptr, nullptr);
  SendLauncherEvent(&store_, "rungame", std::string(), std::string(), std::string(), "pre_install",
                    false);
  return started;
}

// --- Skin, pause, repair, links ---

void StoreGameServices::ReloadSkinPackage(std::function<void()> continuation) {
  kbase::ThreadRegistry::PostTask(kThreadUI, [this, continuation = std::move(continuation)] {
    PrepareSkinPackage();
    if (store_.hooks().reloadSkin) store_.hooks().reloadSkin();
    store_.skinPackageChanged = 0;
    if (store_.LoadCommonConfig()) store_.PostToMainWindow(kMsgConfigReloaded, 0, 0);
    if (continuation) kbase::ThreadRegistry::PostTask(kThreadMisc, continuation);
  });
}

void ToggleDownloadPause() {
  kbase::ThreadRegistry::PostTask(kThreadMisc, [] {
    DownloadManager& downloads = DownloadManager::GetInstance();
    // Pausing reports kMsgDownloadPaused (0, 1) and its usage events;
    // resuming reports (0, 0).
    if (downloads.paused()) {
      downloads.ResumeTransfers();
    } else {
      downloads.PauseTransfers();
    }
  });
}

void StoreGameServices::RepairGame() {
  const std::string folder = store_.GameFolder();
  const std::map<std::u16string, std::u16string> renames = store_.renameMap;
  for (const auto& [name, alternative] : renames) {
    std::string relative = NormalizeMapPath(kbase::UTF16ToUTF8(alternative));
    // Only a name inside the game folder is ever deleted.
    if (IsSafeRelativeName(relative)) platform::RemoveFileIfPresent(folder + relative);
  }
  platform::RemoveFileIfPresent(folder + "version_map.txt");
  // The game's marker folder in the user's profile (the home folder here).
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    std::string marker = NormalizePath(home, true) + ".tezpc";
    if (platform::IsFolder(marker)) platform::DeleteFolderRecursive(marker);
  }
  store_.StartGameCheck(false, true);
}

void StoreGameServices::OpenLink(const std::string& link, bool lookUp) {
  if (!store_.mainWindow() || link.empty()) return;
  std::string url = link;
  if (lookUp) {
    auto found = store_.linkMap.find(link);
    if (found == store_.linkMap.end()) return;
    url = found->second;
  }
  platform::OpenUrlInBrowser(url);
}
