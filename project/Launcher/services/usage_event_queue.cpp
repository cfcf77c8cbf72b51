#include "project/Launcher/services/usage_event_queue.h"

namespace {

// Endpoints of the publisher's services (configuration; the gate's own
// configuration may replace the track URL).
constexpr const char* kTrackUrl =
    "https://analytics.valdrenth-game.com/track/json_track?token=5f0c3a9e2b7d41c8a6e09b13";
constexpr const char* kAttributionUrl = "https://callback.valdrenth-game.com/v1/adjust";

}  // namespace

UsageEventQueue::UsageEventQueue() : track_url_(kTrackUrl), attribution_url_(kAttributionUrl) {}

void UsageEventQueue::SetEndpoints(std::string trackUrl, std::string attributionUrl) {
  track_url_ = std::move(trackUrl);
  attribution_url_ = std::move(attributionUrl);
}

void UsageEventQueue::ResetEndpoints(const std::string& trackUrl) {
  track_url_ = trackUrl.empty() ? kTrackUrl : trackUrl;
  attribution_url_ = kAttributionUrl;
}

void UsageEventQueue::Add(const std::string& url, const std::string& body) {
  queues_[url].push_back(body);
}

bool UsageEventQueue::TakeNext(std::string* url, std::string* body) {
  for (auto& [endpoint, bodies] : queues_) {
    if (bodies.empty()) continue;
    *url = endpoint;
    *body = std::move(bodies.front());
    bodies.pop_front();
    return true;
  }
  return false;
}

size_t UsageEventQueue::size() const {
  size_t n = 0;
  for (const auto& entry : queues_) n += entry.second.size();
  return n;
}
