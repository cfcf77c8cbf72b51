// The manager's life, its handle pool, the mirror lists and the life of a
// download task.
#include "project/Launcher/services/download_manager.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "project/Launcher/services/file_md5.h"
#include "platform/files/file_operations.h"

namespace {

// Endpoints of the publisher's services (configuration; the gate's own
// configuration may replace the gate list and the track URL).
constexpr const char* kPrimaryGate = "https://gate.valdrenth-game.com/";
constexpr const char* kGlobalGate = "https://gate-global.valdrenth-game.com/";
constexpr const char* kTrackUrl =
    "https://analytics.valdrenth-game.com/track/json_track?token=5f0c3a9e2b7d41c8a6e09b13";
constexpr const char* kAttributionUrl = "https://callback.valdrenth-game.com/v1/adjust";

// libcurl's global state lives as long as the process.
struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_ALL); }
  ~CurlGlobal() { curl_global_cleanup(); }
};
const CurlGlobal g_curl_global;

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool CreateParentFolder(const std::string& file) {
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  if (folder.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

std::string OpenError(const std::string& file, int error) {
  return "open:(" + file + ") failed,errno:" + std::to_string(error);
}

}  // namespace

DownloadManager& DownloadManager::GetInstance() {
  static DownloadManager instance;
  return instance;
}

DownloadManager::DownloadManager() : host_(&default_host_), clock_(SteadyMs) {}

DownloadManager::~DownloadManager() {
  running_ = false;
  Shutdown();
  if (multi_) curl_multi_cleanup(multi_);
}

void DownloadManager::Init(DownloadHost* host, const DownloadTuning& tuning) {
  host_ = host ? host : &default_host_;
  tuning_ = tuning;
  attribution_url_ = kAttributionUrl;
  track_url_ = kTrackUrl;
  gate_urls_ = host_->ConfiguredGateUrls();
  if (gate_urls_.empty()) gate_urls_ = {kPrimaryGate, kPrimaryGate, kGlobalGate};
  if (!multi_) {
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
  }
  total_bytes_ = 0;
  downloaded_bytes_ = 0;
  running_ = true;
  paused_ = false;
  limit_mode_ = 0;
  pump_tick_ = 0;
  post_response_.clear();
  const std::string configuredTrack = host_->ConfiguredTrackUrl();
  if (!configuredTrack.empty()) track_url_ = configuredTrack;
  ResetSpeedStats();
  FillHandlePool();

  trace_path_.clear();
  std::string folder = host_->SaveFolder();
  if (!folder.empty()) {
    if (folder.back() != '/') folder += '/';
    trace_path_ = folder + "dltrace.log";
    const int fd = open(trace_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
  }
}

void DownloadManager::Shutdown() {
  running_ = false;
  CancelAllTasks(0);
  event_queue_.clear();
  for (CURL* easy : in_flight_) curl_easy_cleanup(easy);
  in_flight_.clear();
  for (CURL* easy : idle_handles_) curl_easy_cleanup(easy);
  idle_handles_.clear();
}

void DownloadManager::ConfigureHandle(CURL* easy) const {
  // HTTP/2 where TLS negotiates it, HTTP/1.1 otherwise.
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
  curl_easy_setopt(easy, CURLOPT_PIPEWAIT, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string ca = host_->CaFile();
  if (!ca.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, ca.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(tuning_.connectTimeoutSeconds));
}

void DownloadManager::FillHandlePool() {
  for (int i = 0; i < tuning_.maxActive; ++i) {
    CURL* easy = curl_easy_init();
    if (!easy) return;
    ConfigureHandle(easy);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &DownloadManager::OnWriteData);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &DownloadManager::OnHeader);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &DownloadManager::OnTransferProgress);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, tuning_.receiveBufferBytes);
    // No total time-out: a slow transfer that moves goes on; one that receives
    // nothing for stallSeconds fails and is tried again.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(tuning_.stallSeconds));
    idle_handles_.push_back(easy);
  }
}

void DownloadManager::SetDlcUrls(const std::vector<std::string>& urls) {
  dlc_urls_ = host_->ConfiguredDlcUrls();
  if (dlc_urls_.empty()) dlc_urls_ = urls;
}

bool DownloadManager::PrepareFreshFile(const std::string& localFile, int64_t size,
                                       std::string* error) {
  if (!CreateParentFolder(localFile)) {
    *error = OpenError(localFile, ENOENT);
    return false;
  }
  const int fd = open(localFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = OpenError(localFile, errno);
    return false;
  }
  // Nothing of an older file survives a fresh start: emptied, then sized
  // (sparse) so every part writes at its own offset.
  const bool ok = ftruncate(fd, 0) == 0 && ftruncate(fd, size) == 0;
  const int truncError = errno;
  close(fd);
  if (!ok) *error = OpenError(localFile, truncError);
  return ok;
}

