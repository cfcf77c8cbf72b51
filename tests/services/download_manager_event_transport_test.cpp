#include "project/Launcher/services/download_manager_event_transport.h"

#include <gtest/gtest.h>

#include "tests/services/fake_event_services.h"

namespace {

class FixedStore : public UsageEventStore {
 public:
  UsageEventStoreFacts UsageEventFacts() const override { return UsageEventStoreFacts{}; }
};

}  // namespace

TEST(DownloadManagerEventTransportTest, QueuedRecordsWaitInTheManagersQueue) {
  DownloadManager manager;
  manager.SetEndpointsForTesting("https://track.test/track/json_track?token=t",
                                 "https://callback.test/v1/adjust");
  int posted = 0;
  DownloadManagerEventTransport transport(manager, [&posted](std::function<void()> task) {
    ++posted;
    task();
    return true;
  });
  FixedStore store;
  FakeEventEnvironment env;
  ScopedEventServices services(&store, &env, &transport);

  SendUiClickEvent("click_button", "play");
  SendSettingEvent(&store, "", "1", 0, 0);
  EXPECT_EQ(posted, 2);
  EXPECT_EQ(manager.queued_event_count(), 2u);
  EXPECT_EQ(transport.TrackUrl(), "https://track.test/track/json_track?token=t");
  EXPECT_EQ(transport.AttributionUrl(), "https://callback.test/v1/adjust");
  DownloadSpeedFigures figures = transport.SpeedFigures();
  EXPECT_EQ(figures.minSpeed, manager.min_speed());
  EXPECT_EQ(figures.maxSpeed, manager.max_speed());
}

TEST(DownloadManagerEventTransportTest, WithoutAWorkerRecordsAreDropped) {
  DownloadManager manager;
  DownloadManagerEventTransport transport(manager);  // no thread is registered as the worker
  bool ran = false;
  transport.PostToWorker([&ran] { ran = true; });
  EXPECT_FALSE(ran);
}
