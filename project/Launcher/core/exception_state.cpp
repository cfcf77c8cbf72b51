#include "project/Launcher/core/exception_state.h"

#include "base/thread/thread_registry.h"
#include "project/Launcher/core/apply_update_state.h"
#include "project/Launcher/core/enter_game_state.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/update_flow.h"

ExceptionState::ExceptionState(int32_t code, std::string text, std::string detailText, bool retry)
    : State(kGameFlow), offerRetry(retry ? 1 : 0) {
  errorCode = code;
  errorText = std::move(text);
  detail = std::move(detailText);
}

void ExceptionState::Enter(State*) {
  LauncherStore& store = this->store();
  store.PostToMainWindow(kMsgRefreshState, 0, 0);
  store.errorShown = true;
  if (!offerRetry) return;
  // The answer comes on the UI thread; a retry that arrives after another
  // flow has replaced this state changes nothing.
  const int32_t token = JobToken();
  ShowError("STRING_CANCEL", "STRING_ERROR_RETRY", [token](bool retry) {
    if (!retry) return;
    kbase::ThreadRegistry::PostTask(kThreadMisc, [token] {
      LauncherStore& store = LauncherStore::GetInstance();
      State* current = store.currentState();
      if (!current || current->JobToken() != token) return;
      store.StartGameCheck(true, true);
    });
  });
}

void InstallFlowEndStates() {
  FlowStates states;
  states.applyUpdate = [](int32_t mode) -> std::unique_ptr<State> {
    return std::make_unique<ApplyUpdateState>(mode);
  };
  states.enterGame = []() -> std::unique_ptr<State> { return std::make_unique<EnterGameState>(); };
  states.exception = [](const State& failed, bool offerRetry) -> std::unique_ptr<State> {
    return std::make_unique<ExceptionState>(failed.errorCode, failed.errorText, failed.detail,
                                            offerRetry);
  };
  states.reloadSkinPackage = [](std::function<void()> then) {
    LauncherStore::GetInstance().ReloadSkinPackage(std::move(then));
  };
  SetFlowStates(std::move(states));
}
