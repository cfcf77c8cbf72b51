#include "project/Launcher/services/download_manager.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "platform/files/file_operations.h"
#include "project/Launcher/services/curl_handle_options.h"

namespace {

// Gates of the publisher (configuration; the gate's own configuration may
// replace the list).
constexpr const char* kPrimaryGate = "https://gate.valdrenth-game.com/";
constexpr const char* kGlobalGate = "https://gate-global.valdrenth-game.com/";

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

// What a part's last failed attempt tells the user: the server's status and
// the file when there was one, else libcurl's result and error text.
std::string TransferFailureText(const DownloadTask& task, CURLcode result, int status) {
  if (status >= 300 || (status > 0 && status < 200))
    return "HTTP " + std::to_string(status) + " for " + task.urlPath;
  if ((status == 200 || status == 206) && task.writer.answer() == PartWriter::Answer::kRefused)
    return "HTTP " + std::to_string(status) + " with other bytes than asked for " + task.urlPath;
  std::string text = std::to_string(static_cast<int>(result)) + "," + std::to_string(status);
  if (task.errorText[0]) text += std::string(",") + task.errorText;
  return text;
}

}  // namespace

DownloadManager& DownloadManager::GetInstance() {
  static DownloadManager instance;
  return instance;
}

DownloadManager::DownloadManager() : host_(&default_host_), clock_(SteadyMs) {
  stats_.Bind(host_);
}

DownloadManager::~DownloadManager() {
  running_ = false;
  Shutdown();
  if (multi_) curl_multi_cleanup(multi_);
}

// --- life ---

void DownloadManager::Init(DownloadHost* host, const DownloadTuning& tuning) {
  host_ = host ? host : &default_host_;
  stats_.Bind(host_);
  tuning_ = tuning;
  gate_urls_ = host_->ConfiguredGateUrls();
  if (gate_urls_.empty()) gate_urls_ = {kPrimaryGate, kPrimaryGate, kGlobalGate};
  if (!multi_) {
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
  }
  running_ = true;
  paused_ = false;
  limit_mode_ = 0;
  pump_tick_ = 0;
  stats_.Clear(Now());
  events_.ResetEndpoints(host_->ConfiguredTrackUrl());
  requests_.Configure(host_->CaFile(), tuning_.connectTimeoutSeconds, tuning_.maxAnswerBytes);
  FillHandlePool();
  trace_.Open(host_->SaveFolder());
}

void DownloadManager::Shutdown() {
  running_ = false;
  CancelAllTasks(0);
  events_.Clear();
  requests_.ReleaseHandles();
  for (CURL* easy : idle_handles_) curl_easy_cleanup(easy);
  idle_handles_.clear();
}

void DownloadManager::ConfigureHandle(CURL* easy) const {
  ApplyCommonCurlOptions(easy, host_->CaFile(), tuning_.connectTimeoutSeconds);
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

// --- queueing ---

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
  ledger_.Forget(localFile);

  if (md5.empty()) {
    if (!PrepareFreshFile(localFile, size, &error)) {
      if (onDone) onDone(user, kDownloadStartFailed, urlPath, error);
      return;
    }
    QueueParts({PartInfo{0, 0, size - 1}}, urlPath, localFile, md5, size, onDone, onProgress,
               user, retry, mirror);
    return;
  }
  auto presentAtSize = [&] {
    std::error_code ec;
    const auto present = std::filesystem::file_size(localFile, ec);
    return !ec && static_cast<int64_t>(present) == size;
  };
  std::vector<PartInfo> parts;
  if (presentAtSize() && LoadResumeInfo(localFile, md5, size, &parts)) {
    int64_t missing = 0;
    for (const auto& p : parts) missing += p.end - p.begin + 1;
    AddDownloaded(size - missing);
    host_->SetLoggedDownloadSize(stats_.downloaded_bytes());
    hashers_.erase(localFile);  // an older hasher of this file stops first
    auto& hasher = hashers_[localFile] = std::make_unique<FileHasher>(localFile, size);
    QueueParts(parts, urlPath, localFile, md5, size, onDone, onProgress, user, retry, mirror);
    hasher->StartAfterPresentBytes(ledger_.WrittenPrefix(localFile));
    return;
  }
  // An unusable record has taken the file with it; a file still there at its
  // size may be complete already: its MD5 decides, on the hashing thread.
  if (presentAtSize()) {
    PresentFileChecks::Check check;
    check.urlPath = urlPath;
    check.localFile = localFile;
    check.md5 = md5;
    check.size = size;
    check.onDone = std::move(onDone);
    check.onProgress = std::move(onProgress);
    check.user = user;
    check.retry = retry;
    check.mirror = mirror;
    checks_.Add(std::move(check));
    return;
  }
  StartFreshFile(urlPath, localFile, md5, size, onDone, onProgress, user, retry, mirror);
}

