// The download service of the launcher: whole files fetched from a list of
// mirrors as ranged HTTP(S) transfers in parts, several at once on one libcurl
// multi handle. A download is a request (the file, its mirrors and its
// attempts), the parts' writer with the file's resume record, and the MD5
// check that judges the finished file. Around it: the speed limit's budget,
// the job's statistics, the synchronous requests and the usage-event queue,
// each a class of its own.
//
// The manager lives on the worker thread: everything but `paused()`,
// `Stop()` and `ApplySpeedLimit()` is called there. It reaches the program
// around it only through its DownloadHost, and tells it of progress, speed,
// pause and checks as events.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "project/Launcher/services/download_host.h"
#include "project/Launcher/services/download_statistics.h"
#include "project/Launcher/services/download_task.h"
#include "project/Launcher/services/download_trace.h"
#include "project/Launcher/services/file_hasher.h"
#include "project/Launcher/services/present_file_checks.h"
#include "project/Launcher/services/request_client.h"
#include "project/Launcher/services/resume_info.h"
#include "project/Launcher/services/resume_ledger.h"
#include "project/Launcher/services/transfer_budget.h"
#include "project/Launcher/services/usage_event_queue.h"

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
  static constexpr int32_t kAttemptsPerMirror = RequestClient::kAttemptsPerMirror;
  static constexpr int64_t kNoMinSpeed = DownloadStatistics::kNoMinSpeed;

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
  // A file already present at its size without a resume record is checked
  // against |md5| on the hashing thread first (the host hears of the check's
  // progress); it is fetched only when it differs.
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
  size_t checking_count() const { return checks_.size(); }
  // Bytes of the checked downloads that their hash read back from the disk
  // (they arrived out of order, or before a resume); the rest was hashed
  // straight from the receive buffer.
  int64_t read_back_bytes() const { return read_back_bytes_; }

  // --- pump, statistics, limit ---
  void PumpTransfers();
  // True while the pump has transfers to run or check: the worker keeps its
  // short tick until they are done.
  bool HasWork() const;
  void AddSpeedSample(double bytesPerSecond);
  void ResetSpeedStats() { stats_.ResetSpeeds(Now()); }
  // Any thread; takes effect on the worker.
  void ApplySpeedLimit(int32_t mode);
  void ReportDownloadSpeed(const std::string& actionType) { stats_.ReportSpeed(actionType, Now()); }
  void ReportDownloadStats(const std::string& actionId, const std::string& eventName,
                           bool onlyWhileMoving) {
    stats_.ReportStats(actionId, eventName, onlyWhileMoving, Now());
  }
  void AppendTrace(const std::string& line) { trace_.Append(line); }
  // Bytes per second for the limit mode (0 = none).
  int64_t ReceiveLimit(int32_t mode) const;

  // The job being downloaded, set by the state that queues it.
  void SetJob(int64_t totalBytes) { stats_.SetJob(totalBytes, Now()); }
  int64_t total_bytes() const { return stats_.total_bytes(); }
  int64_t downloaded_bytes() const { return stats_.downloaded_bytes(); }
  int64_t speed() const { return stats_.speed(); }
  int64_t min_speed() const { return stats_.min_speed(); }
  int64_t max_speed() const { return stats_.max_speed(); }
  const std::string& slowest_file() const { return stats_.slowest_file(); }
  size_t sample_count() const { return stats_.sample_count(); }

  // --- synchronous requests ---
  bool ProbeRemoteFile(const std::string& path, const std::string& body,
                       ProbeDoneCallback callback, int32_t user) {
    return requests_.Probe(mirrors_, path, body, callback, user);
  }
  bool FetchUrlMemory(const std::string& url, const std::string& body,
                      MemoryDoneCallback callback, int32_t user) {
    return requests_.FetchUrl(url, body, callback, user);
  }
  bool DownloadMemory(const std::string& path, const std::string& body,
                      MemoryDoneCallback callback, int32_t user) {
    return requests_.FetchFromMirrors(mirrors_, path, body, callback, user);
  }
  void PostJson(const std::string& body, const std::string& url) {
    requests_.PostJson(body, url, events_.TakesQuery(url));
  }
  const std::string& post_response() const { return requests_.post_response(); }

  // --- usage events ---
  void SendEvent(const std::string& body, const std::string& url, bool sendNow);
  void SendQueuedEvent();
  std::string GetAttributionUrl() const { return events_.attribution_url(); }
  const std::string& track_url() const { return events_.track_url(); }
  void SetEndpointsForTesting(const std::string& trackUrl, const std::string& attributionUrl) {
    events_.SetEndpoints(trackUrl, attributionUrl);
  }
  size_t queued_event_count() const { return events_.size(); }

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

  // Divides the file, writes its first record and queues its parts.
  void StartFreshFile(const std::string& urlPath, const std::string& localFile,
                      const std::string& md5, int64_t size, const FileDoneCallback& onDone,
                      const ProgressCallback& onProgress, int32_t user, int32_t retry,
                      int32_t mirror);
  void QueueParts(const std::vector<PartInfo>& parts, const std::string& urlPath,
                  const std::string& localFile, const std::string& md5, int64_t size,
                  const FileDoneCallback& onDone, const ProgressCallback& onProgress,
                  int32_t user, int32_t retry, int32_t mirror);
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
  void Requeue(TaskPtr task) { pending_.push_back(std::move(task)); }
  // Ends the transfers whose file another transfer now takes whole.
  void DropSupersededTasks();

  // Judges the present files whose check is done: complete, or fetched.
  void CheckPresentFiles();

  void SaveTaskRecord(const DownloadTask& task);
  size_t WriteTaskData(DownloadTask& task, const char* data, size_t n);
  // The server ignored the range and sends the whole file: this transfer
  // takes the whole file from byte 0, the file's other parts end.
  void TakeWholeFile(DownloadTask& task);
  void OnTransferDone(CURLMsg* message);
  void JudgeUnfinishedPart(TaskPtr task, CURLcode result, int status);
  void FailSizeMismatch(TaskPtr task, int64_t servedSize);
  // Keeps the part's next byte current and lets the file's hasher follow.
  void NoteProgress(const DownloadTask& task);
  void AdvanceHasher(const std::string& localFile);
  // The hasher of the task's file; none for a file without a digest.
  FileHasher* HasherOf(const DownloadTask& task) const;
  // True while the task's transfer should wait for its file's hasher.
  bool HasherHolds(const DownloadTask& task) const;
  // Hands partly filled blocks to hashers that have nothing else to do.
  void FlushHashers();
  // Judges files whose last part has ended once their MD5 is known.
  void CheckVerifications();
  void RetryAfterMd5Mismatch(TaskPtr task);
  void AddDownloaded(int64_t delta) { stats_.AddDownloaded(delta, pump_tick_, paused_); }
  bool PrepareFreshFile(const std::string& localFile, int64_t size, std::string* error);

  void ReadCompletions();
  void StartPendingTasks();
  std::list<TaskPtr>::iterator NextTaskToStart();
  void ReleaseHeldTransfers();

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
  std::list<CURL*> idle_handles_;
  mutable std::mutex lock_;  // guards active_
  ResumeLedger ledger_;
  std::map<std::string, std::unique_ptr<FileHasher>> hashers_;
  std::list<TaskPtr> verifying_;  // last parts whose file is being hashed
  PresentFileChecks checks_;
  TransferBudget budget_;
  DownloadStatistics stats_;
  DownloadTrace trace_;
  RequestClient requests_{running_};
  UsageEventQueue events_;
  int64_t pump_tick_ = 0;
  int64_t read_back_bytes_ = 0;
};
