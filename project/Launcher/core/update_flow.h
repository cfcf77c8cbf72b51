#pragma once
// What the update states share: the gate and patch URLs, the download
// manager's callbacks routed to the requesting state by its job token, the
// patch-extension flag, the states a flow moves on to, and the installation
// of the flow's first state in the store.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "project/Launcher/services/download_task.h"

class LauncherStore;
class State;

// The states that follow the transfers (applying, idling, the error state)
// and the skin reload, made by the code that builds them. A maker left empty
// ends the flow there: the machine is left without a current state.
struct FlowStates {
  std::function<std::unique_ptr<State>(int32_t mode)> applyUpdate;
  std::function<std::unique_ptr<State>()> enterGame;
  // The error state of the game flow, carrying the failed state's code, text
  // and detail; |offerRetry| says whether the user may try again.
  std::function<std::unique_ptr<State>(const State& failed, bool offerRetry)> exception;
  // Reloads the skin package on the UI thread, then posts |then| to the
  // worker. Empty: |then| runs at once.
  std::function<void(std::function<void()> then)> reloadSkinPackage;
};

// Worker thread only.
void SetFlowStates(FlowStates states);
const FlowStates& GetFlowStates();

// Makes PrepareState the first state of every flow: the worker's first tick
// (the launcher's own check) and the flow requests of the store.
void InstallUpdateFlow(LauncherStore& store);

// The public address echo service (a plain-text answer with the caller's
// address). Set before the worker starts.
void SetAddressEchoUrl(const std::string& url);
std::string AddressEchoUrl();

// The relative URL of the gate request: "get/urls?key=<key>&udid=<device>",
// then "&is_qa=true" for the QA gate. White space is removed from the key and
// the device identifier, and both are percent-encoded, so no value can add a
// parameter or break the request line.
// (PercentEncode of usage_events.h.)
std::string BuildGateUrl(const LauncherStore& store, const std::string& deviceId);

// The relative URL of a file in the patch folder of the flow's current
// version: "patchs/<version>/<name>" (the launcher version with "." as "_").
std::string MakePatchUrl(const LauncherStore& store, int32_t mode, const std::string& name);

// Process-wide: patches carry ".ovdiff" (true) or ".patch" (false).
void SetPatchExtensionOvdiff(bool ovdiff);
bool PatchExtensionIsOvdiff();
const char* PatchExtension();

// Callbacks for the download manager that hand a result to the store's
// routing, which delivers it only to the state whose job token it carries.
FileDoneCallback RouteFileDoneCallback();
ProgressCallback RouteProgressCallback();
MemoryDoneCallback RouteRequestDoneCallback();
ProbeDoneCallback RouteProbeDoneCallback();

// Moves the flow on after a failure: the game flow to the error state (with
// the failure and the retry offer), the launcher flow silently to the idle
// state.
void ChangeToFailureState(LauncherStore& store, const State& failed, bool offerRetry);
void ChangeToEnterGameState(LauncherStore& store);