void DownloadManager::StartFreshFile(const std::string& urlPath, const std::string& localFile,
                                     const std::string& md5, int64_t size,
                                     const FileDoneCallback& onDone,
                                     const ProgressCallback& onProgress, int32_t user,
                                     int32_t retry, int32_t mirror) {
  std::string error;
  if (!PrepareFreshFile(localFile, size, &error)) {
    if (onDone) onDone(user, kDownloadStartFailed, urlPath, error);
    return;
  }
  const std::vector<PartInfo> parts = DivideIntoParts(size, tuning_.partSize);
  SaveResumeInfo(localFile, md5, parts);
  hashers_.erase(localFile);
  hashers_[localFile] = std::make_unique<FileHasher>(localFile, size);
  QueueParts(parts, urlPath, localFile, md5, size, onDone, onProgress, user, retry, mirror);
  AdvanceHasher(localFile);
}

void DownloadManager::QueueParts(const std::vector<PartInfo>& parts, const std::string& urlPath,
                                 const std::string& localFile, const std::string& md5,
                                 int64_t size, const FileDoneCallback& onDone,
                                 const ProgressCallback& onProgress, int32_t user,
                                 int32_t retry, int32_t mirror) {
  for (const auto& p : parts) {
    CreateTask(p.index, urlPath, localFile, md5, p.begin, p.end, size, onDone, onProgress, user,
               retry, mirror);
    ledger_.Add(localFile, p);
  }
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

// --- checks of present files ---

void DownloadManager::CheckPresentFiles() {
  PresentFileChecks::Check check;
  std::string computed;
  // Each check leaves the queue before its callback: that may queue or
  // cancel downloads.
  while (running_ && checks_.TakeFinished(&check, &computed)) {
    if (!computed.empty() && computed == check.md5) {
      platform::RemoveFileIfPresent(ResumeInfoPath(check.localFile));
      AddDownloaded(check.size);
      host_->SetLoggedDownloadSize(stats_.downloaded_bytes());
      if (check.onDone) check.onDone(check.user, kDownloadOk, check.urlPath, "");
    } else {
      StartFreshFile(check.urlPath, check.localFile, check.md5, check.size, check.onDone,
                     check.onProgress, check.user, check.retry, check.mirror);
    }
  }
  int percent = 0;
  if (checks_.TakeProgress(&percent)) host_->OnFilesCheckProgress(percent);
}

// --- the life of a task ---

bool DownloadManager::StartTask(DownloadTask& task, std::string* error) {
  error->clear();
  try {
    if (!CreateParentFolder(task.localFile)) {
      *error = OpenError(task.localFile, ENOENT);
      return false;
    }
    ReleaseTaskHandles(task);
    if (!task.writer.Open(task.localFile, error)) return false;
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
    task.writer.StartAnswer();
    task.writeFailed = false;
    task.heldByLimit = false;
    task.heldByHasher = false;
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
  task.writer.Close();
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
  ledger_.Forget(localFile);
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
  ledger_.Clear();
  checks_.Clear();
  paused_ = false;
  stats_.Clear(Now());
  limit_mode_ = mode;
}

void DownloadManager::PauseTransfers() {
  paused_ = true;
  for (CURL* easy : ActiveHandles()) curl_easy_pause(easy, CURLPAUSE_ALL);
  host_->OnDownloadPaused(true);
  ReportDownloadSpeed("pause");
  ReportDownloadStats("15", "click_launch_pause_game", true);
}

void DownloadManager::ResumeTransfers() {
  paused_ = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& task : active_) task->heldByLimit = task->heldByHasher = false;
  }
  // Resuming may deliver held data at once, through the write callback.
  for (CURL* easy : ActiveHandles()) curl_easy_pause(easy, CURLPAUSE_CONT);
  ResetSpeedStats();
  host_->SendLauncherDetailEvent("16", "", "", "");
  host_->SendInstallAttribution("click_launch_continue_download_game", "", "", "");
  host_->OnDownloadPaused(false);
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

// --- the pump ---

bool DownloadManager::HasWork() const {
  return running_ && (!pending_.empty() || !active_.empty() || !verifying_.empty() ||
                      !checks_.empty());
}

void DownloadManager::PumpTransfers() {
  if (!running_ ||
      (pending_.empty() && active_.empty() && verifying_.empty() && checks_.empty()))
    return;
  pump_tick_ = Now();
  CheckPresentFiles();
  CheckVerifications();
  // The pump runs at most pumpBudgetMs, and every call reads the finished
  // transfers and starts queued ones, so the worker's tick stays live.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(tuning_.pumpBudgetMs);
  for (;;) {
    int runningCount = 0;
    curl_multi_perform(multi_, &runningCount);
    ReadCompletions();
    DropSupersededTasks();
    CheckVerifications();
    StartPendingTasks();
    ReleaseHeldTransfers();
    FlushHashers();
    if (!running_ || active_.empty()) return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return;
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(std::min<int64_t>(left, 5)), nullptr);
    pump_tick_ = Now();
  }
}

