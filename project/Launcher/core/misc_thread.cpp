#include "project/Launcher/core/misc_thread.h"

#include "base/framework/message_loop_proxy.h"
#include "base/thread/thread_registry.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/services/download_manager.h"

MiscThread::MiscThread(LauncherStore& store, std::function<void(const std::string&)> record)
    : kbase::FrameworkThread("MiscThread"), store_(store), ticker_(store), record_(std::move(record)) {}

MiscThread::~MiscThread() { Stop(); }

void MiscThread::Init() {
  kbase::ThreadRegistry::GetInstance()->RegisterCurrentThread(kThreadMisc);
  store_.StartWorker();
  store_.firstTick = false;
  ticker_.Start();
}

void MiscThread::Tick(LauncherStore& store) {
  if (!store.firstTick) {
    store.firstTick = true;
    store.BeginFlow(store.MakeFirstState(kLauncherFlow), false);
  }
  if (State* current = store.currentState()) current->Update();
  if (store.preDownloadState) store.preDownloadState->Update();
  DownloadManager::GetInstance().PumpTransfers();
  store.PublishUiView();
}

void MiscThread::Cleanup() {
  ticker_.Stop();
  store_.StopWorker();
  kbase::ThreadRegistry::GetInstance()->UnregisterCurrentThread();
  if (record_) record_("worker_cleaned_up");
  std::lock_guard<std::mutex> hold(doneLock_);
  cleanupDone_ = true;
  doneEvent_.notify_all();
}

bool MiscThread::QuitAndWait(std::chrono::milliseconds timeout) {
  if (std::shared_ptr<kbase::MessageLoopProxy> proxy = message_loop_proxy()) {
    // The ticker stops first: while a state has work its tick is due every
    // 2 ms, and a loop that always has due work never reaches the idle point
    // at which it honours the quit.
    proxy->PostNonNestableTask([this] {
      ticker_.Stop();
      kbase::FrameworkThread::QuitCurrentLoop();
    });
  }
  std::unique_lock<std::mutex> hold(doneLock_);
  return doneEvent_.wait_for(hold, timeout, [this] { return cleanupDone_; });
}
