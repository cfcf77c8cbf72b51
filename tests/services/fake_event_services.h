#pragma once
// A fake transport and environment for usage events: the worker is the test
// thread itself, and every record handed on is kept for inspection.

#include <string>
#include <vector>

#include <json/json.h>

#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/usage_events.h"

class FakeEventEnvironment : public UsageEventEnvironment {
 public:
  std::string MachineGuid() override { return guid; }
  std::string DeviceId() override { return deviceId; }
  void UtcDateTime(std::string* date, std::string* time) override {
    *date = "2025-03-07";
    *time = "14:05:09";
  }
  int64_t UnixTimeSeconds() override { return unixTime; }
  std::string CpuName() override { return cpu; }
  std::string OsVersion() override { return "6.1.0"; }
  std::string ProductName() override { return "Debian GNU/Linux 12 (bookworm)"; }
  std::optional<std::string> Country() override { return country; }
  std::u16string ModuleDirectory() override { return u"/opt/launcher/"; }
  std::u16string UiLanguage() override { return u"ko"; }
  bool IsGameRunning() override { return gameRunning; }
  std::optional<uint64_t> AvailableBytes(const std::u16string&) override { return available; }

  std::string guid = "guid-1";
  std::string deviceId = "pc-1";
  std::string cpu = "Intel(R) Core(TM) i7 CPU @ 2.80GHz";
  int64_t unixTime = 4102444800;  // past 2^31: 2100-01-01
  std::optional<std::string> country = std::string("KR");
  bool gameRunning = false;
  std::optional<uint64_t> available = uint64_t{5} << 30;
};

class FakeEventTransport : public UsageEventTransport {
 public:
  struct Sent {
    std::string body;
    std::string url;
    enum Route { kQueued, kSentNow, kPostedJson } route;
  };

  void PostToWorker(std::function<void()> task) override {
    ++posted;
    task();
  }
  void SendEvent(const std::string& body, const std::string& url, bool sendNow) override {
    sent.push_back({body, url, sendNow ? Sent::kSentNow : Sent::kQueued});
  }
  void PostJson(const std::string& body, const std::string& url) override {
    sent.push_back({body, url, Sent::kPostedJson});
  }
  std::string TrackUrl() override { return "https://track.test/track/json_track?token=t"; }
  std::string AttributionUrl() override { return "https://callback.test/v1/adjust"; }
  DownloadSpeedFigures SpeedFigures() override { return speeds; }

  // The body of the one record sent, parsed.
  Json::Value OnlyRecord() const {
    Json::Value root;
    std::string error;
    if (sent.size() == 1) ParseJson(sent[0].body, root, error);
    return root;
  }

  int posted = 0;
  std::vector<Sent> sent;
  DownloadSpeedFigures speeds;
};

// Registers the fakes for the life of a test.
class ScopedEventServices {
 public:
  ScopedEventServices(UsageEventStore* store, UsageEventEnvironment* env,
                      UsageEventTransport* transport) {
    SetUsageEventServices(store, env, transport);
  }
  ~ScopedEventServices() { SetUsageEventServices(nullptr, nullptr, nullptr); }
};
