#pragma once
// A thread that runs its own message loop. Worker threads are started with
// Start; the UI thread (the process's main thread) runs its loop through
// RunOnCurrentThread. A thread registers itself in the ThreadRegistry from its
// Init and unregisters in its Cleanup; in between, anyone can post to it by
// identifier.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "base/callback/weak_callback.h"
#include "base/framework/message_loop.h"
#include "base/thread/thread.h"

namespace kbase {

class FrameworkThread;
class MessageLoopProxy;

// One per thread that runs a framework thread's body; threads that are not
// framework threads have none.
struct ThreadTlsRecord {
  FrameworkThread* self = nullptr;
  int managed = 0;              // registration count
  int managed_thread_id = -1;   // registered identifier, -1 when none
};

class FrameworkThread : public Thread, public virtual SupportWeakCallback {
 public:
  explicit FrameworkThread(const char* name);
  ~FrameworkThread() override;

  // Starts a worker thread with a default loop; returns once its Init ran.
  // Does nothing when a loop already exists.
  bool Start();
  // Runs a UI loop on the calling thread until it ends (WM_QUIT or Stop);
  // returns after Cleanup.
  void RunOnCurrentThread();
  // Ends the loop once it has run every task queued before the call (the quit
  // goes through the loop's proxy), then joins a started thread.
  void Stop();

  // The thread body (Init, the loop's run, Cleanup).
  void Run() override;

  // Ends the calling thread's current run when its loop is next idle.
  static void QuitCurrentLoop();
  // The identifier the calling thread is registered under, -1 when none.
  static int CurrentThreadIdentifier();
  // The calling thread's record, null when it runs no framework thread.
  static ThreadTlsRecord* GetTlsData();

  bool IsRunning() const { return running_.load(); }
  const std::string& thread_name() const { return name_; }
  MessageLoop::Type loop_type() const { return loop_type_; }
  // The loop's proxy while the loop exists (any thread), else empty.
  std::shared_ptr<MessageLoopProxy> message_loop_proxy();
  // The loop itself; only for the thread's own use.
  MessageLoop* message_loop() const { return message_loop_; }

 protected:
  // Run on the thread after its loop exists, before Start returns.
  virtual void Init() {}
  // Run on the thread after its loop's run ended, before the loop dies.
  virtual void Cleanup() {}

 private:
  static std::unique_ptr<MessageLoop> CreateLoop(MessageLoop::Type type);
  void SignalStarted();
  void WaitStarted();

  std::atomic<bool> running_{false};
  std::atomic<bool> stopping_{false};
  MessageLoop::Type loop_type_ = MessageLoop::kDefaultMessageLoop;
  MessageLoop* message_loop_ = nullptr;  // owned by the thread body

  std::mutex proxy_lock_;
  std::shared_ptr<MessageLoopProxy> proxy_;

  std::mutex start_lock_;
  std::condition_variable start_event_;
  bool started_ = false;

  std::string name_;
};

}  // namespace kbase
