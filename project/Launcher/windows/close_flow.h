#pragma once
// What closing the main window does. By the user's setting closeToHide the
// window goes to the tray or the launcher exits; exiting while a flow or a
// pre-download runs is confirmed first; on the first close after a fresh
// install the user is asked once which of the two they want, and the answer
// is saved. The boxes open through the store (which hands them to its dialog
// host); their answers arrive later on the UI thread and do nothing once the
// flow is gone. UI thread only.

#include <cstdint>
#include <functional>

#include "base/callback/weak_callback.h"

class LauncherStore;

class CloseFlow : public kbase::SupportWeakCallback {
 public:
  // Where the flow ends: the main window is sent kMsgHideLauncher or
  // kMsgExitLauncher.
  struct Actions {
    std::function<void()> hide;
    std::function<void()> exit;
  };

  // The option indexes of the close question.
  static constexpr int32_t kChoiceTray = 0;
  static constexpr int32_t kChoiceExit = 1;

  CloseFlow(LauncherStore& store, Actions actions);

  // The close button or the system menu's close.
  void RequestClose();
  // The second half: the one-time question, or hide or exit by the setting.
  void FinishClose();
  // The confirmation's answer: 1 goes on; 0 (cancel, close, Esc) and
  // kBoxNotShown keep all.
  void OnCloseConfirmed(int32_t answer);
  // The close question's choice: saved as closeToHide, then hide or exit;
  // anything but the two options (kBoxNotShown) does nothing.
  void OnShutdownOptionChosen(int32_t choice);

  // A flow of the launcher's own (any state), a game flow from prepare to
  // apply, or a pre-download runs: exiting would interrupt it.
  bool WorkRuns() const;

 private:
  LauncherStore& store_;
  Actions actions_;
};
