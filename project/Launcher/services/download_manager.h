// The download service of the launcher: whole files fetched from a list of
// mirrors as ranged HTTP(S) transfers in parts, several at once on one libcurl
// multi handle, with a resume record beside every file in download, an MD5
// check of the finished file, attempts rotated over the mirrors, speed
// statistics and a speed limit; plus the synchronous requests and probes of the
// update states and the usage-event transport.
//
// The manager lives on the worker thread: everything but `paused()`,
// `Stop()` and `ApplySpeedLimit()` is called there. It reaches the program
// around it only through its DownloadHost.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "project/Launcher/services/download_host.h"
#include "project/Launcher/services/download_task.h"
#include "project/Launcher/services/file_hasher.h"
#include "project/Launcher/services/resume_info.h"

// Figures that the tests and the benchmark may change; the defaults are the
// launcher's.
struct DownloadTuning {
  int64_t partSize = 0x2000000;        // 32 MiB
  int maxActive = 5;                   // transfers at once
  int connectTimeoutSeconds = 10;
  // A transfer that receives less than one byte a second for this long has
  // stalled and fails; a slow but moving one never does.
  int stallSeconds = 60;
  int pumpBudgetMs = 10;               // longest a pump call runs
  int64_t maxAnswerBytes = 64 << 20;   // bound of a request's answer in memory
  long receiveBufferBytes = 500000;
};

class DownloadManager {
 public:
  static constexpr int32_t kAttemptsPerMirror = 3;
  static constexpr int64_t kNoMinSpeed = 100000000000LL;

  // The process-wide manager.
  static DownloadManager& GetInstance();

  DownloadManager();
  ~DownloadManager();
  DownloadManager(const DownloadManager&) = delete;
  DownloadManager& operator=(const DownloadManager&) = delete;

