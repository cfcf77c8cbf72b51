#include "project/Launcher/services/usage_events.h"

#include <gtest/gtest.h>

#include "tests/services/fake_event_services.h"

namespace {

class FakeStore : public UsageEventStore {
 public:
  FakeStore() {
    facts.installPackageType = "steam";
    facts.languageCode = "ko";
    facts.publicAddress = "203.0.113.7";
    facts.gid = "\ucc44\ub110";
    facts.localGameVersion = "10077_0_1";
    facts.remoteGameVersion = "10078_0_1";
    facts.downloadingGameVersion = "10078_0_1";
    facts.gamePath = u"/games/\uac8c\uc784";
    facts.downloadSpeedSetting = 4096;
  }
  UsageEventStoreFacts UsageEventFacts() const override { return facts; }
  UsageEventStoreFacts facts;
};

// A transport whose worker runs tasks only when the test says so.
class DeferredTransport : public FakeEventTransport {
 public:
  void PostToWorker(std::function<void()> task) override { tasks.push_back(std::move(task)); }
  void RunWorker() {
    for (auto& task : tasks) task();
    tasks.clear();
  }
  std::vector<std::function<void()>> tasks;
};

class UsageEventsTest : public ::testing::Test {
 protected:
  FakeStore store_;
  FakeEventEnvironment env_;
  DownloadSpeedFigures speeds_{100000000000, 3 * 1048576 + 524288, "KVOR_Data/big.bin"};
};

}  // namespace

TEST_F(UsageEventsTest, RecordsAsGoldenText) {
  EXPECT_EQ(BuildUiClickRecord(store_.facts, env_, "click_button", "Install"),
            R"~({"action":"install","event_date":"2025-03-07","event_time":"2025-03-07 14:05:09",)~"
            R"~("game_id":"10043","install_package_type":"steam","log_type":"ovdnlepcstarteruiclick",)~"
            R"~("pc_id":"pc-1","uitype":"click_button"})~");

  EXPECT_EQ(BuildLauncherDetailRecord(store_.facts, env_, speeds_, "17", "1024", "2048", "9"),
            R"~({"action_id":"17","channel":"채널","country":"KR",)~"
            R"~("cpu":"Intel(R) Core(TM) i7 CPU @ 2.80GHz","download_game_version":"10078_0_1",)~"
            R"~("download_time":"9","event_date":"2025-03-07","event_time":"2025-03-07 14:05:09",)~"
            R"~("game_id":"10043","game_version":"10077_0_1","highest_speed":"3.500",)~"
            R"~("idfa":"guid-1","install_package_type":"steam","ip":"203.0.113.7","language":"ko",)~"
            R"~("log_type":"ovdnlepclauncherdetail","lowest_speed":"95367.430",)~"
            R"~("lowest_speed_location":"KVOR_Data/big.bin","machine_guid":"guid-1",)~"
            R"~("pkg":"com.orvanegames.vdl.pc.kr","size":"2048","speed":"1024",)~"
            R"~("system_type":"win","system_ver":"6.1.0"})~");

  EXPECT_EQ(BuildLauncherRecord(store_.facts, env_, speeds_, "", "10", "20", "Pause", "Done"),
            R"~({"action_type":"pause","download_game_version":"10078_0_1",)~"
            R"~("event_date":"2025-03-07","event_time":"2025-03-07 14:05:09","game_id":"10043",)~"
            R"~("game_version":"10077_0_1","highest_speed":"3.500",)~"
            R"~("install_game_path":"/games/게임","install_launcher_path":"/opt/launcher/",)~"
            R"~("install_package_type":"steam","ip":"203.0.113.7","language":"ko",)~"
            R"~("left_capacity":"5.000","limit_speed":"4096","log_type":"ovdnlepclauncher",)~"
            R"~("lowest_speed":"95367.430","lowest_speed_location":"KVOR_Data/big.bin",)~"
            R"~("machine_guid":"guid-1","pc_id":"pc-1","print_info":"","size":"20","speed":"10",)~"
            R"~("step":"done","system":"Debian GNU/Linux 12 (bookworm)","system_language":"ko"})~");

  EXPECT_EQ(BuildSettingRecord(store_.facts, env_, "1", "2", 300, 0),
            R"~({"close_set":"2","event_date":"2025-03-07","event_time":"2025-03-07 14:05:09",)~"
            R"~("game_id":"10043","if_autostart":"1","install_package_type":"steam",)~"
            R"~("install_speed_limit":"300","language":"ko","log_type":"ovdnlepcstartersetting",)~"
            R"~("machine_guid":"guid-1","pc_id":"pc-1","pre_install_speed_limit":"0"})~");

  store_.facts.gid = "g&id=1";
  EXPECT_EQ(BuildInstallAttributionQuery(store_.facts, env_, "download_game_finish", "1", "", "3"),
            "activity_kind=pc_starter&install_package_type=steam&uuid=guid-1&gid=g%26id%3D1"
            "&app_version=10077_0_1&app_id=com.orvanegames.vdl.pc.kr"
            "&app_name=com.orvanegames.vdl.pc.kr&package_name=com.orvanegames.vdl.pc.kr"
            "&created_at=4102444800&store=pc&game_id=_VDL_GAME_KOREA&ip_address=203.0.113.7"
            "&language=ko&os_version=6.1.0&event_name=download_game_finish&event_value1=1"
            "&event_value2=&event_value3=3"
            "&cpu_type=Intel%28R%29%20Core%28TM%29%20i7%20CPU%20%40%202.80GHz");
}