void DownloadManager::ReadCompletions() {
  int left = 0;
  while (running_) {
    CURLMsg* message = curl_multi_info_read(multi_, &left);
    if (!message) break;
    if (message->msg == CURLMSG_DONE) OnTransferDone(message);
  }
}

void DownloadManager::DropSupersededTasks() {
  std::list<TaskPtr> dropped;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto it = active_.begin(); it != active_.end();) {
      if ((*it)->superseded) {
        dropped.push_back(std::move(*it));
        it = active_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& task : dropped) ReleaseTaskHandles(*task);
}

std::list<DownloadManager::TaskPtr>::iterator DownloadManager::NextTaskToStart() {
  // The lowest unfinished part of a file goes first (a file none of whose
  // parts runs yet, or a part tried again): the file's hash follows that
  // part, and several files side by side are hashed side by side.
  for (auto it = pending_.begin(); it != pending_.end(); ++it)
    if ((*it)->begin == ledger_.WrittenPrefix((*it)->localFile)) return it;
  return pending_.begin();
}

void DownloadManager::StartPendingTasks() {
  if (!pending_.empty() && !paused_) budget_.SetLimit(ReceiveLimit(limit_mode_));
  while (running_ && !paused_ && !pending_.empty() &&
         active_.size() < static_cast<size_t>(tuning_.maxActive)) {
    auto next = NextTaskToStart();
    TaskPtr task = std::move(*next);
    pending_.erase(next);
    if (task->superseded) continue;
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

// --- speed limit and statistics ---

int64_t DownloadManager::ReceiveLimit(int32_t mode) const {
  const SpeedLimitSetting setting = host_->SpeedLimit(mode);
  if (!setting.enabled || setting.figure <= 0) return 0;
  constexpr int64_t kBytesPerUnit = 204;
  if (setting.figure > INT64_MAX / kBytesPerUnit) return INT64_MAX;
  return setting.figure * kBytesPerUnit;
}

void DownloadManager::ReleaseHeldTransfers() {
  if (paused_) return;
  const bool budgetLeft = !(budget_.limited() && budget_.Spent());
  std::vector<CURL*> held;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& task : active_) {
      if (!task->easy) continue;
      if ((task->heldByLimit && budgetLeft) ||
          (task->heldByHasher && !HasherHolds(*task))) {
        task->heldByLimit = false;
        task->heldByHasher = false;
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
  budget_.SetLimit(ReceiveLimit(mode));
  budget_.Reset();
  stats_.ClearSamples();
}

void DownloadManager::AddSpeedSample(double bytesPerSecond) {
  size_t transfers;
  {
    std::lock_guard<std::mutex> guard(lock_);
    transfers = active_.size();
  }
  stats_.AddSample(bytesPerSecond, Now(), paused_, transfers);
}

// --- the transfers' callbacks ---

size_t DownloadManager::OnHeader(char* data, size_t size, size_t count, void* taskp) {
  const size_t n = size * count;
  auto* task = static_cast<DownloadTask*>(taskp);
  if (task) task->writer.OnHeaderLine(data, n);
  return n;
}

size_t DownloadManager::OnWriteData(char* data, size_t size, size_t count, void* taskp) {
  auto* task = static_cast<DownloadTask*>(taskp);
  if (!task || !task->owner->running_) return 0;
  DownloadManager* self = task->owner;
  if (!self->IsTaskRunning(task)) {
    self->AppendTrace("non work task:" + task->urlPath + ":begin:" +
                      std::to_string(task->begin) + ":end:" + std::to_string(task->end) + "\n");
    return 0;
  }
  return self->WriteTaskData(*task, data, size * count);
}

int DownloadManager::OnTransferProgress(void* taskp, curl_off_t, curl_off_t, curl_off_t,
                                        curl_off_t) {
  auto* task = static_cast<DownloadTask*>(taskp);
  if (!task) return 0;
  DownloadManager* self = task->owner;
  if (!self->running_) return 1;  // abort: the manager is stopping
  if (!task->onProgress || !self->IsTaskRunning(task)) return 0;
  curl_off_t speed = 0;
  if (curl_easy_getinfo(task->easy, CURLINFO_SPEED_DOWNLOAD_T, &speed) != CURLE_OK) return 0;
  self->stats_.SetCurrentFile(task->localFile);
  task->onProgress(task->user, static_cast<double>(speed));
  return 0;
}

size_t DownloadManager::WriteTaskData(DownloadTask& task, const char* data, size_t n) {
  if (task.superseded) return 0;
  const bool firstChunk = task.writer.answer() == PartWriter::Answer::kPending;
  switch (task.writer.Judge(task.begin, task.end, task.fileSize)) {
    case PartWriter::Answer::kPart:
      break;
    case PartWriter::Answer::kWholeFile:
      if (firstChunk) TakeWholeFile(task);
      break;
    default:
      return 0;  // nothing of a wrong answer reaches the file
  }
  if (task.finished() || n == 0) return 0;
  if (budget_.limited() && budget_.Spent()) {
    task.heldByLimit = true;
    return CURL_WRITEFUNC_PAUSE;  // libcurl keeps the data and hands it over again
  }
  FileHasher* hasher = HasherOf(task);
  const bool atPrefix = hasher && task.begin == ledger_.WrittenPrefix(task.localFile);
  if (hasher && hasher->Holds(atPrefix)) {
    task.heldByHasher = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  const size_t take = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n),
                                                            task.end - task.begin + 1));
  if (!task.writer.WriteAt(data, take, task.begin)) {
    const int error = errno;
    AppendTrace("recv write failed:" + task.urlPath + ":" + std::to_string(take) + ":begin:" +
                std::to_string(task.begin) + ":end:" + std::to_string(task.end) +
                ":errno:" + std::to_string(error) + "\n");
    // The transfer fails; none of this chunk counts, the next attempt
    // fetches it again from the part's unchanged begin.
    task.writeFailed = true;
    return 0;
  }
  // Bytes at the file's final prefix are hashed from this buffer; the ones
  // of other parts are read back once the prefix has reached them.
  if (atPrefix) hasher->Feed(task.begin, data, take);
  task.begin += static_cast<int64_t>(take);
  if (budget_.limited()) budget_.Consume(static_cast<int64_t>(take));
  NoteProgress(task);
  AddDownloaded(static_cast<int64_t>(take));
  if (pump_tick_ - task.lastFlushTick > 999 || task.finished()) {
    task.lastFlushTick = pump_tick_;
    // The record claims only bytes already handed to the system, so a crash
    // of this process loses nothing. Waiting for the disk here would stall
    // every transfer; should the system itself crash before the data lands,
    // the file's MD5 check catches it and the file is fetched again.
    SaveTaskRecord(task);
  }
  return take;  // less than n past the part's end: libcurl ends the transfer
}

void DownloadManager::TakeWholeFile(DownloadTask& task) {
  AppendTrace("range ignored:" + task.urlPath + "\n");
  // What the file's parts had written is written again by this transfer.
  AddDownloaded(-(task.fileSize - ledger_.Missing(task.localFile)));
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& other : active_)
      if (other.get() != &task && other->localFile == task.localFile) other->superseded = true;
  }
  for (auto& other : pending_)
    if (other->localFile == task.localFile) other->superseded = true;
  task.begin = 0;
  task.end = task.fileSize - 1;
  task.beginAtStart = 0;
  ledger_.Reset(task.localFile, {PartInfo{task.partIndex, 0, task.end}});
  if (!task.md5.empty()) {
    hashers_.erase(task.localFile);  // it may have hashed bytes written again now
    hashers_[task.localFile] = std::make_unique<FileHasher>(task.localFile, task.fileSize);
  }
  SaveTaskRecord(task);
}

