#include "project/Launcher/services/request_client.h"

#include "project/Launcher/services/curl_handle_options.h"

namespace {

constexpr int64_t kMaxPostAnswerBytes = 1 << 20;

struct AnswerSink {
  std::string* buffer = nullptr;  // none: the body is discarded
  int64_t limit = 0;
  const std::atomic<bool>* running = nullptr;
};

size_t OnWriteAnswer(char* data, size_t size, size_t count, void* sinkp) {
  auto* sink = static_cast<AnswerSink*>(sinkp);
  const size_t n = size * count;
  if (!sink->running->load()) return 0;
  if (!sink->buffer) return n;
  if (static_cast<int64_t>(sink->buffer->size() + n) > sink->limit) return 0;  // too large
  sink->buffer->append(data, n);
  return n;
}

// Aborts a request once the flag drops; libcurl calls it at least about once
// a second, also while waiting for a silent server.
int OnRequestProgress(void* runningp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(runningp)->load() ? 0 : 1;
}

// The key handed to the callbacks: the callers name the request by it.
std::string RequestKey(const std::string& path, const std::string& body) {
  return JoinUrl(path, body);
}

std::string FailureText(CURLcode rc, long status) {
  return rc != CURLE_OK ? curl_easy_strerror(rc) : std::to_string(status);
}

}  // namespace

std::string JoinUrl(const std::string& base, const std::string& path) {
  if (base.empty()) return path;
  if (base.back() == '/') return base + path;
  return base + "/" + path;
}

struct RequestClient::Request {
  std::string url;
  std::string body;
  long connectTimeout = 10;
  long timeout = 60;
  bool probeRange = false;
  std::string* answer = nullptr;
  int64_t answerLimit = 0;
  long status = 0;
};

void RequestClient::Attempt::Next() {
  if (++retry >= kAttemptsPerMirror) {
    retry = 0;
    ++mirror;
  }
}

void RequestClient::Configure(std::string caFile, int connectTimeoutSeconds,
                              int64_t maxAnswerBytes) {
  ca_file_ = std::move(caFile);
  connect_timeout_seconds_ = connectTimeoutSeconds;
  max_answer_bytes_ = maxAnswerBytes;
  post_response_.clear();
}

void RequestClient::ReleaseHandles() {
  for (CURL* easy : in_flight_) curl_easy_cleanup(easy);
  in_flight_.clear();
}

CURL* RequestClient::NewHandle() {
  CURL* easy = curl_easy_init();
  if (!easy) return nullptr;
  in_flight_.push_back(easy);
  ApplyCommonCurlOptions(easy, ca_file_, connect_timeout_seconds_);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnRequestProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &running_);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnWriteAnswer);
  return easy;
}

void RequestClient::ReleaseHandle(CURL* easy) {
  in_flight_.remove(easy);
  curl_easy_cleanup(easy);
}

CURLcode RequestClient::Perform(Request& request) {
  CURL* easy = NewHandle();
  if (!easy) return CURLE_OUT_OF_MEMORY;
  AnswerSink sink{request.answer, request.answerLimit, &running_};
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "libcurl-agent/1.0");
  curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(easy, CURLOPT_TCP_KEEPIDLE, 120L);
  curl_easy_setopt(easy, CURLOPT_TCP_KEEPINTVL, 20L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, request.connectTimeout);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, request.timeout);
  if (request.probeRange) curl_easy_setopt(easy, CURLOPT_RANGE, "0-0");
  if (!request.body.empty()) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body.size()));
  }
  const CURLcode result = curl_easy_perform(easy);
  request.status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &request.status);
  ReleaseHandle(easy);
  return result;
}

bool RequestClient::Probe(const std::vector<std::string>& mirrors, const std::string& path,
                          const std::string& body, const ProbeDoneCallback& callback,
                          int32_t user) {
  if (mirrors.empty()) return false;
  Attempt attempt;
  bool exists = false;
  int32_t result = kDownloadOk;
  std::string message;
  while (running_ && attempt.mirror < mirrors.size()) {
    exists = false;
    result = kDownloadOk;
    message.clear();
    Request request;
    request.url = JoinUrl(mirrors[attempt.mirror], path);
    request.body = body;
    request.probeRange = true;
    const CURLcode rc = Perform(request);
    if (rc == CURLE_REMOTE_FILE_NOT_FOUND || (rc == CURLE_OK && request.status == 404)) break;
    if (rc == CURLE_OK && (request.status == 200 || request.status == 206)) {
      exists = true;
      break;
    }
    result = kDownloadStartFailed;
    message = FailureText(rc, request.status);
    attempt.Next();
  }
  if (callback && running_) callback(user, result, RequestKey(path, body), exists, message);
  return true;
}

bool RequestClient::FetchUrl(const std::string& url, const std::string& body,
                             const MemoryDoneCallback& callback, int32_t user) {
  std::string answer;
  Request request;
  request.url = url;
  request.body = body;
  request.connectTimeout = 5;
  request.timeout = 8;
  request.answer = &answer;
  request.answerLimit = max_answer_bytes_;
  const CURLcode rc = Perform(request);
  int32_t result = kDownloadOk;
  std::string message;
  if (rc != CURLE_OK || request.status != 200) {
    result = kDownloadStartFailed;
    message = FailureText(rc, request.status);
  }
  if (callback && running_)
    callback(user, result, RequestKey(url, body), answer.data(),
             static_cast<int64_t>(answer.size()), message);
  return true;
}

bool RequestClient::FetchFromMirrors(const std::vector<std::string>& mirrors,
                                     const std::string& path, const std::string& body,
                                     const MemoryDoneCallback& callback, int32_t user) {
  if (mirrors.empty()) {
    if (callback)
      callback(user, kDownloadNoMirror, RequestKey(path, body), nullptr, 0,
               "DownloadMemory URL is empty");
    return false;
  }
  Attempt attempt;
  std::string answer;
  int32_t result = kDownloadStartFailed;
  std::string message;
  while (running_ && attempt.mirror < mirrors.size()) {
    answer.clear();
    Request request;
    request.url = JoinUrl(mirrors[attempt.mirror], path);
    request.body = body;
    request.answer = &answer;
    request.answerLimit = max_answer_bytes_;
    const CURLcode rc = Perform(request);
    if (rc == CURLE_OK && request.status == 200) {
      result = kDownloadOk;
      message.clear();
      break;
    }
    result = kDownloadStartFailed;
    message = FailureText(rc, request.status);
    attempt.Next();
  }
  if (callback && running_)
    callback(user, result, RequestKey(path, body), answer.data(),
             static_cast<int64_t>(answer.size()), message);
  return true;
}

void RequestClient::PostJson(const std::string& body, const std::string& url, bool asQuery) {
  post_response_.clear();
  CURL* easy = NewHandle();
  if (!easy) return;
  AnswerSink sink{&post_response_, kMaxPostAnswerBytes, &running_};
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
  curl_slist* headers =
      curl_slist_append(nullptr, "Content-Type:application/json; charset=UTF-8");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(easy, CURLOPT_HEADER, 0L);
  std::string target;
  if (asQuery) {
    target = url + "?" + body;
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  } else {
    target = url;
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  }
  curl_easy_setopt(easy, CURLOPT_URL, target.c_str());
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 6L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, 6L);
  curl_easy_perform(easy);  // the outcome is not reported: events are best effort
  ReleaseHandle(easy);
  curl_slist_free_all(headers);
}
