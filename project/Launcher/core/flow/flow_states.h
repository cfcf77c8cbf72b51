#pragma once
// The table of the states a flow moves on to. The states ask it for their
// successor instead of constructing it, so no state names another and the
// whole order of a flow is written once, where the table is filled
// (update_flow.cpp). Tests put stand-ins in place of the states that end a
// flow.

#include <cstdint>
#include <functional>
#include <memory>

class LauncherStore;
class State;

// Makes the state of a step for a flow (0 launcher, 1 game).
using StateMaker = std::function<std::unique_ptr<State>(int32_t mode)>;

// A maker left empty ends the flow there: the machine is left without a
// current state.
struct FlowStates {
  // The transfers: the remote version map, the comparison, the patch list,
  // the downloads.
  StateMaker requestRemote;
  StateMaker checkVersion;
  StateMaker requestPatch;
  StateMaker downloadFiles;
  // The states that end a flow: applying, idling, the error state of the
  // game flow (carrying the failed state's code, text and detail;
  // |offerRetry| says whether the user may try again).
  StateMaker applyUpdate;
  std::function<std::unique_ptr<State>()> enterGame;
  std::function<std::unique_ptr<State>(const State& failed, bool offerRetry)> exception;
  // Reloads the skin package on the UI thread, then posts |then| to the
  // worker. Empty: |then| runs at once.
  std::function<void(std::function<void()> then)> reloadSkinPackage;
};

// Worker thread only.
void SetFlowStates(FlowStates states);
const FlowStates& GetFlowStates();

// Makes the state |maker| makes for |mode| current (none when it is empty).
void ChangeToNext(LauncherStore& store, const StateMaker& maker, int32_t mode);
void ChangeToEnterGameState(LauncherStore& store);
// Moves the flow on after a failure: the game flow to the error state (with
// the failure and the retry offer), the launcher flow silently to the idle
// state.
void ChangeToFailureState(LauncherStore& store, const State& failed, bool offerRetry);
