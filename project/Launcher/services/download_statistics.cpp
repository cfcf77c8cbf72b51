#include "project/Launcher/services/download_statistics.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Format3(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

constexpr size_t kMaxSamples = 60;
// The minimum speed is only trusted once this many samples are held.
constexpr size_t kSamplesForMinimum = 30;

}  // namespace

void DownloadStatistics::SetJob(int64_t totalBytes, int64_t now) {
  total_bytes_ = totalBytes;
  start_tick_ = now;
}

void DownloadStatistics::Clear(int64_t now) {
  total_bytes_ = 0;
  downloaded_bytes_ = 0;
  samples_.clear();
  last_progress_tick_ = 0;
  last_speed_tick_ = 0;
  ResetSpeeds(now);
}

void DownloadStatistics::ResetSpeeds(int64_t now) {
  speed_ = 0;
  min_speed_ = kNoMinSpeed;
  max_speed_ = 0;
  slowest_file_.clear();
  bytes_at_last_speed_ = 0;
  start_tick_ = now;
}

void DownloadStatistics::AddDownloaded(int64_t delta, int64_t tick, bool paused) {
  downloaded_bytes_ = std::max<int64_t>(0, downloaded_bytes_ + delta);
  if (paused) return;
  if (tick - last_progress_tick_ > 999 || downloaded_bytes_ >= total_bytes_) {
    last_progress_tick_ = tick;
    if (host_) host_->OnDownloadProgress(total_bytes_, downloaded_bytes_);
  }
}

void DownloadStatistics::AddSample(double bytesPerSecond, int64_t now, bool paused,
                                   size_t transfers) {
  samples_.push_back(bytesPerSecond);
  while (samples_.size() > kMaxSamples) samples_.pop_front();
  if (paused) return;
  if (now - last_speed_tick_ < 1000) return;
  last_speed_tick_ = now;
  int64_t sum = 0;
  for (double s : samples_) sum += static_cast<int64_t>(s);
  const int64_t average = sum / static_cast<int64_t>(samples_.size());
  const int64_t s = average * static_cast<int64_t>(std::max<size_t>(transfers, 1));
  const int64_t remaining =
      (total_bytes_ >= downloaded_bytes_ && s > 0) ? (total_bytes_ - downloaded_bytes_) / s : 0;
  speed_ = s;
  if (s < min_speed_ && samples_.size() > kSamplesForMinimum) {
    min_speed_ = s;
    slowest_file_ = current_file_;
  }
  if (s > max_speed_) max_speed_ = s;
  bytes_at_last_speed_ = downloaded_bytes_;
  if (host_) host_->OnDownloadSpeed(remaining, s);
}

DownloadStatistics::Averages DownloadStatistics::JobAverages(int64_t now) const {
  Averages a;
  a.seconds = (now - start_tick_) / 1000;
  a.bytes = bytes_at_last_speed_ - (host_ ? host_->LoggedDownloadSize() : 0);
  a.bytesPerSecond = a.seconds > 0 ? a.bytes / a.seconds : speed_;
  return a;
}

void DownloadStatistics::ReportSpeed(const std::string& actionType, int64_t now) const {
  if (speed_ <= 0 || !host_) return;
  const Averages a = JobAverages(now);
  host_->SendLauncherEvent(Format3(static_cast<double>(a.bytesPerSecond) / (1 << 20)),
                           Format3(static_cast<double>(a.bytes) / (1 << 30)), actionType);
}

void DownloadStatistics::ReportStats(const std::string& actionId, const std::string& eventName,
                                     bool onlyWhileMoving, int64_t now) const {
  if ((speed_ <= 0 && onlyWhileMoving) || !host_) return;
  const Averages a = JobAverages(now);
  const std::string speedText = Format3(static_cast<double>(a.bytesPerSecond) / (1 << 20));
  const std::string sizeText = Format3(static_cast<double>(a.bytes) / (1 << 30));
  const std::string timeText = std::to_string(a.seconds);
  host_->RecordDownloadStats(a.bytesPerSecond, bytes_at_last_speed_, a.seconds);
  host_->SendLauncherDetailEvent(actionId, speedText, sizeText, timeText);
  host_->SendInstallAttribution(eventName, speedText, sizeText, timeText);
}
