#include "project/Launcher/core/gate_config.h"

#include <gtest/gtest.h>

#include "project/Launcher/services/json_helpers.h"

namespace {

GateConfig FromText(const std::string& text) {
  Json::Value root;
  std::string error;
  EXPECT_TRUE(ParseJson(text, root, error)) << text;
  GateConfig config;
  GateConfigFromJson(root, &config);
  return config;
}

}  // namespace

TEST(GateConfigTest, ListsTakeOneValueOrAnArray) {
  EXPECT_EQ(FromText(R"({"GateURLs": "a"})").GateURLs, (std::vector<std::string>{"a"}));
  EXPECT_EQ(FromText(R"({"GateURLs": ["a", "b"]})").GateURLs,
            (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(FromText(R"({"DlcURLs": ["m1", 7, true, null, {"x": 1}, ["y"]]})").DlcURLs,
            (std::vector<std::string>{"m1", "7", "true"}));
  EXPECT_TRUE(FromText(R"({"DlcURLs": {"x": "y"}, "GateURLs": null})").DlcURLs.empty());
}

TEST(GateConfigTest, ScalarsConvertOrKeepTheirDefault) {
  struct Case {
    const char* json;
    GateConfig expected;
  };
  auto with = [](auto change) {
    GateConfig c;
    change(c);
    return c;
  };
  const Case cases[] = {
      {R"({"QaGate": 1})", with([](auto& c) { c.QaGate = true; })},
      {R"({"QaGate": 0.5, "DisableAutoEnterGame": true})",
       with([](auto& c) { c.QaGate = c.DisableAutoEnterGame = true; })},
      {R"({"QaGate": "yes"})", GateConfig{}},
      {R"({"GateKey": 12345, "TrackURL": false})",
       with([](auto& c) { c.GateKey = "12345"; c.TrackURL = "false"; })},
      {R"({"GateKey": {"k": 1}, "ActivityURL": ["u"]})", GateConfig{}},
      {R"({"RefreshInterval": 5, "UpdateInterval": true})",
       with([](auto& c) { c.RefreshInterval = 5; c.UpdateInterval = 1; })},
      {R"({"RefreshInterval": 7.9, "UpdateInterval": -2.5})",
       with([](auto& c) { c.RefreshInterval = 7; c.UpdateInterval = -2; })},
      {R"({"RefreshInterval": 1e300, "UpdateInterval": 4294967296})", GateConfig{}},
      {R"({"RefreshInterval": "5", "UpdateInterval": [5]})", GateConfig{}},
      {R"({"ActivityURL": "https://a/b?c=d", "Unknown": 1})",
       with([](auto& c) { c.ActivityURL = "https://a/b?c=d"; })},
      {R"([{"GateKey": "k"}])", GateConfig{}},
  };
  for (const Case& c : cases) EXPECT_EQ(FromText(c.json), c.expected) << c.json;
}

TEST(GateConfigTest, IntervalsOutsideOneToNinetyNineUseTheDefaults) {
  struct Case {
    int32_t interval;
    int32_t refresh, update, poll;
  } cases[] = {
      {0, 480, 720, 31},  {-1, 480, 720, 31}, {1, 1, 1, 2},
      {5, 5, 5, 6},       {99, 99, 99, 100},  {100, 480, 720, 31},
      {120, 480, 720, 31}, {INT32_MAX, 480, 720, 31},
  };
  for (const Case& c : cases) {
    GateConfig config;
    config.RefreshInterval = config.UpdateInterval = c.interval;
    EXPECT_EQ(EffectiveRefreshMinutes(config), c.refresh) << c.interval;
    EXPECT_EQ(EffectiveUpdateMinutes(config), c.update) << c.interval;
    EXPECT_EQ(EffectivePreDownloadPollMinutes(config), c.poll) << c.interval;
  }
}
