#pragma once
// A plain HTTP client for the end-to-end tests: one GET or POST with libcurl,
// the status, the body and the headers of the answer.

#include <curl/curl.h>

#include <string>

struct HttpAnswer {
  long status = 0;
  std::string body;
  std::string headers;
};

inline size_t HttpAppend(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// |range| as libcurl takes it ("0-0"), empty for none; a non-empty |postBody|
// makes the request a POST.
inline HttpAnswer HttpRequest(const std::string& url, const std::string& range = {},
                              const std::string& postBody = {}) {
  HttpAnswer answer;
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, HttpAppend);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer.body);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, HttpAppend);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &answer.headers);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, 20L);
  if (!range.empty()) curl_easy_setopt(easy, CURLOPT_RANGE, range.c_str());
  if (!postBody.empty()) curl_easy_setopt(easy, CURLOPT_POSTFIELDS, postBody.c_str());
  if (curl_easy_perform(easy) == CURLE_OK) {
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answer.status);
  }
  curl_easy_cleanup(easy);
  return answer;
}
