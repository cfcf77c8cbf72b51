// Files already present at their size without a resume record wait here for
// their MD5 check before anything of them is fetched. One file is hashed at
// a time, on a hashing thread, so the worker never blocks on a large file;
// the share of the queued bytes checked so far is the check's progress.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "project/Launcher/services/download_task.h"
#include "project/Launcher/services/file_hasher.h"

class PresentFileChecks {
 public:
  // The download the check stands for, queued again when the file differs.
  struct Check {
    std::string urlPath;
    std::string localFile;
    std::string md5;
    int64_t size = 0;
    FileDoneCallback onDone;
    ProgressCallback onProgress;
    int32_t user = 0;
    int32_t retry = 0;
    int32_t mirror = 0;
  };

  void Add(Check check);
  // Starts the next hash when none runs. True with the first check whose
  // hash is done and the digest found (empty when the file could not be
  // read); it leaves the queue.
  bool TakeFinished(Check* check, std::string* md5);
  // True with the percentage checked when it changed since the last call;
  // after the last check of a run 100 is reported once and the run ends.
  bool TakeProgress(int* percent);
  void Clear();
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

 private:
  struct Entry {
    Check check;
    std::unique_ptr<FileHasher> hasher;
  };
  std::list<Entry> entries_;
  int64_t total_bytes_ = 0;  // of the checks queued in this run
  int64_t done_bytes_ = 0;
  int reported_ = -1;
};
