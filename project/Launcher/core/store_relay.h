#pragma once
// The launcher store's relay and requests across threads: the main window's
// registration and the messages relayed to it, the flows asked for from any
// thread and started on the worker, and the message and options boxes opened
// on the UI thread through the dialog host.

#include <cstdint>
#include <functional>

#include "project/Launcher/core/dialog_host.h"
#include "project/Launcher/core/store_hooks.h"

class LauncherStore;

class StoreRelay {
 public:
  explicit StoreRelay(LauncherStore& store) : store_(store) {}
  StoreRelay(const StoreRelay&) = delete;
  StoreRelay& operator=(const StoreRelay&) = delete;

  void SetWindowHooks(WindowHooks hooks) { windowHooks_ = std::move(hooks); }
  void SetDialogHost(DialogHost* host) { dialogHost_ = host; }

  // UI thread: the main window registers itself (0 when it closes).
  void RegisterMainWindow(WindowHandle window);
  WindowHandle mainWindow() const { return mainWindow_; }
  // Any thread: delivered in a later task of the UI thread, dropped when no
  // main window is registered by then.
  void PostToMainWindow(uint32_t message, uint64_t wParam, int64_t lParam);

  // Any thread: the flow's first state is made current on the worker; the
  // request to start the game travels with the flow it was made for.
  void StartLauncherCheck();
  void StartGameCheck(bool enterGame, bool honourDisableAutoEnter);
  bool StartFlowOnShowRequest(uint64_t wParam, int64_t lParam);

  // Any thread: the boxes open on the UI thread.
  void ShowMessageBox(MessageBoxRequest request);
  void RequestMessageBox(MessageBoxRequest request);
  void RequestErrorBox(MessageBoxRequest request);
  void ShowOptionsBox(OptionsBoxRequest request);

 private:
  enum class BoxKind { kMessage, kError };
  void PostFlowStart(int32_t mode, bool enterGame);
  // |counted|: the box was counted as open by ShowMessageBox and is
  // uncounted when it answers or cannot open.
  void PostMessageBox(BoxKind kind, MessageBoxRequest request, bool counted);
  void OpenMessageBoxTask(BoxKind kind, const MessageBoxRequest& request, bool counted);
  void OpenOptionsBoxTask(const OptionsBoxRequest& request);
  void OnMessageBoxClosed(const std::function<void(int32_t)>& continuation, bool counted,
                          int32_t answer);

  LauncherStore& store_;
  WindowHooks windowHooks_;
  DialogHost* dialogHost_ = nullptr;
  WindowHandle mainWindow_ = 0;  // UI thread only
};
