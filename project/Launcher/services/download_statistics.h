// The figures of one download job: its size and the bytes downloaded, the
// speed samples of the transfers with their average, minimum and maximum,
// and the usage reports built from them. The host hears of progress and
// speed as events, at most about once a second each.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "project/Launcher/services/download_host.h"

class DownloadStatistics {
 public:
  static constexpr int64_t kNoMinSpeed = 100000000000LL;

  void Bind(DownloadHost* host) { host_ = host; }

  // A job of |totalBytes| starts at |now| (milliseconds).
  void SetJob(int64_t totalBytes, int64_t now);
  // Forgets the job: sizes, samples and speeds.
  void Clear(int64_t now);
  // Speeds and the job's start time start over.
  void ResetSpeeds(int64_t now);
  void ClearSamples() { samples_.clear(); }

  // Bytes written (negative when a file is fetched again). Progress reaches
  // the host at most once a second of |tick|, and at every change once the
  // whole job is there; never while paused.
  void AddDownloaded(int64_t delta, int64_t tick, bool paused);
  // A transfer's speed; once a second the average times the number of
  // |transfers| becomes the speed the host hears of.
  void AddSample(double bytesPerSecond, int64_t now, bool paused, size_t transfers);
  void SetCurrentFile(const std::string& file) { current_file_ = file; }

  void ReportSpeed(const std::string& actionType, int64_t now) const;
  void ReportStats(const std::string& actionId, const std::string& eventName,
                   bool onlyWhileMoving, int64_t now) const;

  int64_t total_bytes() const { return total_bytes_; }
  int64_t downloaded_bytes() const { return downloaded_bytes_; }
  int64_t speed() const { return speed_; }
  int64_t min_speed() const { return min_speed_; }
  int64_t max_speed() const { return max_speed_; }
  const std::string& slowest_file() const { return slowest_file_; }
  size_t sample_count() const { return samples_.size(); }

 private:
  struct Averages {
    int64_t seconds;
    int64_t bytes;
    int64_t bytesPerSecond;
  };
  Averages JobAverages(int64_t now) const;

  DownloadHost* host_ = nullptr;
  int64_t total_bytes_ = 0;
  int64_t downloaded_bytes_ = 0;
  int64_t speed_ = 0;
  int64_t min_speed_ = kNoMinSpeed;
  int64_t max_speed_ = 0;
  int64_t bytes_at_last_speed_ = 0;
  std::string slowest_file_;
  std::string current_file_;
  int64_t last_progress_tick_ = 0;
  std::deque<double> samples_;
  int64_t last_speed_tick_ = 0;
  int64_t start_tick_ = 0;
};
