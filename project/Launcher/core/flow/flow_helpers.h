#pragma once
// What the update states share: the gate and patch URLs, the process-wide
// patch extension, and the download manager's callbacks routed to the
// requesting state by its job token.

#include <cstdint>
#include <string>

#include "project/Launcher/services/download_task.h"

class LauncherStore;

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
