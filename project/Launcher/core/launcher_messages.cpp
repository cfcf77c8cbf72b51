#include "project/Launcher/core/launcher_messages.h"

#include <algorithm>
#include <array>

bool IsLauncherMessage(uint32_t message) {
  static constexpr std::array<uint32_t, 24> kAll = {
      kMsgTrayNotify,          kMsgShowLauncher,           kMsgHideLauncher,
      kMsgExitLauncher,        kMsgCloseHoverPopup,        kMsgRefreshState,
      kMsgCheckProgress,       kMsgDownloadSpeed,          kMsgDownloadProgress,
      kMsgDownloadPaused,      kMsgConfigReloaded,         kMsgRefreshPages,
      kMsgGameVersionChanged,  kMsgPreDownloadStatus,      kMsgUiTick,
      kMsgGameRegister,        kMsgGamePreDownloadAction,  kMsgPreDownloadActionReply,
      kMsgGamePreDownloadProgress, kMsgPreDownloadProgressReply, kMsgGamePreDownloadState,
      kMsgPreDownloadStateReply, kMsgGameEcho,             kMsgWindowOnTop};
  return std::find(kAll.begin(), kAll.end(), message) != kAll.end();
}
