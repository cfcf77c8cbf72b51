#include "project/Launcher/core/flow/flow_states.h"

#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/launcher_store.h"

namespace {

FlowStates& FlowStatesSlot() {
  static FlowStates states;
  return states;
}

}  // namespace

void SetFlowStates(FlowStates states) { FlowStatesSlot() = std::move(states); }
const FlowStates& GetFlowStates() { return FlowStatesSlot(); }

void ChangeToNext(LauncherStore& store, const StateMaker& maker, int32_t mode) {
  store.ChangeState(maker ? maker(mode) : nullptr);
}

void ChangeToEnterGameState(LauncherStore& store) {
  const FlowStates& states = GetFlowStates();
  store.ChangeState(states.enterGame ? states.enterGame() : nullptr);
}

void ChangeToFailureState(LauncherStore& store, const State& failed, bool offerRetry) {
  if (!failed.IsGameFlow()) {
    ChangeToEnterGameState(store);
    return;
  }
  const FlowStates& states = GetFlowStates();
  store.ChangeState(states.exception ? states.exception(failed, offerRetry) : nullptr);
}