void DownloadManager::NoteProgress(const DownloadTask& task) {
  if (ledger_.Update(task.localFile, PartInfo{task.partIndex, task.begin, task.end}))
    AdvanceHasher(task.localFile);
}

FileHasher* DownloadManager::HasherOf(const DownloadTask& task) const {
  if (task.md5.empty()) return nullptr;
  auto hasher = hashers_.find(task.localFile);
  return hasher == hashers_.end() ? nullptr : hasher->second.get();
}

bool DownloadManager::HasherHolds(const DownloadTask& task) const {
  const FileHasher* hasher = HasherOf(task);
  return hasher && hasher->Holds(task.begin == ledger_.WrittenPrefix(task.localFile));
}

void DownloadManager::FlushHashers() {
  for (auto& [file, hasher] : hashers_) hasher->Flush();
}

void DownloadManager::AdvanceHasher(const std::string& localFile) {
  auto hasher = hashers_.find(localFile);
  if (hasher == hashers_.end()) return;
  hasher->second->Advance(ledger_.WrittenPrefix(localFile));
}

void DownloadManager::SaveTaskRecord(const DownloadTask& task) {
  if (task.md5.empty()) return;  // a file without a digest has no record
  if (ledger_.Update(task.localFile, PartInfo{task.partIndex, task.begin, task.end}))
    ledger_.Save(task.localFile, task.md5);
}

