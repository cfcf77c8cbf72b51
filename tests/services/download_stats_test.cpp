// Speed statistics, the reports built from them, the limit figures and the
// manager's bookkeeping when a job is cancelled.
#include <gtest/gtest.h>

#include <filesystem>

#include "project/Launcher/services/download_manager.h"
#include "project/Launcher/services/file_hasher.h"
#include "tests/services/download_test_support.h"
#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"

namespace {

class StatsHost : public RecordingHost {
 public:
  struct Event {
    std::string kind, a, b, c, d;
  };
  std::vector<Event> events;
  int64_t loggedSize = 0;
  int64_t recordedSpeed = -1, recordedSize = -1, recordedSeconds = -1;

  int64_t LoggedDownloadSize() override { return loggedSize; }
  void RecordDownloadStats(int64_t speed, int64_t size, int64_t seconds) override {
    recordedSpeed = speed, recordedSize = size, recordedSeconds = seconds;
  }
  void SendLauncherEvent(const std::string& speed, const std::string& size,
                         const std::string& type) override {
    events.push_back({"launcher", speed, size, type, ""});
  }
  void SendLauncherDetailEvent(const std::string& id, const std::string& speed,
                               const std::string& size, const std::string& time) override {
    events.push_back({"detail", id, speed, size, time});
  }
  void SendInstallAttribution(const std::string& name, const std::string& speed,
                              const std::string& size, const std::string& time) override {
    events.push_back({"attribution", name, speed, size, time});
  }
};

class DownloadStatsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_.SetClock([this] { return now_; });
    manager_.Init(&host_);
  }
  int64_t now_ = 1'000'000;
  StatsHost host_;
  DownloadManager manager_;
};

