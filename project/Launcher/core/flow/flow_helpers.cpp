#include "project/Launcher/core/flow/flow_helpers.h"

#include <atomic>
#include <mutex>

#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/usage_events.h"

namespace {

std::mutex g_echoLock;
std::string& EchoUrlSlot() {
  static std::string url = "https://ip.valdrenth-game.com/";
  return url;
}

std::atomic<bool> g_ovdiff{false};

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string WithoutWhiteSpace(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!IsWhiteSpace(c)) out += c;
  return out;
}

}  // namespace

void SetAddressEchoUrl(const std::string& url) {
  std::lock_guard<std::mutex> hold(g_echoLock);
  EchoUrlSlot() = url;
}

std::string AddressEchoUrl() {
  std::lock_guard<std::mutex> hold(g_echoLock);
  return EchoUrlSlot();
}

std::string BuildGateUrl(const LauncherStore& store, const std::string& deviceId) {
  const std::string key = store.gateConfig.GateKey.empty()
                              ? "WIN10KOREA_" + store.localGameVersion
                              : store.gateConfig.GateKey;
  std::string url = "get/urls?key=" + PercentEncode(WithoutWhiteSpace(key)) +
                    "&udid=" + PercentEncode(WithoutWhiteSpace(deviceId));
  if (store.gateConfig.QaGate) url += "&is_qa=true";
  return url;
}

std::string MakePatchUrl(const LauncherStore& store, int32_t mode, const std::string& name) {
  std::string version;
  if (mode != kLauncherFlow) {
    version = store.localGameVersion;
  } else {
    version = store.launcherVersion;
    for (char& c : version)
      if (c == '.') c = '_';
  }
  return "patchs/" + version + "/" + name;
}

void SetPatchExtensionOvdiff(bool ovdiff) { g_ovdiff = ovdiff; }
bool PatchExtensionIsOvdiff() { return g_ovdiff; }
const char* PatchExtension() { return g_ovdiff ? ".ovdiff" : ".patch"; }

FileDoneCallback RouteFileDoneCallback() {
  return [](int32_t user, int32_t result, std::string urlPath, std::string message) {
    LauncherStore::GetInstance().RouteFileDone(user, result, std::move(urlPath),
                                               std::move(message));
  };
}

ProgressCallback RouteProgressCallback() {
  return [](int32_t user, double bytesPerSecond) {
    LauncherStore::GetInstance().RouteProgress(user, bytesPerSecond);
  };
}

MemoryDoneCallback RouteRequestDoneCallback() {
  return [](int32_t user, int32_t result, std::string key, const char* data, int64_t length,
            std::string message) {
    LauncherStore::GetInstance().RouteRequestDone(user, result, std::move(key), data, length,
                                                  std::move(message));
  };
}

ProbeDoneCallback RouteProbeDoneCallback() {
  return [](int32_t user, int32_t result, std::string key, bool exists, std::string message) {
    LauncherStore::GetInstance().RouteProbeDone(user, result, std::move(key), exists,
                                                std::move(message));
  };
}
