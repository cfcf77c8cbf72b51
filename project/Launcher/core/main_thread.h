#pragma once
// The UI thread (kThreadUI), run on the process's main thread: its start-up
// initialises the store, starts the worker and waits for it, brings the UI
// up, starts the 500 ms UI tick and creates the main window; its clean-up,
// once the UI loop has ended, takes the UI down, saves the download log,
// stops the downloads and the worker (with a time-out), and starts the
// self-update copy when the launcher, the browser files or the fonts were
// replaced.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "base/thread/framework_thread.h"

class LauncherStore;
class MiscThread;

// What the UI thread's start-up and clean-up need from around the core. Any
// hook may be empty.
struct MainThreadHooks {
  // The skin package and the UI framework (after the worker runs).
  std::function<void()> startUi;
  // Creates, centres and shows the main window, which registers itself.
  std::function<void()> createMainWindow;
  // Takes the UI framework down (first step of the clean-up).
  std::function<void()> shutdownUi;
  // Removes the fonts the launcher installed.
  std::function<void()> uninstallFonts;
  // Starts the self-update copy; false when it could not start.
  std::function<bool()> startSelfUpdate;
  // Told each step of the clean-up, in order (any thread).
  std::function<void(const std::string&)> record;
};

class MainThread : public kbase::FrameworkThread {
 public:
  static constexpr std::chrono::milliseconds kDefaultWorkerStopTimeout{10000};

  MainThread(LauncherStore& store, MainThreadHooks hooks, std::u16string languageOverride);
  ~MainThread() override;

  void set_worker_stop_timeout(std::chrono::milliseconds timeout) { workerStopTimeout_ = timeout; }
  // True when the worker did not finish its clean-up in time and was left
  // behind; the process must then end without running static destructors.
  bool worker_abandoned() const { return workerAbandoned_; }
  MiscThread* worker() const { return worker_.get(); }

 protected:
  void Init() override;
  void Cleanup() override;

 private:
  void Record(const std::string& step) const;
  void StopWorker();

  LauncherStore& store_;
  MainThreadHooks hooks_;
  std::u16string languageOverride_;
  std::unique_ptr<MiscThread> worker_;
  std::chrono::milliseconds workerStopTimeout_ = kDefaultWorkerStopTimeout;
  bool workerAbandoned_ = false;
};

// Ends the UI thread's loop (the UI thread's clean-up follows): posted, so it
// may be called from any thread.
void EndUiLoop();
