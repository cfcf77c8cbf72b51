// The launcher store's update state machine: the current state and its
// changes, the routing of the download manager's results by job token, the
// values published for the UI thread, and the worker's start and stop.

#include <cstdio>
#include <utility>

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/core/store_download_host.h"
#include "project/Launcher/services/download_manager.h"

std::unique_ptr<State> LauncherStore::MakeFirstState(int32_t mode) const {
  return firstStateFactory_ ? firstStateFactory_(mode) : nullptr;
}

bool LauncherStore::ChangeState(std::unique_ptr<State> next) {
  const int32_t oldId = currentState_ ? currentState_->TypeId() : -1;
  const int32_t newId = next ? next->TypeId() : -1;
  if (oldId == newId) {
    // The same step again is refused unless it is the other flow's (a game
    // check replaces a launcher check); nothing to nothing is no change.
    if (!currentState_ || !next) return false;
    if (currentState_->IsGameFlow() == next->IsGameFlow()) return false;
  }
  TraceStateChange(currentState_.get(), next.get());
  if (currentState_) currentState_->Leave(next.get());
  std::unique_ptr<State> old = std::move(currentState_);
  currentState_ = std::move(next);
  PublishStateLocked();
  if (currentState_) currentState_->Enter(old.get());
  // |old| is destroyed here, after the new state's Enter.
  return true;
}

void LauncherStore::BeginFlow(std::unique_ptr<State> first, bool enterGame) {
  if (!first) return;
  const bool requested = enterGame && first->IsGameFlow();
  const bool before = flowEntersGame_;
  // Set before the first state's entry, which may already end the flow.
  flowEntersGame_ = requested;
  // Refused: the same step of the same flow runs on and takes the request.
  if (!ChangeState(std::move(first))) flowEntersGame_ = before || requested;
}

std::function<void(const std::string&)> LauncherStore::DefaultStateTrace() {
#ifdef NDEBUG
  return nullptr;
#else
  return [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
#endif
}

void LauncherStore::TraceStateChange(const State* from, const State* to) const {
  if (!stateTrace_) return;
  auto describe = [](const State* state) {
    if (!state) return std::string("none");
    return std::string(StateName(state->TypeId())) +
           (state->IsGameFlow() ? "(game)" : "(launcher)");
  };
  stateTrace_("state " + describe(from) + " -> " + describe(to));
}

bool LauncherStore::TakeEnterGameRequest() { return std::exchange(flowEntersGame_, false); }

void LauncherStore::RouteFileDone(int32_t token, int32_t code, std::string url,
                                  std::string errorText) {
  if (currentState_ && currentState_->JobToken() == token) {
    currentState_->OnFileDone(code, std::move(url), std::move(errorText));
  }
}

void LauncherStore::RouteRequestDone(int32_t token, int32_t code, std::string url,
                                     const char* body, int64_t length, std::string errorText) {
  if (!currentState_ || currentState_->JobToken() != token) return;
  std::string copy;
  if (body && length > 0) copy.assign(body, static_cast<size_t>(length));
  currentState_->OnRequestDone(code, std::move(url), std::move(copy), std::move(errorText));
}

void LauncherStore::RouteProbeDone(int32_t token, int32_t code, std::string url, bool exists,
                                   std::string errorText) {
  if (currentState_ && currentState_->JobToken() == token) {
    currentState_->OnProbeDone(code, std::move(url), exists, std::move(errorText));
  }
}

void LauncherStore::RouteProgress(int32_t token, double bytesPerSecond) {
  if (currentState_ && currentState_->JobToken() == token &&
      currentState_->TypeId() == kDownloadFilesStateId) {
    DownloadManager::GetInstance().AddSpeedSample(bytesPerSecond);
  }
}

void LauncherStore::PublishStateLocked() {
  std::lock_guard<std::mutex> hold(viewMutex_);
  view_.stateType = currentState_ ? currentState_->TypeId() : -1;
  view_.stateMode = currentState_ ? currentState_->mode : 0;
}

void LauncherStore::PublishUiView() {
  PublishStateLocked();
  const DownloadManager& downloads = DownloadManager::GetInstance();
  std::lock_guard<std::mutex> hold(viewMutex_);
  if (view_.launcherVersion != launcherVersion) view_.launcherVersion = launcherVersion;
  if (view_.localGameVersion != localGameVersion) view_.localGameVersion = localGameVersion;
  if (view_.displayGameVersion != displayGameVersion) view_.displayGameVersion = displayGameVersion;
  if (view_.remoteGameVersion != remoteGameVersion) view_.remoteGameVersion = remoteGameVersion;
  view_.totalBytes = downloads.total_bytes();
  view_.downloadedBytes = downloads.downloaded_bytes();
}

StoreUiView LauncherStore::UiView() const {
  std::lock_guard<std::mutex> hold(viewMutex_);
  return view_;
}

void LauncherStore::StartWorker() {
  if (!downloadHost_) downloadHost_ = std::make_unique<StoreDownloadHost>(*this);
  DownloadManager::GetInstance().Init(downloadHost_.get());
  launcherReplaced = false;
  updateNoticePending = true;
  browserFilesChanged = false;
  fontsChanged = false;
  skinPackageChanged = 0;
  languageChanged = false;
  enterGameAfterFlow = false;
  flowEntersGame_ = false;
  ResetAllVersionMaps();
  ReloadPreDownloadFolders();
  ReloadLauncherVersion();
  ReloadGameVersion();
  PublishUiView();
}

void LauncherStore::StopWorker() {
  DownloadManager& downloads = DownloadManager::GetInstance();
  downloads.Stop();
  downloads.Shutdown();
  if (currentState_) {
    currentState_->Leave(nullptr);
    currentState_.reset();
  }
  preDownloadState.reset();
  ResetAllVersionMaps();
  PublishStateLocked();
}
