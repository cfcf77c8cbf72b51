// Ranged transfers: the parts of a file, writing at the part's offset once
// the answer is known to be the right one, resume records, and the judgement
// of a finished transfer.
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "project/Launcher/services/download_manager.h"
#include "platform/files/file_operations.h"

namespace {

// The first byte of "Content-Range: bytes a-b/size", or -1.
int64_t ParseContentRangeBegin(const std::string& value) {
  size_t i = 0;
  while (i < value.size() && value[i] == ' ') ++i;
  if (value.compare(i, 6, "bytes ") != 0) return -1;
  i += 6;
  int64_t begin = 0;
  size_t digits = 0;
  for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i, ++digits) {
    if (begin > (INT64_MAX - 9) / 10) return -1;
    begin = begin * 10 + (value[i] - '0');
  }
  if (digits == 0 || i >= value.size() || value[i] != '-') return -1;
  return begin;
}

}  // namespace

void DownloadManager::AddTaskPart(const DownloadTask& task) {
  parts_[task.localFile].push_back(PartInfo{task.partIndex, task.begin, task.end});
}

int32_t DownloadManager::RemoveTaskPart(const DownloadTask& task) {
  auto it = parts_.find(task.localFile);
  if (it == parts_.end()) return 0;
  auto& list = it->second;
  for (auto p = list.begin(); p != list.end(); ++p) {
    if (p->index == task.partIndex) {
      list.erase(p);
      break;
    }
  }
  return static_cast<int32_t>(list.size());
}

void DownloadManager::NoteProgress(const DownloadTask& task) {
  if (task.md5.empty()) return;
  auto it = parts_.find(task.localFile);
  if (it == parts_.end()) return;
  for (auto& p : it->second) {
    if (p.index == task.partIndex) {
      p.begin = task.begin;
      p.end = task.end;
      break;
    }
  }
  AdvanceHasher(task.localFile);
}

void DownloadManager::AdvanceHasher(const std::string& localFile) {
  auto hasher = hashers_.find(localFile);
  if (hasher == hashers_.end()) return;
  // Every byte below the first unwritten byte of every unfinished part is final.
  int64_t prefix = INT64_MAX;
  auto it = parts_.find(localFile);
  if (it != parts_.end())
    for (const auto& p : it->second)
      if (p.begin <= p.end) prefix = std::min(prefix, p.begin);
  hasher->second->Advance(prefix);
}

void DownloadManager::SaveTaskRecord(const DownloadTask& task) {
  if (task.md5.empty()) return;  // a file without a digest has no record
  auto it = parts_.find(task.localFile);
  if (it == parts_.end()) return;
  for (auto& p : it->second) {
    if (p.index == task.partIndex) {
      p.begin = task.begin;
      p.end = task.end;
      SaveResumeInfo(task.localFile, task.md5, it->second);
      return;
    }
  }
}

size_t DownloadManager::OnHeader(char* data, size_t size, size_t count, void* taskp) {
  const size_t n = size * count;
  auto* task = static_cast<DownloadTask*>(taskp);
  if (!task) return n;
  const std::string line(data, n);
  if (line.rfind("HTTP/", 0) == 0) {
    task->contentRangeBegin = -1;  // a new answer (after a redirect) starts
  } else if (line.size() > 14 && strncasecmp(line.c_str(), "content-range:", 14) == 0) {
    task->contentRangeBegin = ParseContentRangeBegin(line.substr(14));
  }
  return n;
}

size_t DownloadManager::OnWriteData(char* data, size_t size, size_t count, void* taskp) {
  auto* task = static_cast<DownloadTask*>(taskp);
  if (!task || !task->owner->running_) return 0;
  DownloadManager* self = task->owner;
  if (!self->IsTaskRunning(task)) {
    self->AppendTrace("non work task:" + std::to_string(task->fd) + ":begin:" +
                      std::to_string(task->begin) + ":end:" + std::to_string(task->end) + "\n");
    return 0;
  }
  return self->WriteTaskData(*task, data, size * count);
}

bool DownloadManager::CheckAnswer(DownloadTask& task) {
  long status = 0;
  curl_easy_getinfo(task.easy, CURLINFO_RESPONSE_CODE, &status);
  // Only the bytes the part asked for may reach the file: a 206 starting at
  // the part's next byte, or a whole-file 200 for a part that starts at 0.
  if (status == 206) return task.contentRangeBegin == task.begin;
  if (status == 200) return task.begin == 0;
  return false;
}

