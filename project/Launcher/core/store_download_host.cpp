#include "project/Launcher/core/store_download_host.h"

#include <cstdlib>

#include "base/thread/framework_thread.h"
#include "base/thread/thread_registry.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/folder_helpers.h"
#include "project/Launcher/services/usage_events.h"

std::vector<std::string> StoreDownloadHost::ConfiguredGateUrls() {
  return store_.gateConfig.GateURLs;
}

std::vector<std::string> StoreDownloadHost::ConfiguredDlcUrls() {
  return store_.gateConfig.DlcURLs;
}

std::string StoreDownloadHost::ConfiguredTrackUrl() { return store_.gateConfig.TrackURL; }

bool StoreDownloadHost::UseWebExtraParam() { return store_.useWebExtraParam; }

SpeedLimitSetting StoreDownloadHost::SpeedLimit(int mode) {
  LauncherSettings settings = store_.SettingsCopy();
  if (mode == 1) return {settings.predlcLimit, settings.predlcSpeed};
  return {settings.downloadLimit, settings.downloadSpeed};
}

std::string StoreDownloadHost::SaveFolder() { return ::SaveFolder(); }

// Read as the worker sets up its connections; the launcher never changes its
// own environment, so every connection sees the value it started with.
std::string StoreDownloadHost::CaFile() {
  const char* file = std::getenv("VDL_CA_FILE");
  return file ? file : std::string();
}

void StoreDownloadHost::OnDownloadSpeed(int64_t secondsLeft, int64_t bytesPerSecond) {
  store_.PostToMainWindow(kMsgDownloadSpeed, static_cast<uint64_t>(secondsLeft), bytesPerSecond);
}

void StoreDownloadHost::OnDownloadProgress(int64_t totalBytes, int64_t downloadedBytes) {
  store_.PostToMainWindow(kMsgDownloadProgress, static_cast<uint64_t>(totalBytes),
                          downloadedBytes);
}

void StoreDownloadHost::OnDownloadPaused(bool paused) {
  store_.PostToMainWindow(kMsgDownloadPaused, 0, paused ? 1 : 0);
}

void StoreDownloadHost::OnFilesCheckProgress(int percent) {
  store_.PostToMainWindow(kMsgCheckProgress, 0, percent);
}

bool StoreDownloadHost::OnWorkerThread() {
  return kbase::FrameworkThread::CurrentThreadIdentifier() == kThreadMisc;
}

void StoreDownloadHost::PostToWorker(std::function<void()> task) {
  kbase::ThreadRegistry::PostTask(kThreadMisc, std::move(task));
}

int64_t StoreDownloadHost::LoggedDownloadSize() { return store_.DownloadLogCopy().downloadSize; }

void StoreDownloadHost::SetLoggedDownloadSize(int64_t bytes) {
  store_.UpdateDownloadLog([bytes](DownloadLog& log) { log.downloadSize = bytes; });
}

void StoreDownloadHost::RecordDownloadStats(int64_t bytesPerSecond, int64_t bytes,
                                            int64_t seconds) {
  store_.UpdateDownloadLog([=](DownloadLog& log) {
    log.downloadSpeed = bytesPerSecond;
    log.downloadSize = bytes;
    log.downloadTime += seconds;
  });
}

void StoreDownloadHost::SendLauncherEvent(const std::string& speed, const std::string& size,
                                          const std::string& actionType) {
  ::SendLauncherEvent(&store_, std::string(), speed, size, actionType, std::string(), false);
}

void StoreDownloadHost::SendLauncherDetailEvent(const std::string& actionId,
                                                const std::string& speed,
                                                const std::string& size,
                                                const std::string& time) {
  ::SendLauncherDetailEvent(&store_, actionId, speed, size, time);
}

void StoreDownloadHost::SendInstallAttribution(const std::string& eventName,
                                               const std::string& speed, const std::string& size,
                                               const std::string& time) {
  ::SendInstallAttribution(&store_, eventName, speed, size, time);
}