TEST_F(DownloadStatsTest, SamplesGiveSpeedRemainingTimeAndExtremes) {
  manager_.SetJob(10'000'000);
  manager_.AddSpeedSample(1000.9);  // truncated to 1000
  EXPECT_EQ(manager_.speed(), 1000);
  EXPECT_TRUE(host_.HasMessage(RecordingHost::kSpeed, 10'000, 1000));
  EXPECT_EQ(manager_.max_speed(), 1000);
  // Within a second: kept, not reported.
  manager_.AddSpeedSample(3000);
  EXPECT_EQ(manager_.speed(), 1000);
  // The minimum only falls once more than 30 samples are held.
  EXPECT_EQ(manager_.min_speed(), DownloadManager::kNoMinSpeed);
  for (int i = 0; i < 29; ++i) manager_.AddSpeedSample(2000);
  now_ += 1000;
  manager_.AddSpeedSample(2000);  // 32 samples, average 2000
  EXPECT_EQ(manager_.speed(), (1000 + 3000 + 30 * 2000) / 32);
  EXPECT_EQ(manager_.min_speed(), manager_.speed());
  // Sixty samples at most.
  for (int i = 0; i < 40; ++i) manager_.AddSpeedSample(500);
  EXPECT_EQ(manager_.sample_count(), 60u);
  now_ += 1000;
  manager_.AddSpeedSample(500);
  EXPECT_EQ(manager_.speed(), (19 * 2000 + 41 * 500) / 60);
  EXPECT_EQ(manager_.min_speed(), manager_.speed());
  EXPECT_EQ(manager_.max_speed(), 2000);

  // Paused: samples are kept but nothing is reported.
  const size_t before = host_.Messages().size();
  manager_.PauseTransfers();
  now_ += 5000;
  manager_.AddSpeedSample(9999);
  EXPECT_EQ(host_.Messages().size(), before + 1);  // the pause message only
}

TEST_F(DownloadStatsTest, ReportsAverageTheJobSinceItStarted) {
  manager_.ResetSpeedStats();
  manager_.SetJob(0);
  manager_.ReportDownloadSpeed("done");
  EXPECT_TRUE(host_.events.empty());  // no speed yet: nothing to report

  host_.loggedSize = 1 << 20;  // present when the job was queued
  manager_.AddSpeedSample(4 << 20);
  now_ += 4000;
  manager_.ReportDownloadStats("22", "update_game_finish", true);
  ASSERT_EQ(host_.events.size(), 2u);
  EXPECT_EQ(host_.events[0].kind, "detail");
  EXPECT_EQ(host_.events[0].a, "22");
  EXPECT_EQ(host_.events[0].d, "4");
  EXPECT_EQ(host_.events[1].kind, "attribution");
  EXPECT_EQ(host_.events[1].a, "update_game_finish");
  EXPECT_EQ(host_.recordedSeconds, 4);

  host_.events.clear();
  manager_.ReportDownloadSpeed("pause");
  ASSERT_EQ(host_.events.size(), 1u);
  EXPECT_EQ(host_.events[0].c, "pause");
  // Time is 64-bit: weeks of uptime do not wrap.
  now_ += 60LL * 24 * 3600 * 1000;
  manager_.ReportDownloadStats("23", "x", false);
  EXPECT_EQ(host_.recordedSeconds, 4 + 60LL * 24 * 3600);
}

TEST_F(DownloadStatsTest, LimitFigures) {
  host_.SetLimit(0, {true, 4096});
  host_.SetLimit(1, {false, 4096});
  EXPECT_EQ(manager_.ReceiveLimit(0), 835584);
  EXPECT_EQ(manager_.ReceiveLimit(1), 0);
  host_.SetLimit(1, {true, INT64_MAX / 2});
  EXPECT_EQ(manager_.ReceiveLimit(1), INT64_MAX);  // no overflow
}

TEST(DownloadCancelTest, CancelCallsNobodyKeepsRecordsAndSetsTheMode) {
  TempFolder dir;
  testsrv::TestServer server;
  ASSERT_TRUE(server.Start());
  const int64_t size = 4 << 20;
  auto content = testsrv::MakePatternContent(size, 41);
  server.AddFile("/m/c.bin", content);
  testsrv::Fault slow;
  slow.throttle = 1 << 20;
  server.SetFault("/m/c.bin", slow);
  RecordingHost host;
  DownloadManager manager;
  manager.Init(&host);
  manager.SetMirrors({server.BaseUrl() + "/m/"});
  FileOutcome outcome;
  int progressCalls = 0;
  manager.DownloadFile("c.bin", dir.Join("c.bin"), testsrv::ContentMd5(*content), size,
                       outcome.Callback(), [&](int32_t user, double) {
                         EXPECT_EQ(user, 5);
                         ++progressCalls;
                       },
                       5);
  ASSERT_TRUE(PumpUntil(manager, [&] { return manager.downloaded_bytes() > 0; }));
  EXPECT_GT(progressCalls, 0);
  manager.CancelAllTasks(1);
  EXPECT_EQ(manager.limit_mode(), 1);
  EXPECT_EQ(manager.active_count() + manager.pending_count(), 0u);
  EXPECT_EQ(manager.downloaded_bytes(), 0);
  for (int i = 0; i < 20; ++i) manager.PumpTransfers();
  EXPECT_FALSE(outcome.called);
  EXPECT_TRUE(std::filesystem::exists(dir.Join("c.bin.cfg")));
}

TEST(DownloadCancelTest, LocalFileThatCannotBeMadeFailsAtOnce) {
  TempFolder dir;
  const std::string blocker = dir.Write("blocker", "a file, not a folder");
  DownloadManager manager;
  RecordingHost host;
  manager.Init(&host);
  manager.SetMirrors({"http://127.0.0.1:9/"});
  FileOutcome outcome;
  manager.DownloadFile("x", blocker + "/sub/x.bin", "0123456789abcdef0123456789abcdef", 10,
                       outcome.Callback(), nullptr, 1);
  EXPECT_EQ(outcome.result, kDownloadStartFailed);
  EXPECT_EQ(outcome.message.rfind("open:(" + blocker + "/sub/x.bin) failed,errno:", 0), 0u)
      << outcome.message;
  EXPECT_EQ(manager.pending_count(), 0u);
}

}  // namespace