size_t DownloadManager::WriteTaskData(DownloadTask& task, const char* data, size_t n) {
  if (!task.answerChecked) {
    task.answerChecked = true;
    task.answerAccepted = CheckAnswer(task);
  }
  if (!task.answerAccepted || task.finished() || n == 0) return 0;
  if (limit_bps_ > 0) {
    RefillBudget();
    if (budget_ <= 0) {
      task.heldByLimit = true;
      return CURL_WRITEFUNC_PAUSE;  // libcurl keeps the data and hands it over again
    }
  }
  const size_t take = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n),
                                                            task.end - task.begin + 1));
  size_t written = 0;
  while (written < take) {
    const ssize_t w = pwrite(task.fd, data + written, take - written,
                             static_cast<off_t>(task.begin + static_cast<int64_t>(written)));
    if (w <= 0) {
      const int error = errno;
      AppendTrace("recv write failed:" + task.urlPath + ":" + std::to_string(take) +
                  ":begin:" + std::to_string(task.begin) + ":end:" + std::to_string(task.end) +
                  ":errno:" + std::to_string(error) + "\n");
      // The transfer fails; none of this chunk counts, the next attempt
      // fetches it again from the part's unchanged begin.
      task.writeFailed = true;
      return 0;
    }
    written += static_cast<size_t>(w);
  }
  task.begin += static_cast<int64_t>(take);
  if (limit_bps_ > 0) budget_ -= static_cast<double>(take);
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

int DownloadManager::OnTransferProgress(void* taskp, curl_off_t, curl_off_t, curl_off_t,
                                        curl_off_t) {
  auto* task = static_cast<DownloadTask*>(taskp);
  if (!task) return 0;
  DownloadManager* self = task->owner;
  if (!self->running_) return 1;  // abort: the manager is stopping
  if (!task->onProgress || !self->IsTaskRunning(task)) return 0;
  curl_off_t speed = 0;
  if (curl_easy_getinfo(task->easy, CURLINFO_SPEED_DOWNLOAD_T, &speed) != CURLE_OK) return 0;
  self->current_file_ = task->localFile;
  task->onProgress(task->user, static_cast<double>(speed));
  return 0;
}

void DownloadManager::AddDownloaded(int64_t delta) {
  downloaded_bytes_ = std::max<int64_t>(0, downloaded_bytes_ + delta);
  if (!paused_ &&
      (pump_tick_ - last_progress_tick_ > 999 || downloaded_bytes_ >= total_bytes_)) {
    last_progress_tick_ = pump_tick_;
    host_->PostToMainWindow(DownloadHost::kMsgDownloadProgress, total_bytes_,
                            downloaded_bytes_);
  }
}

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
  // An attempt that moved the part forward is not counted against its mirror:
  // a slow or interrupted but working transfer goes on.
  const bool progressed = task->begin > task->beginAtStart;

  if (!task->finished()) {
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
      std::string text = std::to_string(static_cast<int>(result)) + "," + std::to_string(status);
      if (task->errorText[0]) text += std::string(",") + task->errorText;
      AppendTrace(task->urlPath + ":" + text + "\n");
      FinishTask(std::move(task), kDownloadTransferFailed, text, true);
    } else {
      const std::string text =
          "incomplete:" + std::to_string(task->begin) + "-" + std::to_string(task->end);
      FinishTask(std::move(task), kDownloadNoMirror, text, true);
    }
    return;
  }

  if (task->md5.empty()) {
    RemoveTaskPart(*task);
    FinishTask(std::move(task), kDownloadOk, "", true);
    return;
  }
  if (RemoveTaskPart(*task) > 0) {
    FinishTask(std::move(task), kDownloadOk, "waiting", false);  // other parts still run
    return;
  }
  // The last part: the whole file is final; judge it once its hash is done.
  parts_.erase(task->localFile);
  auto hasher = hashers_.find(task->localFile);
  if (hasher == hashers_.end())
    hasher = hashers_.emplace(task->localFile,
                              std::make_unique<FileHasher>(task->localFile, task->fileSize))
                 .first;
  hasher->second->Advance(INT64_MAX);
  verifying_.push_back(std::move(task));
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
    if (hasher != hashers_.end()) hashers_.erase(hasher);
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
