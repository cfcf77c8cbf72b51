#include "project/Launcher/windows/close_flow.h"

#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"

CloseFlow::CloseFlow(LauncherStore& store, Actions actions)
    : store_(store), actions_(std::move(actions)) {}

bool CloseFlow::WorkRuns() const {
  // Read from what the worker published, never from its state objects.
  const StoreUiView view = store_.UiView();
  if (view.preDownloadStep >= 0) return true;
  if (view.stateType < 0) return false;
  if (view.stateMode == kLauncherFlow) return true;
  return view.stateType >= kPrepareStateId && view.stateType <= kApplyUpdateStateId;
}

void CloseFlow::RequestClose() {
  if (store_.SettingsCopy().closeToHide || !WorkRuns()) {
    FinishClose();
    return;
  }
  MessageBoxRequest request;
  request.titleKey = "STRING_NOTICE";
  request.contentKey = "STRING_CLOSE_CONFIRM_FOR_DOWNLOAD";
  request.firstButtonKey = "STRING_CANCEL";
  request.secondButtonKey = "STRING_CONFIRM";
  request.swapButtons = true;
  request.continuation = WrapWeak([this](int32_t answer) { OnCloseConfirmed(answer); });
  store_.ShowMessageBox(std::move(request));
}

void CloseFlow::OnCloseConfirmed(int32_t answer) {
  // 1 confirms; 0 cancels, and a box that never showed (kBoxNotShown)
  // confirmed nothing.
  if (answer > 0) FinishClose();
}

void CloseFlow::FinishClose() {
  if (store_.firstRun && store_.closeQuestionPending) {
    // Asked at most once a run; a box closed without a choice leaves the
    // next close to the stored setting.
    store_.closeQuestionPending = false;
    OptionsBoxRequest request;
    request.contentKey = "STRING_SHUT_OPTION_NOTICE";
    request.groupName = u"shutdown_options";
    request.optionKeys = {"STRING_SHUT_OPTION_TRAYICON", "STRING_SHUT_OPTION_EXIT"};
    request.buttonKey = "STRING_CONFIRM";
    request.continuation = WrapWeak([this](int32_t choice) { OnShutdownOptionChosen(choice); });
    store_.ShowOptionsBox(std::move(request));
    return;
  }
  if (store_.SettingsCopy().closeToHide) {
    if (actions_.hide) actions_.hide();
  } else {
    if (actions_.exit) actions_.exit();
  }
}

void CloseFlow::OnShutdownOptionChosen(int32_t choice) {
  // A box that never showed chose nothing: the next close asks the stored
  // setting.
  if (choice != kChoiceTray && choice != kChoiceExit) return;
  store_.SetCloseToHide(choice != kChoiceExit);
  store_.SaveSettings();
  store_.PostToMainWindow(kMsgRefreshState, 0, 0);
  if (choice == kChoiceExit) {
    if (actions_.exit) actions_.exit();
  } else {
    if (actions_.hide) actions_.hide();
  }
}
