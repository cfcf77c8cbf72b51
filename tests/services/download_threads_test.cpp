// The manager on its own worker thread, touched from another thread the way
// the UI thread does: the pause flag read, a new speed limit applied, the
// manager stopped.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <thread>

#include "project/Launcher/services/download_manager.h"
#include "tests/services/download_test_support.h"
#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"

namespace {

class WorkerHost : public RecordingHost {
 public:
  bool OnWorkerThread() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::this_thread::get_id() == worker_id_;
  }
  void PostToWorker(std::function<void()> task) override {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  // The worker's tick: posted tasks first, then the pump.
  void RunWorker(DownloadManager* manager, const std::atomic<bool>* quit) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      worker_id_ = std::this_thread::get_id();
    }
    while (!*quit) {
      std::deque<std::function<void()>> tasks;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks.swap(tasks_);
      }
      for (auto& t : tasks) t();
      manager->PumpTransfers();
    }
    manager->Shutdown();
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  std::thread::id worker_id_;
};

TEST(DownloadThreadsTest, UiThreadPausesLimitsAndStopsTheWorkersTransfers) {
  TempFolder dir;
  testsrv::TestServer server;
  ASSERT_TRUE(server.Start());
  const int64_t size = 8 << 20;
  auto content = testsrv::MakePatternContent(size, 31);
  const std::string md5 = testsrv::ContentMd5(*content);
  server.AddFile("/m/t.bin", content);
  server.AddFile("/m/u.bin", content);

  WorkerHost host;
  host.SetLimit(0, {true, 2500});  // about 0.5 MB/s
  DownloadManager manager;
  manager.Init(&host);
  manager.SetMirrors({server.BaseUrl() + "/m/"});
  // The completion is recorded as event 100 with the result.
  constexpr uint32_t kDone = 100;
  manager.DownloadFile("t.bin", dir.Join("t.bin"), md5, size,
                       [&](int32_t, int32_t r, std::string, std::string) {
                         host.Record(kDone, r, 0);
                       },
                       nullptr, 1);
  std::atomic<bool> quit{false};
  std::thread worker([&] { host.RunWorker(&manager, &quit); });

  // The limited transfer runs; the UI thread pauses it through the worker.
  ASSERT_TRUE(host.WaitForMessage(RecordingHost::kProgress));
  host.PostToWorker([&] { manager.PauseTransfers(); });
  ASSERT_TRUE(host.WaitForMessage(RecordingHost::kPaused, {{0, 1}}));
  EXPECT_TRUE(manager.paused());
  host.PostToWorker([&] { manager.ResumeTransfers(); });
  ASSERT_TRUE(host.WaitForMessage(RecordingHost::kPaused, {{0, 0}}));
  EXPECT_FALSE(manager.paused());

  // Lifting the limit from this thread takes effect on the worker.
  host.SetLimit(0, {false, 0});
  manager.ApplySpeedLimit(0);
  ASSERT_TRUE(host.WaitForMessage(kDone, std::nullopt, 120));
  EXPECT_TRUE(host.HasMessage(kDone, kDownloadOk, 0));

  // A second download is cut short by stopping the manager from here.
  std::atomic<bool> secondCalled{false};
  host.PostToWorker([&] {
    manager.DownloadFile("u.bin", dir.Join("u.bin"), md5, size,
                         [&](int32_t, int32_t, std::string, std::string) { secondCalled = true; },
                         nullptr, 2);
  });
  ASSERT_TRUE(server.WaitForRequest(
      [](const testsrv::RequestRecord& r) { return r.path == "/m/u.bin"; }, 60000));
  manager.Stop();
  quit = true;
  worker.join();
  EXPECT_FALSE(secondCalled);
  EXPECT_FALSE(manager.running());
}

}  // namespace
