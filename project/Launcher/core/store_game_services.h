#pragma once
// The launcher store's services around the game and the skin: the game's
// launch and the window protocol with its windows, the skin reload, the
// repair and the links.

#include <cstdint>
#include <functional>
#include <string>

#include "project/Launcher/core/game_window_list.h"

class LauncherStore;

class StoreGameServices {
 public:
  explicit StoreGameServices(LauncherStore& store) : store_(store) {}
  StoreGameServices(const StoreGameServices&) = delete;
  StoreGameServices& operator=(const StoreGameServices&) = delete;

  GameWindowList& gameWindows() { return gameWindows_; }
  // Worker: the game's windows by their property.
  void FindGameWindows();
  // Any thread: posted to the game's windows from the worker; nothing ever
  // waits for the game to answer.
  void PostToGameWindows(uint32_t message, uint64_t wParam, int64_t lParam);
  // UI thread: shows and focuses the game's window; false without one.
  bool ActivateGameWindow();
  // UI thread: the game registered |window|.
  void OnGameRegister(GameWindow window);
  // UI thread: registration and the answers of a launcher without a
  // pre-download panel; false for any other message.
  bool HandleGameMessage(uint32_t message, uint64_t wParam, int64_t lParam);
  // Starts the game in the game folder (slot 0 only); false when it could not
  // be started. The launch's usage event is queued either way.
  bool LaunchGame(const std::string& launchParameter, int32_t slot);

  // Worker: the skin is reloaded on the UI thread, then |continuation| runs
  // on the worker.
  void ReloadSkinPackage(std::function<void()> continuation);
  // UI thread: forgets the installed version (and the game's marker folder)
  // and starts a full game check.
  void RepairGame();
  // UI thread: opens the link in the user's browser; http and https only.
  void OpenLink(const std::string& link, bool lookUp);

 private:
  LauncherStore& store_;
  GameWindowList gameWindows_;
};

// UI thread: pauses the running downloads, or resumes them when paused; the
// toggle itself runs on the worker.
void ToggleDownloadPause();
