#pragma once
// The worker thread (kThreadMisc): it runs the update state machine, the
// download transfers and every blocking request, driven by a tick every
// 2 ms while there is work and sleeping while the states only wait
// (WorkerTicker). Its clean-up cancels the transfers and deletes the states.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "base/thread/framework_thread.h"
#include "project/Launcher/core/worker_ticker.h"

class LauncherStore;

class MiscThread : public kbase::FrameworkThread {
 public:
  // |record| (may be empty) is told the steps of the clean-up; it is called
  // on the worker.
  MiscThread(LauncherStore& store, std::function<void(const std::string&)> record);
  ~MiscThread() override;

  // Asks the loop to end after the tasks queued before, then waits up to
  // |timeout| for the clean-up to finish. False when it did not: the thread
  // is then left running (a blocked request) and must not be joined.
  bool QuitAndWait(std::chrono::milliseconds timeout);

  // One turn of the worker: the first tick starts the launcher's own check;
  // every tick updates the current and the pre-download state, pumps the
  // transfers and publishes the values the UI reads.
  static void Tick(LauncherStore& store);

 protected:
  void Init() override;
  void Cleanup() override;

 private:
  LauncherStore& store_;
  WorkerTicker ticker_;
  std::function<void(const std::string&)> record_;
  std::mutex doneLock_;
  std::condition_variable doneEvent_;
  bool cleanupDone_ = false;
};
