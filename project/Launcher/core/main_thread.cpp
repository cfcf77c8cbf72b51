#include "project/Launcher/core/main_thread.h"

#include "base/thread/thread_registry.h"
#include "project/Launcher/core/launcher_messages.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/misc_thread.h"
#include "project/Launcher/services/download_manager.h"

namespace {
constexpr kbase::TimeDelta kUiTickPeriod = kbase::TimeDelta::FromMicroseconds(500000);
}  // namespace

MainThread::MainThread(LauncherStore& store, MainThreadHooks hooks,
                       std::u16string languageOverride)
    : kbase::FrameworkThread("MainThread"),
      store_(store),
      hooks_(std::move(hooks)),
      languageOverride_(std::move(languageOverride)) {}

MainThread::~MainThread() {
  // An abandoned worker may still run: it is neither joined nor deleted.
  if (workerAbandoned_) (void)worker_.release();
}

void MainThread::Record(const std::string& step) const {
  if (hooks_.record) hooks_.record(step);
}

void MainThread::Init() {
  store_.Init(languageOverride_);
  kbase::ThreadRegistry::GetInstance()->RegisterCurrentThread(kThreadUI);

  worker_.reset();
  worker_ = std::make_unique<MiscThread>(store_, hooks_.record);
  worker_->Start();  // returns once the worker's Init has run

  if (hooks_.startUi) hooks_.startUi();
  store_.LoadCommonConfig();

  LauncherStore* store = &store_;
  kbase::ThreadRegistry::PostRepeatingTask(
      kThreadUI, WrapWeak([store] { store->PostToMainWindow(kMsgUiTick, 0, 0); }), kUiTickPeriod,
      -1);

  if (hooks_.createMainWindow) hooks_.createMainWindow();
}

void MainThread::Cleanup() {
  if (hooks_.shutdownUi) hooks_.shutdownUi();
  Record("ui_shut_down");

  store_.SaveDownloadLog();
  Record("download_log_saved");

  DownloadManager::GetInstance().Stop();
  Record("downloads_stopped");

  StopWorker();

  kbase::ThreadRegistry::GetInstance()->UnregisterCurrentThread();
  Record("ui_unregistered");

  if (store_.launcherReplaced || store_.browserFilesChanged || store_.fontsChanged) {
    if (store_.fontsChanged) {
      if (hooks_.uninstallFonts) hooks_.uninstallFonts();
      Record("fonts_removed");
    }
    bool started = hooks_.startSelfUpdate && hooks_.startSelfUpdate();
    Record(started ? "self_update_started" : "self_update_failed");
  }
}

void MainThread::StopWorker() {
  if (!worker_) return;
  if (worker_->QuitAndWait(workerStopTimeout_)) {
    worker_->Stop();  // the loop has ended: this join is prompt
    worker_.reset();
    Record("worker_stopped");
  } else {
    workerAbandoned_ = true;
    Record("worker_stop_timed_out");
  }
}

void EndUiLoop() {
  kbase::ThreadRegistry::PostTask(kThreadUI, [] { kbase::FrameworkThread::QuitCurrentLoop(); });
}
