// Shared pieces of the download manager's tests: a host that records what the
// manager tells it, and pumping until a callback has arrived.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "project/Launcher/services/download_manager.h"

class RecordingHost : public DownloadHost {
 public:
  std::string caFile;
  std::string saveFolder;
  SpeedLimitSetting limits[2];

  std::string CaFile() override { return caFile; }
  std::string SaveFolder() override { return saveFolder; }
  SpeedLimitSetting SpeedLimit(int mode) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return limits[mode == 1 ? 1 : 0];
  }
  void SetLimit(int mode, SpeedLimitSetting setting) {
    std::lock_guard<std::mutex> lock(mutex_);
    limits[mode == 1 ? 1 : 0] = setting;
  }
  // The job's events, recorded as (event, first figure, second figure).
  enum Event : uint32_t { kSpeed = 1, kProgress, kPaused, kCheckProgress };
  void OnDownloadSpeed(int64_t secondsLeft, int64_t bytesPerSecond) override {
    Record(kSpeed, secondsLeft, bytesPerSecond);
  }
  void OnDownloadProgress(int64_t total, int64_t downloaded) override {
    Record(kProgress, total, downloaded);
  }
  void OnDownloadPaused(bool paused) override { Record(kPaused, 0, paused ? 1 : 0); }
  void OnFilesCheckProgress(int percent) override { Record(kCheckProgress, 0, percent); }
  void Record(uint32_t event, int64_t w, int64_t l) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      messages_.emplace_back(event, w, l);
    }
    posted_.notify_all();
  }
  // Waits until an event of this kind (and, when given, these
  // parameters) has been recorded; false when none came within the bound.
  bool WaitForMessage(uint32_t msg, std::optional<std::pair<int64_t, int64_t>> params = {},
                      int boundSeconds = 60) {
    std::unique_lock<std::mutex> lock(mutex_);
    return posted_.wait_for(lock, std::chrono::seconds(boundSeconds), [&] {
      for (const auto& m : messages_)
        if (std::get<0>(m) == msg &&
            (!params || (std::get<1>(m) == params->first && std::get<2>(m) == params->second)))
          return true;
      return false;
    });
  }
  std::vector<std::tuple<uint32_t, int64_t, int64_t>> Messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }
  bool HasMessage(uint32_t msg, int64_t w, int64_t l) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& m : messages_)
      if (m == std::make_tuple(msg, w, l)) return true;
    return false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::vector<std::tuple<uint32_t, int64_t, int64_t>> messages_;
};

struct FileOutcome {
  bool called = false;
  int calls = 0;
  int32_t result = 99;
  std::string urlPath;
  std::string message;

  FileDoneCallback Callback() {
    return [this](int32_t, int32_t r, std::string path, std::string text) {
      called = true;
      ++calls;
      result = r;
      urlPath = std::move(path);
      message = std::move(text);
    };
  }
};

// Pumps as the worker's tick does until `done` holds; false when it never
// does within the bound (a hung transfer fails the test instead of hanging it).
inline bool PumpUntil(DownloadManager& manager, const std::function<bool()>& done,
                      int boundSeconds = 120) {
  const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(boundSeconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > bound) return false;
    manager.PumpTransfers();
  }
  return true;
}
