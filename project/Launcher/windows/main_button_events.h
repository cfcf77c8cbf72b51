#pragma once
// The usage events of the main button's four actions (install, play,
// continue, update), sent in their fixed order through the store.

#include <string>

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/usage_events.h"

namespace MainComponents {

enum class MainButtonAction { kInstall, kPlay, kContinue, kUpdate };

inline void SendActionEvents(LauncherStore& store, MainButtonAction action) {
  struct Row {
    const char* action;
    const char* detailId;
    const char* attribution;
  };
  static constexpr Row kRows[] = {
      {"install", "14", "click_launch_download_game"},
      {"play", "18", "click_launch_play_game"},
      {"continue", "16", "click_launch_continue_download_game"},
      {"update", "20", "click_launch_update_game"},
  };
  const Row& row = kRows[static_cast<int>(action)];
  SendLauncherDetailEvent(&store, row.detailId, "", "", "");
  SendInstallAttribution(&store, row.attribution, "", "", "");
  SendUiClickEvent("click_button", row.action);
  SendLauncherEvent(&store, "", "", "", "", row.action, false);
}

}  // namespace MainComponents
