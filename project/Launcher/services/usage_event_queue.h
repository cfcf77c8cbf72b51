// Usage records waiting to be posted, one queue per endpoint, and the two
// endpoints of the publisher's analytics and attribution services. A queued
// record leaves one at a time, when the worker has a quiet moment.
#pragma once

#include <deque>
#include <map>
#include <string>

class UsageEventQueue {
 public:
  UsageEventQueue();

  void SetEndpoints(std::string trackUrl, std::string attributionUrl);
  // Restores the built-in endpoints; |trackUrl| replaces the analytics one
  // when not empty (the gate configuration's).
  void ResetEndpoints(const std::string& trackUrl);
  const std::string& track_url() const { return track_url_; }
  const std::string& attribution_url() const { return attribution_url_; }
  // The attribution service takes its record as the query of a GET.
  bool TakesQuery(const std::string& url) const { return url == attribution_url_; }

  void Add(const std::string& url, const std::string& body);
  // The oldest record of the first endpoint that has one; false when none.
  bool TakeNext(std::string* url, std::string* body);
  void Clear() { queues_.clear(); }
  size_t size() const;

 private:
  std::string track_url_;
  std::string attribution_url_;
  std::map<std::string, std::deque<std::string>> queues_;
};
