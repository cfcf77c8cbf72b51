// The synchronous requests of the launcher: the probe that tells whether a
// file exists on the mirrors, requests whose answer is kept in memory, and
// JSON posts. Each runs to its end on the calling thread (the worker), one
// handle each, and reports through its callback before it returns; every
// request aborts promptly once the running flag drops.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "project/Launcher/services/download_task.h"

// Joins a base URL and a path with exactly the "/" the base lacks.
std::string JoinUrl(const std::string& base, const std::string& path);

class RequestClient {
 public:
  static constexpr int32_t kAttemptsPerMirror = 3;

  explicit RequestClient(const std::atomic<bool>& running) : running_(running) {}
  ~RequestClient() { ReleaseHandles(); }
  RequestClient(const RequestClient&) = delete;
  RequestClient& operator=(const RequestClient&) = delete;

  // CA bundle (empty: the system's), connect time-out and the bound of an
  // answer kept in memory.
  void Configure(std::string caFile, int connectTimeoutSeconds, int64_t maxAnswerBytes);
  // Cleans up the handles of requests still registered (the end of the worker).
  void ReleaseHandles();

  // Whether |path| exists on one of |mirrors|, attempts rotated over them.
  // False, without a callback, when there is no mirror.
  bool Probe(const std::vector<std::string>& mirrors, const std::string& path,
             const std::string& body, const ProbeDoneCallback& callback, int32_t user);
  // One request to a full URL; the answer in memory.
  bool FetchUrl(const std::string& url, const std::string& body,
                const MemoryDoneCallback& callback, int32_t user);
  // |path| from the mirrors in turn until one answers 200; the answer in
  // memory. False (after the callback) when there is no mirror.
  bool FetchFromMirrors(const std::vector<std::string>& mirrors, const std::string& path,
                        const std::string& body, const MemoryDoneCallback& callback,
                        int32_t user);
  // Posts a JSON body, or with |asQuery| sends it as the query of a GET; the
  // answer is kept (post_response) but the outcome is not reported.
  void PostJson(const std::string& body, const std::string& url, bool asQuery);
  const std::string& post_response() const { return post_response_; }

 private:
  struct Request;
  struct Attempt {
    int32_t retry = 0;
    size_t mirror = 0;
    void Next();
  };
  CURL* NewHandle();
  void ReleaseHandle(CURL* easy);
  CURLcode Perform(Request& request);

  const std::atomic<bool>& running_;
  std::string ca_file_;
  int connect_timeout_seconds_ = 10;
  int64_t max_answer_bytes_ = 64 << 20;
  std::list<CURL*> in_flight_;
  std::string post_response_;
};
