#pragma once
// The download manager's view of the launcher store: the gate configuration's
// lists, the speed limits of the settings, the save folder, the worker
// thread, the download log and the usage events. The download job's events
// become the main window's progress, speed, pause and check messages.
// The CA bundle that verifies TLS peers comes from the environment variable
// "VDL_CA_FILE" (a PEM file) when it is set, else the system's trust store.

#include "project/Launcher/services/download_host.h"

class LauncherStore;

class StoreDownloadHost : public DownloadHost {
 public:
  explicit StoreDownloadHost(LauncherStore& store) : store_(store) {}

  std::vector<std::string> ConfiguredGateUrls() override;
  std::vector<std::string> ConfiguredDlcUrls() override;
  std::string ConfiguredTrackUrl() override;
  bool UseWebExtraParam() override;
  SpeedLimitSetting SpeedLimit(int mode) override;
  std::string SaveFolder() override;
  std::string CaFile() override;
  void OnDownloadSpeed(int64_t secondsLeft, int64_t bytesPerSecond) override;
  void OnDownloadProgress(int64_t totalBytes, int64_t downloadedBytes) override;
  void OnDownloadPaused(bool paused) override;
  void OnFilesCheckProgress(int percent) override;
  bool OnWorkerThread() override;
  void PostToWorker(std::function<void()> task) override;
  int64_t LoggedDownloadSize() override;
  void SetLoggedDownloadSize(int64_t bytes) override;
  void RecordDownloadStats(int64_t bytesPerSecond, int64_t bytes, int64_t seconds) override;
  void SendLauncherEvent(const std::string& speed, const std::string& size,
                         const std::string& actionType) override;
  void SendLauncherDetailEvent(const std::string& actionId, const std::string& speed,
                               const std::string& size, const std::string& time) override;
  void SendInstallAttribution(const std::string& eventName, const std::string& speed,
                              const std::string& size, const std::string& time) override;

 private:
  LauncherStore& store_;
};
