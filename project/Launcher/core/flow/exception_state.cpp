#include "project/Launcher/core/flow/exception_state.h"

#include "base/thread/thread_registry.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"

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
