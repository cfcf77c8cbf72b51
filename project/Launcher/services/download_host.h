// What the download manager needs of the program around it: settings,
// gate configuration, the save folder, the main window's message sink, the
// worker thread and the usage-event builders. The launcher store implements it;
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
  // Window messages the manager posts to the main window.
  static constexpr uint32_t kMsgDownloadSpeed = 2128;     // remaining s, bytes/s
  static constexpr uint32_t kMsgDownloadProgress = 2129;  // total, downloaded
  static constexpr uint32_t kMsgDownloadPaused = 2130;    // 0, 1 paused / 0 running

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

  virtual void PostToMainWindow(uint32_t msg, int64_t wParam, int64_t lParam) {
    (void)msg; (void)wParam; (void)lParam;
  }

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
