// What the download manager needs of the program around it: settings,
// gate configuration, the save folder, a listener for the job's progress,
// speed, pause and check events, the worker thread and the usage-event
// builders. The launcher store implements it;
// tests implement the parts they look at. Every default is harmless.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A speed-limit setting of the user: on or off, and its figure (the limit is
// figure x 204 bytes per second when on).
struct SpeedLimitSetting {
  bool enabled = false;
  int64_t figure = 0;
};

class DownloadHost {
 public:
  virtual ~DownloadHost() = default;

  // Gate configuration: lists and URL that replace the defaults when not empty.
  virtual std::vector<std::string> ConfiguredGateUrls() { return {}; }
  virtual std::vector<std::string> ConfiguredDlcUrls() { return {}; }
  virtual std::string ConfiguredTrackUrl() { return {}; }
  // The gate's "UseWebExtraParam": append "?t=<tick>" to transfer URLs.
  virtual bool UseWebExtraParam() { return false; }

  // Limit mode 0: game download; 1: pre-download.
  virtual SpeedLimitSetting SpeedLimit(int mode) { (void)mode; return {}; }

  // Folder of the trace file ("save"); empty = no trace file.
  virtual std::string SaveFolder() { return {}; }
  // CA bundle that verifies TLS peers; empty = the system's.
  virtual std::string CaFile() { return {}; }

  // Events of the download job, on the worker thread.
  // About once a second while transfers run: seconds left and the speed.
  virtual void OnDownloadSpeed(int64_t secondsLeft, int64_t bytesPerSecond) {
    (void)secondsLeft; (void)bytesPerSecond;
  }
  // About once a second, and at every change once the whole job is there.
  virtual void OnDownloadProgress(int64_t totalBytes, int64_t downloadedBytes) {
    (void)totalBytes; (void)downloadedBytes;
  }
  virtual void OnDownloadPaused(bool paused) { (void)paused; }
  // Files already present are checked against their MD5 before anything of
  // them is fetched: the share of those bytes checked so far, 0..100.
  virtual void OnFilesCheckProgress(int percent) { (void)percent; }

  // The worker thread that owns the manager. A host without one runs tasks at
  // once on the calling thread.
  virtual bool OnWorkerThread() { return true; }
  virtual void PostToWorker(std::function<void()> task) { task(); }

  // The download log: bytes present when the job was queued, and the
  // statistics written when a job ends.
  virtual int64_t LoggedDownloadSize() { return 0; }
  virtual void SetLoggedDownloadSize(int64_t bytes) { (void)bytes; }
  virtual void RecordDownloadStats(int64_t bytesPerSecond, int64_t bytes,
                                   int64_t seconds) {
    (void)bytesPerSecond; (void)bytes; (void)seconds;
  }

  // Usage-event builders.
  virtual void SendLauncherEvent(const std::string& speed, const std::string& size,
                                 const std::string& actionType) {
    (void)speed; (void)size; (void)actionType;
  }
  virtual void SendLauncherDetailEvent(const std::string& actionId, const std::string& speed,
                                       const std::string& size, const std::string& time) {
    (void)actionId; (void)speed; (void)size; (void)time;
  }
  virtual void SendInstallAttribution(const std::string& eventName, const std::string& speed,
                                      const std::string& size, const std::string& time) {
    (void)eventName; (void)speed; (void)size; (void)time;
  }
};