// --- judging finished transfers ---

void DownloadManager::OnTransferDone(CURLMsg* message) {
  TaskPtr task;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto it = active_.begin(); it != active_.end(); ++it) {
      if ((*it)->easy == message->easy_handle) {
        task = std::move(*it);
        active_.erase(it);
        break;
      }
    }
  }
  if (!task) {
    AppendTrace("handle task but not found:" +
                std::to_string(static_cast<uint32_t>(
                    reinterpret_cast<uintptr_t>(message->easy_handle))) + "\n");
    return;
  }
  const CURLcode result = message->data.result;
  long status = 0;
  curl_easy_getinfo(task->easy, CURLINFO_RESPONSE_CODE, &status);
  ReleaseTaskHandles(*task);
  if (task->superseded) return;  // another transfer takes the whole file
  const int64_t served = task->writer.served_size();
  if (task->writer.Judge(task->begin, task->end, task->fileSize) ==
      PartWriter::Answer::kSizeMismatch) {
    FailSizeMismatch(std::move(task), served);
    return;
  }
  if (!task->finished()) {
    JudgeUnfinishedPart(std::move(task), result, static_cast<int>(status));
    return;
  }

  if (task->md5.empty()) {
    ledger_.Remove(task->localFile, task->partIndex);
    FinishTask(std::move(task), kDownloadOk, "", true);
    return;
  }
  if (ledger_.Remove(task->localFile, task->partIndex) > 0) {
    FinishTask(std::move(task), kDownloadOk, "waiting", false);  // other parts still run
    return;
  }
  // The last part: the whole file is final; judge it once its hash is done.
  ledger_.Forget(task->localFile);
  auto hasher = hashers_.find(task->localFile);
  if (hasher == hashers_.end())
    hasher = hashers_.emplace(task->localFile,
                              std::make_unique<FileHasher>(task->localFile, task->fileSize))
                 .first;
  hasher->second->Advance(INT64_MAX);
  verifying_.push_back(std::move(task));
}

