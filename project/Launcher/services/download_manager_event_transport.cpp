#include "project/Launcher/services/download_manager_event_transport.h"

#include "base/thread/thread_registry.h"

DownloadManagerEventTransport::DownloadManagerEventTransport(DownloadManager& manager,
                                                             WorkerPoster poster)
    : manager_(manager), poster_(std::move(poster)) {
  if (!poster_) {
    poster_ = [](std::function<void()> task) {
      return kbase::ThreadRegistry::PostTask(kThreadMisc, std::move(task));
    };
  }
}

void DownloadManagerEventTransport::PostToWorker(std::function<void()> task) {
  poster_(std::move(task));
}

void DownloadManagerEventTransport::SendEvent(const std::string& body, const std::string& url,
                                              bool sendNow) {
  manager_.SendEvent(body, url, sendNow);
}

void DownloadManagerEventTransport::PostJson(const std::string& body, const std::string& url) {
  manager_.PostJson(body, url);
}

std::string DownloadManagerEventTransport::TrackUrl() { return manager_.track_url(); }

std::string DownloadManagerEventTransport::AttributionUrl() { return manager_.GetAttributionUrl(); }

DownloadSpeedFigures DownloadManagerEventTransport::SpeedFigures() {
  return DownloadSpeedFigures{manager_.min_speed(), manager_.max_speed(), manager_.slowest_file()};
}