void DownloadManager::DownloadFile(const std::string& urlPath, const std::string& localFile,
                                   const std::string& md5, int64_t size, FileDoneCallback onDone,
                                   ProgressCallback onProgress, int32_t user, int32_t retry,
                                   int32_t mirror) {
  if (mirrors_.empty()) {
    if (onDone) onDone(user, kDownloadNoMirror, urlPath, "DownloadFile URL is empty");
    return;
  }
  if (size < 0) {
    if (onDone) onDone(user, kDownloadNoMirror, urlPath, "invalid size");
    return;
  }
  std::string error;
  if (size == 0) {
    const bool made = PrepareFreshFile(localFile, 0, &error);
    if (onDone) onDone(user, made ? kDownloadOk : kDownloadStartFailed, urlPath, error);
    return;
  }
  parts_.erase(localFile);

  std::vector<PartInfo> parts;
  if (md5.empty()) {
    parts.push_back(PartInfo{0, 0, size - 1});
    if (!PrepareFreshFile(localFile, size, &error)) {
      if (onDone) onDone(user, kDownloadStartFailed, urlPath, error);
      return;
    }
  } else {
    std::error_code ec;
    const auto present = std::filesystem::file_size(localFile, ec);
    const bool sizeMatches = !ec && static_cast<int64_t>(present) == size;
    if (sizeMatches && LoadResumeInfo(localFile, md5, size, &parts)) {
      int64_t missing = 0;
      for (const auto& p : parts) missing += p.end - p.begin + 1;
      AddDownloaded(size - missing);
      host_->SetLoggedDownloadSize(downloaded_bytes_);
    } else {
      parts.clear();
      std::string computed;
      int64_t computedSize = 0;
      if (sizeMatches && CheckFileMd5(localFile, md5, computed, computedSize)) {
        platform::RemoveFileIfPresent(ResumeInfoPath(localFile));
        AddDownloaded(size);
        host_->SetLoggedDownloadSize(downloaded_bytes_);
        if (onDone) onDone(user, kDownloadOk, urlPath, "");
        return;
      }
      if (!PrepareFreshFile(localFile, size, &error)) {
        if (onDone) onDone(user, kDownloadStartFailed, urlPath, error);
        return;
      }
      parts = DivideIntoParts(size, tuning_.partSize);
      SaveResumeInfo(localFile, md5, parts);
    }
    hashers_.erase(localFile);  // an older hasher of this file stops first
    hashers_[localFile] = std::make_unique<FileHasher>(localFile, size);
  }
  for (const auto& p : parts) {
    CreateTask(p.index, urlPath, localFile, md5, p.begin, p.end, size, onDone, onProgress, user,
               retry, mirror);
    AddTaskPart(*pending_.back());
  }
  if (!md5.empty()) AdvanceHasher(localFile);
}

void DownloadManager::CreateTask(int32_t partIndex, const std::string& urlPath,
                                 const std::string& localFile, const std::string& md5,
                                 int64_t begin, int64_t end, int64_t fileSize,
                                 const FileDoneCallback& onDone,
                                 const ProgressCallback& onProgress, int32_t user,
                                 int32_t retry, int32_t mirror) {
  auto task = std::make_unique<DownloadTask>();
  task->owner = this;
  task->partIndex = partIndex;
  task->urlPath = urlPath;
  task->localFile = localFile;
  task->md5 = md5;
  task->begin = begin;
  task->end = end;
  task->fileSize = fileSize;
  task->onDone = onDone;
  task->onProgress = onProgress;
  task->user = user;
  task->retry = retry;
  task->mirror = mirror;
  task->lastFlushTick = Now();
  pending_.push_back(std::move(task));
}