  // --- life ---
  // Worker thread, once. The host must outlive the manager.
  void Init(DownloadHost* host, const DownloadTuning& tuning = DownloadTuning());
  // Any thread: every loop, callback and request stops; requests in progress
  // abort promptly.
  void Stop() { running_ = false; }
  bool running() const { return running_; }
  // Worker thread, after Stop: cancels every transfer, drops queued events and
  // releases every handle.
  void Shutdown();
  // Clock of the manager in milliseconds (monotonic); tests may replace it.
  void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }

  // --- mirrors ---
  void SetDlcUrls(const std::vector<std::string>& urls);
  void SetMirrors(const std::vector<std::string>& urls) { mirrors_ = urls; }
  const std::vector<std::string>& mirrors() const { return mirrors_; }
  const std::vector<std::string>& gate_urls() const { return gate_urls_; }
  const std::vector<std::string>& dlc_urls() const { return dlc_urls_; }

  // --- downloads ---
  void DownloadFile(const std::string& urlPath, const std::string& localFile,
                    const std::string& md5, int64_t size, FileDoneCallback onDone,
                    ProgressCallback onProgress, int32_t user, int32_t retry = 0,
                    int32_t mirror = 0);
  void CancelAllTasks(int32_t mode);
  // Pauses every transfer (the pause toggle); ResumeTransfers undoes it.
  void PauseTransfers();
  void ResumeTransfers();
  bool paused() const { return paused_; }
  int32_t limit_mode() const { return limit_mode_; }
  size_t pending_count() const { return pending_.size(); }
  size_t active_count() const { return active_.size(); }
  size_t verifying_count() const { return verifying_.size(); }

  // --- pump, statistics, limit ---
  void PumpTransfers();
  // True while the pump has transfers to run or check: the worker keeps its
  // short tick until they are done.
  bool HasWork() const;
  void AddSpeedSample(double bytesPerSecond);
  void ResetSpeedStats();
  // Any thread; takes effect on the worker.
  void ApplySpeedLimit(int32_t mode);
  void ReportDownloadSpeed(const std::string& actionType);
  void ReportDownloadStats(const std::string& actionId, const std::string& eventName,
                           bool onlyWhileMoving);
  void AppendTrace(const std::string& line);
  // Bytes per second for the limit mode (0 = none).
  int64_t ReceiveLimit(int32_t mode) const;

  // The job being downloaded, set by the state that queues it.
  void SetJob(int64_t totalBytes);
  int64_t total_bytes() const { return total_bytes_; }
  int64_t downloaded_bytes() const { return downloaded_bytes_; }
  int64_t speed() const { return speed_; }
  int64_t min_speed() const { return min_speed_; }
  int64_t max_speed() const { return max_speed_; }
  const std::string& slowest_file() const { return slowest_file_; }
  size_t sample_count() const { return samples_.size(); }

  // --- synchronous requests ---
  bool ProbeRemoteFile(const std::string& path, const std::string& body,
                       ProbeDoneCallback callback, int32_t user);
  bool FetchUrlMemory(const std::string& url, const std::string& body,
                      MemoryDoneCallback callback, int32_t user);
  bool DownloadMemory(const std::string& path, const std::string& body,
                      MemoryDoneCallback callback, int32_t user);
  void PostJson(const std::string& body, const std::string& url);
  const std::string& post_response() const { return post_response_; }

  // --- usage events ---
  void SendEvent(const std::string& body, const std::string& url, bool sendNow);
  void SendQueuedEvent();
  std::string GetAttributionUrl() const { return attribution_url_; }
  const std::string& track_url() const { return track_url_; }
  void SetEndpointsForTesting(const std::string& trackUrl, const std::string& attributionUrl);
  size_t queued_event_count() const;

  // libcurl callbacks.
  static size_t OnWriteData(char* data, size_t size, size_t count, void* task);
  static size_t OnHeader(char* data, size_t size, size_t count, void* task);
  static int OnTransferProgress(void* task, curl_off_t dlTotal, curl_off_t dlNow,
                                curl_off_t ulTotal, curl_off_t ulNow);

 private:
  using TaskPtr = std::unique_ptr<DownloadTask>;

  int64_t Now() const { return clock_(); }
  void FillHandlePool();
  void ConfigureHandle(CURL* easy) const;
  void ConfigureRequestHandle(CURL* easy) const;

  void CreateTask(int32_t partIndex, const std::string& urlPath, const std::string& localFile,
                  const std::string& md5, int64_t begin, int64_t end, int64_t fileSize,
                  const FileDoneCallback& onDone, const ProgressCallback& onProgress,
                  int32_t user, int32_t retry, int32_t mirror);
  bool StartTask(DownloadTask& task, std::string* error);
  void FinishTask(TaskPtr task, int32_t result, const std::string& message, bool callBack);
  void ReleaseTaskHandles(DownloadTask& task);
  // Ends every other part of a file that has failed, without callbacks: a
  // file gets one outcome. Its resume record stays for a later attempt.
  void AbandonFile(const std::string& localFile);
  bool IsTaskRunning(const DownloadTask* task) const;
  std::vector<CURL*> ActiveHandles() const;
  // Advances retry and mirror; true while a mirror is left.
  bool RotateAttempt(DownloadTask& task) const;
  void Requeue(TaskPtr task);

  void AddTaskPart(const DownloadTask& task);
  int32_t RemoveTaskPart(const DownloadTask& task);
  void SaveTaskRecord(const DownloadTask& task);
  size_t WriteTaskData(DownloadTask& task, const char* data, size_t n);
  bool CheckAnswer(DownloadTask& task);
  void OnTransferDone(CURLMsg* message);
  // Keeps the part's next byte current and lets the file's hasher follow.
  void NoteProgress(const DownloadTask& task);
  void AdvanceHasher(const std::string& localFile);
  // Judges files whose last part has ended once their MD5 is known.
  void CheckVerifications();
  void RetryAfterMd5Mismatch(TaskPtr task);
  void AddDownloaded(int64_t delta);
  bool PrepareFreshFile(const std::string& localFile, int64_t size, std::string* error);

  void ReadCompletions();
  void StartPendingTasks();
  // The speed limit is one budget for the whole download, refilled with time:
  // a transfer whose data finds the budget spent is paused until it refills.
  void RefillBudget();
  void ReleaseHeldTransfers();

  struct Request;
  CURLcode PerformRequest(Request& request);
  std::string RequestKey(const std::string& path, const std::string& body) const;

  DownloadHost* host_ = nullptr;
  DownloadHost default_host_;
  DownloadTuning tuning_;
  std::function<int64_t()> clock_;

  CURLM* multi_ = nullptr;
  std::atomic<bool> running_{false};
  std::atomic<bool> paused_{false};
  int32_t limit_mode_ = 0;
  std::vector<std::string> gate_urls_;
  std::vector<std::string> dlc_urls_;
  std::vector<std::string> mirrors_;
  std::list<TaskPtr> pending_;
  std::list<TaskPtr> active_;
  std::list<CURL*> in_flight_;
  std::list<CURL*> idle_handles_;
  mutable std::mutex lock_;  // guards active_
  std::map<std::string, std::vector<PartInfo>> parts_;
  std::map<std::string, std::unique_ptr<FileHasher>> hashers_;
  std::list<TaskPtr> verifying_;  // last parts whose file is being hashed
  int64_t limit_bps_ = 0;            // current receive limit, 0 = none
  double budget_ = 0;                // bytes that may still be received now
  int64_t budget_time_us_ = 0;

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
  int64_t pump_tick_ = 0;
  int64_t start_tick_ = 0;
  std::string trace_path_;
  std::string track_url_;
  std::string attribution_url_;
  std::string post_response_;
  std::map<std::string, std::deque<std::string>> event_queue_;
};

// Joins a base URL and a path with exactly the "/" the base lacks.
std::string JoinUrl(const std::string& base, const std::string& path);
