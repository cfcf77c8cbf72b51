// The transfer pump, the speed statistics, the speed limit and the trace file.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "project/Launcher/services/download_manager.h"

namespace {

int64_t SteadyMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string Format3(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

}  // namespace

void DownloadManager::PumpTransfers() {
  if (!running_ || (pending_.empty() && active_.empty() && verifying_.empty())) return;
  pump_tick_ = Now();
  CheckVerifications();
  // The pump runs at most pumpBudgetMs, and every call reads the finished
  // transfers and starts queued ones, so the worker's tick stays live.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(tuning_.pumpBudgetMs);
  for (;;) {
    int runningCount = 0;
    curl_multi_perform(multi_, &runningCount);
    ReadCompletions();
    CheckVerifications();
    StartPendingTasks();
    ReleaseHeldTransfers();
    if (!running_ || active_.empty()) return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return;
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(std::min<int64_t>(left, 5)), nullptr);
    pump_tick_ = Now();
  }
}

bool DownloadManager::HasWork() const {
  return running_ && (!pending_.empty() || !active_.empty() || !verifying_.empty());
}

void DownloadManager::ReadCompletions() {
  int left = 0;
  while (running_) {
    CURLMsg* message = curl_multi_info_read(multi_, &left);
    if (!message) break;
    if (message->msg == CURLMSG_DONE) OnTransferDone(message);
  }
}

void DownloadManager::StartPendingTasks() {
  if (!pending_.empty() && !paused_) limit_bps_ = ReceiveLimit(limit_mode_);
  while (running_ && !paused_ && !pending_.empty() &&
         active_.size() < static_cast<size_t>(tuning_.maxActive)) {
    TaskPtr task = std::move(pending_.front());
    pending_.pop_front();
    std::string error;
    if (StartTask(*task, &error)) {
      std::lock_guard<std::mutex> guard(lock_);
      active_.push_back(std::move(task));
    } else if (RotateAttempt(*task)) {
      Requeue(std::move(task));
    } else {
      FinishTask(std::move(task), kDownloadStartFailed, error, true);
    }
  }
}

int64_t DownloadManager::ReceiveLimit(int32_t mode) const {
  const SpeedLimitSetting setting = host_->SpeedLimit(mode);
  if (!setting.enabled || setting.figure <= 0) return 0;
  constexpr int64_t kBytesPerUnit = 204;
  if (setting.figure > INT64_MAX / kBytesPerUnit) return INT64_MAX;
  return setting.figure * kBytesPerUnit;
}

void DownloadManager::RefillBudget() {
  const int64_t now = SteadyMicros();
  if (budget_time_us_ == 0) budget_time_us_ = now;
  budget_ += static_cast<double>(now - budget_time_us_) * static_cast<double>(limit_bps_) / 1e6;
  budget_time_us_ = now;
  // At most a tenth of a second may be received in one burst.
  const double cap = std::max(16384.0, static_cast<double>(limit_bps_) / 10);
  budget_ = std::min(budget_, cap);
}

void DownloadManager::ReleaseHeldTransfers() {
  if (paused_) return;
  if (limit_bps_ > 0) {
    RefillBudget();
    if (budget_ <= 0) return;
  }
  std::vector<CURL*> held;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& task : active_) {
      if (task->heldByLimit && task->easy) {
        task->heldByLimit = false;
        held.push_back(task->easy);
      }
    }
  }
  for (CURL* easy : held) curl_easy_pause(easy, CURLPAUSE_CONT);
}

void DownloadManager::ApplySpeedLimit(int32_t mode) {
  if (!host_->OnWorkerThread()) {
    host_->PostToWorker([this, mode] { ApplySpeedLimit(mode); });
    return;
  }
  if (mode != limit_mode_) return;
  limit_bps_ = ReceiveLimit(mode);
  budget_ = 0;
  budget_time_us_ = 0;
  samples_.clear();
}

void DownloadManager::AddSpeedSample(double bytesPerSecond) {
  samples_.push_back(bytesPerSecond);
  while (samples_.size() > 60) samples_.pop_front();
  if (paused_) return;
  const int64_t now = Now();
  if (now - last_speed_tick_ < 1000) return;
  last_speed_tick_ = now;
  int64_t sum = 0;
  for (double s : samples_) sum += static_cast<int64_t>(s);
  const int64_t average = sum / static_cast<int64_t>(samples_.size());
  size_t transfers;
  {
    std::lock_guard<std::mutex> guard(lock_);
    transfers = active_.empty() ? 1 : active_.size();
  }
  const int64_t s = average * static_cast<int64_t>(transfers);
  const int64_t remaining =
      (total_bytes_ >= downloaded_bytes_ && s > 0) ? (total_bytes_ - downloaded_bytes_) / s : 0;
  speed_ = s;
  if (s < min_speed_ && samples_.size() > 30) {
    min_speed_ = s;
    slowest_file_ = current_file_;
  }
  if (s > max_speed_) max_speed_ = s;
  bytes_at_last_speed_ = downloaded_bytes_;
  host_->PostToMainWindow(DownloadHost::kMsgDownloadSpeed, remaining, s);
}

void DownloadManager::ResetSpeedStats() {
  speed_ = 0;
  min_speed_ = kNoMinSpeed;
  max_speed_ = 0;
  slowest_file_.clear();
  bytes_at_last_speed_ = 0;
  start_tick_ = Now();
}

void DownloadManager::ReportDownloadSpeed(const std::string& actionType) {
  if (speed_ <= 0) return;
  const int64_t seconds = (Now() - start_tick_) / 1000;
  const int64_t bytes = bytes_at_last_speed_ - host_->LoggedDownloadSize();
  const int64_t average = seconds > 0 ? bytes / seconds : speed_;
  host_->SendLauncherEvent(Format3(static_cast<double>(average) / (1 << 20)),
                           Format3(static_cast<double>(bytes) / (1 << 30)), actionType);
}

void DownloadManager::ReportDownloadStats(const std::string& actionId,
                                          const std::string& eventName, bool onlyWhileMoving) {
  if (speed_ <= 0 && onlyWhileMoving) return;
  const int64_t seconds = (Now() - start_tick_) / 1000;
  const int64_t bytes = bytes_at_last_speed_ - host_->LoggedDownloadSize();
  const int64_t average = seconds > 0 ? bytes / seconds : speed_;
  const std::string speedText = Format3(static_cast<double>(average) / (1 << 20));
  const std::string sizeText = Format3(static_cast<double>(bytes) / (1 << 30));
  const std::string timeText = std::to_string(seconds);
  host_->RecordDownloadStats(average, bytes_at_last_speed_, seconds);
  host_->SendLauncherDetailEvent(actionId, speedText, sizeText, timeText);
  host_->SendInstallAttribution(eventName, speedText, sizeText, timeText);
}

void DownloadManager::AppendTrace(const std::string& line) {
  if (trace_path_.empty()) return;
  const int fd = open(trace_path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const ssize_t written = write(fd, line.data(), line.size());
  (void)written;  // a lost trace line changes nothing else
  close(fd);
}