void DownloadManager::JudgeUnfinishedPart(TaskPtr task, CURLcode result, int status) {
  // An attempt that moved the part forward is not counted against its mirror:
  // a slow or interrupted but working transfer goes on.
  const bool progressed = task->begin > task->beginAtStart;
  const bool failed = result != CURLE_OK || (status != 200 && status != 206);
  if (!failed) {
    AppendTrace(task->urlPath + ":" + std::to_string(task->begin) + "<=" +
                std::to_string(task->end) + "\n");
  }
  if (progressed) SaveTaskRecord(*task);  // where the next attempt starts
  if (progressed || RotateAttempt(*task)) {
    Requeue(std::move(task));
    return;
  }
  if (failed) {
    const std::string text = TransferFailureText(*task, result, status);
    AppendTrace(task->urlPath + ":" + std::to_string(static_cast<int>(result)) + "," +
                std::to_string(status) + (task->errorText[0] ? "," : "") + task->errorText +
                "\n");
    FinishTask(std::move(task), kDownloadTransferFailed, text, true);
  } else {
    const std::string text =
        "incomplete:" + std::to_string(task->begin) + "-" + std::to_string(task->end);
    FinishTask(std::move(task), kDownloadNoMirror, text, true);
  }
}

void DownloadManager::FailSizeMismatch(TaskPtr task, int64_t servedSize) {
  const std::string text = SizeMismatchText(task->urlPath, servedSize, task->fileSize);
  AppendTrace(text + "\n");
  // No retry can mend the version map: the file fails at once, and its
  // sized-up copy and record go, so nothing that large stays on disk.
  AbandonFile(task->localFile);
  platform::RemoveFileIfPresent(task->localFile);
  platform::RemoveFileIfPresent(ResumeInfoPath(task->localFile));
  FinishTask(std::move(task), kDownloadTransferFailed, text, true);
}

void DownloadManager::CheckVerifications() {
  // Take the judged tasks out first: a callback may queue or cancel downloads.
  std::vector<std::pair<TaskPtr, std::string>> ready;
  for (auto it = verifying_.begin(); it != verifying_.end();) {
    auto hasher = hashers_.find((*it)->localFile);
    std::string computed;
    if (hasher != hashers_.end() && !hasher->second->Finished(&computed)) {
      ++it;
      continue;
    }
    if (hasher != hashers_.end()) {
      read_back_bytes_ += hasher->second->read_back();
      hashers_.erase(hasher);
    }
    ready.emplace_back(std::move(*it), computed);
    it = verifying_.erase(it);
  }
  for (auto& [task, computed] : ready) {
    if (!computed.empty() && computed == task->md5) {
      FinishTask(std::move(task), kDownloadOk, "", true);
    } else {
      AppendTrace(task->urlPath + ":" + task->md5 + "!=" + computed + "\n");
      RetryAfterMd5Mismatch(std::move(task));
    }
  }
}

void DownloadManager::RetryAfterMd5Mismatch(TaskPtr task) {
  if (!RotateAttempt(*task)) {
    FinishTask(std::move(task), kDownloadMd5Mismatch, "check md5 error", true);
    return;
  }
  platform::RemoveFileIfPresent(task->localFile);
  platform::RemoveFileIfPresent(ResumeInfoPath(task->localFile));
  AddDownloaded(-task->fileSize);
  DownloadFile(task->urlPath, task->localFile, task->md5, task->fileSize, task->onDone,
               task->onProgress, task->user, task->retry, task->mirror);
  FinishTask(std::move(task), kDownloadOk, "replace", false);
}

// --- usage events ---

void DownloadManager::SendEvent(const std::string& body, const std::string& url, bool sendNow) {
  if (sendNow) {
    PostJson(body, url);
    return;
  }
  events_.Add(url, body);
}

void DownloadManager::SendQueuedEvent() {
  std::string url;
  std::string body;
  if (events_.TakeNext(&url, &body)) PostJson(body, url);
}
