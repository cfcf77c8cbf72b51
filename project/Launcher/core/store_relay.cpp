#include "project/Launcher/core/store_relay.h"

#include <utility>

#include "base/thread/thread_registry.h"
#include "base/util/string_util.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/store_state_machine.h"

namespace {

// The key when it is set, else the literal text.
BoxText KeyOrText(const std::string& key, const std::u16string& text) {
  if (!key.empty()) return {kbase::UTF8ToUTF16(key), true};
  return {text, false};
}

}  // namespace

// --- The main window and the relay ---

void StoreRelay::RegisterMainWindow(WindowHandle window) {
  if (window) {
    mainWindow_ = window;
    if (windowHooks_.setSelfProperty) windowHooks_.setSelfProperty(window, kLauncherInstanceNameW);
    return;
  }
  if (mainWindow_ && windowHooks_.removeProperty) {
    windowHooks_.removeProperty(mainWindow_, kLauncherInstanceNameW);
  }
  mainWindow_ = 0;
}

void StoreRelay::PostToMainWindow(uint32_t message, uint64_t wParam, int64_t lParam) {
  kbase::ThreadRegistry::PostTask(kThreadUI, [this, message, wParam, lParam] {
    // The window is looked up when the message is delivered, not when it was
    // posted: a message for a window that is gone (or not yet there) is
    // dropped.
    if (mainWindow_ && windowHooks_.sendMessage) {
      windowHooks_.sendMessage(mainWindow_, message, wParam, lParam);
    }
  });
}

// --- Flows ---

void StoreRelay::PostFlowStart(int32_t mode, bool enterGame) {
  // The request travels with the flow's start: the worker never reads a flag
  // the UI thread may set while another flow is ending.
  kbase::ThreadRegistry::PostTask(kThreadMisc, [this, mode, enterGame] {
    StoreStateMachine& machine = store_.stateMachine();
    machine.BeginFlow(machine.MakeFirstState(mode), enterGame);
  });
}

void StoreRelay::StartLauncherCheck() {
  store_.enterGameAfterFlow = false;
  PostFlowStart(kLauncherFlow, false);
}

void StoreRelay::StartGameCheck(bool enterGame, bool honourDisableAutoEnter) {
  const bool enter =
      enterGame && !(honourDisableAutoEnter && store_.gateConfig.DisableAutoEnterGame);
  store_.enterGameAfterFlow = enter;
  PostFlowStart(kGameFlow, enter);
}

bool StoreRelay::StartFlowOnShowRequest(uint64_t wParam, int64_t lParam) {
  if (wParam != 1 && wParam != 2) return false;
  // Read from what the worker published: the state object itself may be
  // replaced and deleted meanwhile.
  const StoreUiView view = store_.UiView();
  const bool flowRuns = view.stateType >= kPrepareStateId && view.stateType <= kApplyUpdateStateId;
  const bool idle = view.stateType == -1 || (view.stateMode != kLauncherFlow && !flowRuns);
  if (!idle) return false;
  if (wParam == 1) {
    StartGameCheck(lParam == 1, false);
  } else {
    StartLauncherCheck();
  }
  return true;
}

// --- Dialogs ---

void StoreRelay::ShowMessageBox(MessageBoxRequest request) {
  ++store_.openMessageBoxes;
  store_.messageBoxRequested = true;
  request.titleText.clear();
  request.contentText.clear();
  request.firstButtonText.clear();
  request.secondButtonText.clear();
  PostMessageBox(BoxKind::kMessage, std::move(request), true);
}

void StoreRelay::RequestMessageBox(MessageBoxRequest request) {
  PostMessageBox(BoxKind::kMessage, std::move(request), false);
}

void StoreRelay::RequestErrorBox(MessageBoxRequest request) {
  PostMessageBox(BoxKind::kError, std::move(request), false);
}

void StoreRelay::PostMessageBox(BoxKind kind, MessageBoxRequest request, bool counted) {
  auto continuation = request.continuation;
  bool posted = kbase::ThreadRegistry::PostTask(
      kThreadUI, [this, kind, counted, request = std::move(request)] {
        OpenMessageBoxTask(kind, request, counted);
      });
  // Without a UI thread no box can ever open: the caller hears that at once
  // rather than waiting for an answer that cannot come.
  if (!posted) {
    if (counted) --store_.openMessageBoxes;
    if (continuation) continuation(kBoxNotShown);
  }
}

void StoreRelay::OnMessageBoxClosed(const std::function<void(int32_t)>& continuation,
                                    bool counted, int32_t answer) {
  if (counted) --store_.openMessageBoxes;
  PostToMainWindow(kMsgRefreshState, 0, 0);
  if (continuation) continuation(answer);
}

void StoreRelay::OpenMessageBoxTask(BoxKind kind, const MessageBoxRequest& request, bool counted) {
  WindowHandle owner = request.owner ? request.owner : mainWindow_;
  MessageBoxContent content;
  content.title = KeyOrText(request.titleKey, request.titleText);
  content.content = KeyOrText(request.contentKey, request.contentText);
  if (kind == BoxKind::kError) content.detail = KeyOrText(request.detailKey, request.detailText);
  if (!request.firstButtonKey.empty() || !request.secondButtonKey.empty()) {
    content.firstButton = {kbase::UTF8ToUTF16(request.firstButtonKey), true};
    content.secondButton = {kbase::UTF8ToUTF16(request.secondButtonKey), true};
  } else {
    content.firstButton = {request.firstButtonText, false};
    content.secondButton = {request.secondButtonText, false};
  }
  content.swapButtons = request.swapButtons;

  auto continuation = request.continuation;
  bool opened = owner && dialogHost_ &&
                dialogHost_->OpenMessageBox(owner, content, [this, continuation, counted](int32_t answer) {
                  OnMessageBoxClosed(continuation, counted, answer);
                });
  // A box that cannot open (no window to own it) answers that it was never
  // shown: no button was chosen, and nobody waits for an answer that cannot
  // come.
  if (!opened) OnMessageBoxClosed(continuation, counted, kBoxNotShown);
}

void StoreRelay::ShowOptionsBox(OptionsBoxRequest request) {
  request.selectedIndex = 0;
  auto continuation = request.continuation;
  bool posted = kbase::ThreadRegistry::PostTask(
      kThreadUI, [this, request = std::move(request)] { OpenOptionsBoxTask(request); });
  if (!posted && continuation) continuation(kBoxNotShown);
}

void StoreRelay::OpenOptionsBoxTask(const OptionsBoxRequest& request) {
  OptionsBoxContent content;
  content.contentKey = request.contentKey;
  content.groupName = request.groupName;
  content.optionKeys = request.optionKeys;
  content.buttonKey = request.buttonKey;
  content.selectedIndex = request.selectedIndex;
  bool opened = mainWindow_ && dialogHost_ &&
                dialogHost_->OpenOptionsBox(mainWindow_, content, request.continuation);
  // Option 0 is a real choice (hide to the tray): a box that never showed
  // says so instead.
  if (!opened && request.continuation) request.continuation(kBoxNotShown);
}