TEST_F(UsageEventsTest, ConditionalMembers) {
  struct Case {
    const char* name;
    std::function<std::string()> build;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  };
  auto detail = [this](const char* actionId) {
    return [this, actionId] {
      return BuildLauncherDetailRecord(store_.facts, env_, speeds_, actionId, "1", "2", "3");
    };
  };
  auto launcher = [this](std::string pre, int comparison, bool running, const char* info,
                         const char* step) {
    return [=, this] {
      store_.facts.preDownloadVersion = pre;
      store_.facts.preDownloadComparison = comparison;
      env_.gameRunning = running;
      return BuildLauncherRecord(store_.facts, env_, speeds_, info, "", "", "", step);
    };
  };
  auto attribution = [this](const char* event) {
    return [this, event] {
      return BuildInstallAttributionQuery(store_.facts, env_, event, "a b", "", "");
    };
  };
  const Case cases[] = {
      {"detail 15", detail("15"),
       {"\"speed\":\"1\"", "\"size\":\"2\"", "\"download_time\":\"3\"", "\"lowest_speed\"",
        "\"highest_speed\"", "\"lowest_speed_location\""},
       {}},
      {"detail 22", detail("22"), {"\"download_time\":\"3\""}, {}},
      {"detail 15 and a blank", detail("15 "), {}, {"\"speed\"", "\"lowest_speed\""}},
      {"detail 150", detail("150"), {}, {"\"speed\"", "\"download_time\"", "\"highest_speed\""}},
      {"detail 13", detail("13"), {"\"action_id\":\"13\""}, {"\"size\""}},
      {"detail without a country",
       [this] {
         env_.country.reset();
         return BuildLauncherDetailRecord(store_.facts, env_, speeds_, "13", "", "", "");
       },
       {}, {"\"country\""}},
      {"setting without texts",
       [this] { return BuildSettingRecord(store_.facts, env_, "", "", 0, 512); },
       {"\"install_speed_limit\":\"0\"", "\"pre_install_speed_limit\":\"512\""},
       {"if_autostart", "close_set"}},
      {"setting autostart only",
       [this] { return BuildSettingRecord(store_.facts, env_, "0", "", 0, 0); },
       {"\"if_autostart\":\"0\""}, {"close_set"}},
      {"pre-install, no pre-download", launcher("", 1, true, "x", "pre_install"),
       {"\"if_install_play\":\"-1\"", "\"print_info\":\"x\""}, {}},
      {"pre-install, pre-download not applicable",
       launcher("10100_0_1", -6, true, "", "pre_install"), {"\"if_install_play\":\"-1\""}, {}},
      {"pre-install, launched by us", launcher("10100_0_1", 1, false, "rungame", "PRE_INSTALL"),
       {"\"if_install_play\":\"1\"", "\"print_info\":\"\"", "\"step\":\"pre_install\""}, {}},
      {"pre-install, mixed-case print info", launcher("10100_0_1", 1, false, "RunGame", "pre_install"),
       {"\"if_install_play\":\"0\"", "\"print_info\":\"RunGame\""}, {}},
      {"pre-install, game running", launcher("10100_0_1", 1, true, "", "pre_install"),
       {"\"if_install_play\":\"1\""}, {}},
      {"other step", launcher("10100_0_1", 1, true, "rungame", "install"),
       {"\"print_info\":\"rungame\""}, {"if_install_play"}},
      {"unknown drive space",
       [this] {
         env_.available.reset();
         return BuildLauncherRecord(store_.facts, env_, DownloadSpeedFigures{}, "", "", "", "", "");
       },
       {"\"left_capacity\":\"\"", "\"lowest_speed\":\"95367.430\"", "\"highest_speed\":\"0.000\""},
       {}},
      {"attribution without values", attribution("apply_update_game_success"),
       {"event_name=apply_update_game_success&cpu_type="}, {"event_value"}},
      {"attribution with empty values", attribution("click_launch_pause_game"),
       {"&event_value1=a%20b&event_value2=&event_value3=&cpu_type="}, {}},
      {"attribution of another finish", attribution("update_game_finish"), {"&event_value3="}, {}},
  };
  for (const Case& c : cases) {
    store_ = FakeStore();
    env_ = FakeEventEnvironment();
    std::string text = c.build();
    for (const std::string& member : c.present) {
      EXPECT_NE(text.find(member), std::string::npos) << c.name << ": " << member << "\n" << text;
    }
    for (const std::string& member : c.absent) {
      EXPECT_EQ(text.find(member), std::string::npos) << c.name << ": " << member << "\n" << text;
    }
  }
}