bool DownloadManager::StartTask(DownloadTask& task, std::string* error) {
  error->clear();
  try {
    if (!CreateParentFolder(task.localFile)) {
      *error = OpenError(task.localFile, ENOENT);
      return false;
    }
    ReleaseTaskHandles(task);
    task.fd = open(task.localFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (task.fd < 0) {
      *error = OpenError(task.localFile, errno);
      return false;
    }
    if (idle_handles_.empty()) FillHandlePool();
    if (idle_handles_.empty()) {
      ReleaseTaskHandles(task);
      *error = "no transfer handle";
      return false;
    }
    task.easy = idle_handles_.front();
    idle_handles_.pop_front();

    std::string url = JoinUrl(mirrors_.at(static_cast<size_t>(task.mirror)), task.urlPath);
    if (host_->UseWebExtraParam()) url += "?t=" + std::to_string(pump_tick_);
    const std::string range = std::to_string(task.begin) + "-" + std::to_string(task.end);
    task.errorText[0] = '\0';
    task.beginAtStart = task.begin;
    task.answerChecked = false;
    task.answerAccepted = false;
    task.writeFailed = false;
    task.heldByLimit = false;
    task.contentRangeBegin = -1;
    curl_easy_setopt(task.easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(task.easy, CURLOPT_WRITEDATA, &task);
    curl_easy_setopt(task.easy, CURLOPT_HEADERDATA, &task);
    curl_easy_setopt(task.easy, CURLOPT_XFERINFODATA, &task);
    curl_easy_setopt(task.easy, CURLOPT_RANGE, range.c_str());
    curl_easy_setopt(task.easy, CURLOPT_ERRORBUFFER, task.errorText);
    const CURLMcode added = curl_multi_add_handle(multi_, task.easy);
    if (added != CURLM_OK) {
      *error = curl_multi_strerror(added);
      ReleaseTaskHandles(task);
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    ReleaseTaskHandles(task);
    *error = e.what();
    AppendTrace("start task failed:" + task.urlPath + ":" + e.what() + "\n");
    return false;
  }
}

void DownloadManager::ReleaseTaskHandles(DownloadTask& task) {
  if (task.fd >= 0) {
    close(task.fd);
    task.fd = -1;
  }
  if (task.easy) {
    curl_multi_remove_handle(multi_, task.easy);
    curl_easy_setopt(task.easy, CURLOPT_ERRORBUFFER, nullptr);
    idle_handles_.push_back(task.easy);
    task.easy = nullptr;
  }
}

void DownloadManager::FinishTask(TaskPtr task, int32_t result, const std::string& message,
                                 bool callBack) {
  ReleaseTaskHandles(*task);
  if (result != kDownloadOk) AbandonFile(task->localFile);
  if (callBack && task->onDone && running_)
    task->onDone(task->user, result, task->urlPath, message);
  if (result == kDownloadOk && message.empty()) platform::RemoveFileIfPresent(ResumeInfoPath(task->localFile));
}

void DownloadManager::AbandonFile(const std::string& localFile) {
  auto sameFile = [&](const TaskPtr& t) { return t->localFile == localFile; };
  std::list<TaskPtr> dropped;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto it = active_.begin(); it != active_.end();) {
      if (sameFile(*it)) {
        dropped.push_back(std::move(*it));
        it = active_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto* list : {&pending_, &verifying_}) {
    for (auto it = list->begin(); it != list->end();) {
      if (sameFile(*it)) {
        dropped.push_back(std::move(*it));
        it = list->erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& task : dropped) ReleaseTaskHandles(*task);
  parts_.erase(localFile);
  hashers_.erase(localFile);
}

bool DownloadManager::RotateAttempt(DownloadTask& task) const {
  task.retry += 1;
  if (task.retry >= kAttemptsPerMirror) {
    task.retry = 0;
    task.mirror += 1;
  }
  return static_cast<size_t>(task.mirror) < mirrors_.size();
}

void DownloadManager::Requeue(TaskPtr task) { pending_.push_back(std::move(task)); }

void DownloadManager::CancelAllTasks(int32_t mode) {
  std::list<TaskPtr> cancelled;
  {
    std::lock_guard<std::mutex> guard(lock_);
    cancelled.swap(active_);
  }
  // Outside the lock: removing a handle may call back into the manager.
  for (auto& task : cancelled) ReleaseTaskHandles(*task);
  cancelled.clear();
  for (auto& task : pending_) ReleaseTaskHandles(*task);
  pending_.clear();
  verifying_.clear();
  hashers_.clear();
  parts_.clear();
  paused_ = false;
  total_bytes_ = 0;
  downloaded_bytes_ = 0;
  samples_.clear();
  last_progress_tick_ = 0;
  last_speed_tick_ = 0;
  ResetSpeedStats();
  limit_mode_ = mode;
}

void DownloadManager::PauseTransfers() {
  paused_ = true;
  for (CURL* easy : ActiveHandles()) curl_easy_pause(easy, CURLPAUSE_ALL);
  host_->PostToMainWindow(DownloadHost::kMsgDownloadPaused, 0, 1);
  ReportDownloadSpeed("pause");
  ReportDownloadStats("15", "click_launch_pause_game", true);
}

void DownloadManager::ResumeTransfers() {
  paused_ = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& task : active_) task->heldByLimit = false;
  }
  // Resuming may deliver held data at once, through the write callback.
  for (CURL* easy : ActiveHandles()) curl_easy_pause(easy, CURLPAUSE_CONT);
  ResetSpeedStats();
  host_->SendLauncherDetailEvent("16", "", "", "");
  host_->SendInstallAttribution("click_launch_continue_download_game", "", "", "");
  host_->PostToMainWindow(DownloadHost::kMsgDownloadPaused, 0, 0);
}

std::vector<CURL*> DownloadManager::ActiveHandles() const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<CURL*> handles;
  for (const auto& task : active_)
    if (task->easy) handles.push_back(task->easy);
  return handles;
}

bool DownloadManager::IsTaskRunning(const DownloadTask* task) const {
  if (!task) return false;
  std::lock_guard<std::mutex> guard(lock_);
  for (const auto& t : active_)
    if (t.get() == task) return true;
  return false;
}

void DownloadManager::SetJob(int64_t totalBytes) {
  total_bytes_ = totalBytes;
  start_tick_ = Now();
}
