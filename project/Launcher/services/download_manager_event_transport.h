// Usage records leave through the download manager: its event queue, its
// JSON posts, its endpoints and its speed statistics. The records are built
// on the worker thread, which owns the manager.
#pragma once

#include <functional>

#include "project/Launcher/services/download_manager.h"
#include "project/Launcher/services/usage_events.h"

class DownloadManagerEventTransport : public UsageEventTransport {
 public:
  using WorkerPoster = std::function<bool(std::function<void()>)>;

  // |poster| runs a task on the worker; by default the thread registered as
  // kThreadMisc (a task for a worker that is gone is dropped).
  explicit DownloadManagerEventTransport(DownloadManager& manager = DownloadManager::GetInstance(),
                                         WorkerPoster poster = WorkerPoster());

  void PostToWorker(std::function<void()> task) override;
  void SendEvent(const std::string& body, const std::string& url, bool sendNow) override;
  void PostJson(const std::string& body, const std::string& url) override;
  std::string TrackUrl() override;
  std::string AttributionUrl() override;
  DownloadSpeedFigures SpeedFigures() override;

 private:
  DownloadManager& manager_;
  WorkerPoster poster_;
};
