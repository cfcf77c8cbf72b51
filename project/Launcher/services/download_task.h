// One ranged transfer of one part of one file, owned by the download
// manager's pending or active list.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "project/Launcher/services/part_writer.h"

// Results handed to every callback of the download manager.
enum DownloadResult : int32_t {
  kDownloadOk = 0,
  kDownloadNoMirror = -1,      // no mirror, or a part stayed incomplete everywhere
  kDownloadStartFailed = -2,   // no transfer could start; a request failed everywhere
  kDownloadTransferFailed = -3,
  kDownloadMd5Mismatch = -4,
};

using FileDoneCallback = std::function<void(int32_t user, int32_t result,
                                            std::string urlPath, std::string message)>;
using ProgressCallback = std::function<void(int32_t user, double bytesPerSecond)>;
using MemoryDoneCallback =
    std::function<void(int32_t user, int32_t result, std::string key, const char* data,
                       int64_t length, std::string message)>;
using ProbeDoneCallback = std::function<void(int32_t user, int32_t result, std::string key,
                                             bool exists, std::string message)>;

class DownloadManager;

struct DownloadTask {
  DownloadManager* owner = nullptr;
  std::string urlPath;
  std::string localFile;
  std::string md5;
  CURL* easy = nullptr;
  PartWriter writer;
  int32_t retry = 0;
  int32_t mirror = 0;
  int32_t user = 0;
  int64_t lastFlushTick = 0;
  int32_t partIndex = 0;
  int64_t begin = 0;
  int64_t end = 0;
  int64_t fileSize = 0;
  char errorText[CURL_ERROR_SIZE] = {};
  FileDoneCallback onDone;
  ProgressCallback onProgress;

  // State of the current attempt; the writer judges its answer.
  int64_t beginAtStart = 0;
  bool writeFailed = false;
  bool heldByLimit = false;  // paused until the speed-limit budget refills
  bool heldByHasher = false; // paused until the file's hasher catches up
  // Another transfer takes the whole file (its server ignores ranges): this
  // one ends silently.
  bool superseded = false;

  bool finished() const { return begin > end; }
};