TEST_F(UsageEventsTest, RoutingThroughTheTransport) {
  FakeEventTransport transport;
  ScopedEventServices services(&store_, &env_, &transport);
  using Sent = FakeEventTransport::Sent;

  SendUiClickEvent("community", "discord");
  SendLauncherDetailEvent(&store_, "14", "", "", "");
  SendInstallAttribution(&store_, "click_launch_download_game", "", "", "");
  SendLauncherEvent(&store_, "", "", "", "", "install", false);
  SendLauncherEvent(&store_, "boom", "", "", "exception", "", true);
  SendSettingEvent(&store_, "1", "", 0, 0);

  ASSERT_EQ(transport.sent.size(), 6u);
  const std::string track = transport.TrackUrl();
  const struct {
    Sent::Route route;
    std::string url;
    std::string contains;
  } expected[] = {
      {Sent::kQueued, track, "ovdnlepcstarteruiclick"},
      {Sent::kPostedJson, track, "ovdnlepclauncherdetail"},
      {Sent::kSentNow, transport.AttributionUrl(), "event_name=click_launch_download_game"},
      {Sent::kQueued, track, "\"step\":\"install\""},
      {Sent::kSentNow, track, "\"action_type\":\"exception\""},
      {Sent::kQueued, track, "ovdnlepcstartersetting"},
  };
  for (size_t i = 0; i < transport.sent.size(); ++i) {
    EXPECT_EQ(transport.sent[i].route, expected[i].route) << i;
    EXPECT_EQ(transport.sent[i].url, expected[i].url) << i;
    EXPECT_NE(transport.sent[i].body.find(expected[i].contains), std::string::npos) << i;
  }
  EXPECT_EQ(transport.posted, 6);
}

TEST_F(UsageEventsTest, FiguresAreReadWhenTheWorkerBuildsTheRecord) {
  DeferredTransport transport;
  ScopedEventServices services(&store_, &env_, &transport);
  SendLauncherDetailEvent(&store_, "13", "0", "0", "0");
  EXPECT_TRUE(transport.sent.empty());
  store_.facts.publicAddress = "198.51.100.9";
  transport.RunWorker();
  ASSERT_EQ(transport.sent.size(), 1u);
  EXPECT_EQ(transport.OnlyRecord()["ip"], "198.51.100.9");
}

TEST_F(UsageEventsTest, NothingIsSentWithoutRegisteredServices) {
  FakeEventTransport transport;
  SetUsageEventServices(&store_, nullptr, &transport);
  SendUiClickEvent("click_button", "play");
  SendSettingEvent(&store_, "", "", 0, 0);
  SetUsageEventServices(nullptr, nullptr, nullptr);
  SendLauncherDetailEvent(&store_, "13", "", "", "");
  SendLauncherEvent(nullptr, "", "", "", "", "", true);
  EXPECT_TRUE(transport.sent.empty());
  EXPECT_EQ(transport.posted, 0);
}

TEST(PercentEncodeTest, OnlyUnreservedCharactersStay) {
  EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(PercentEncode("a b&c=d?e/f%"), "a%20b%26c%3Dd%3Fe%2Ff%25");
  EXPECT_EQ(PercentEncode("\xea\xb0\x80"), "%EA%B0%80");
  EXPECT_EQ(PercentEncode(std::string("\0", 1)), "%00");
  EXPECT_EQ(FormatMebibytesPerSecond(0), "0.000");
  EXPECT_EQ(FormatMebibytesPerSecond(1048576), "1.000");
}
