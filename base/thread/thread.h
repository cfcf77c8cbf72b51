#pragma once
// A plain operating-system thread whose body is the virtual Run.
//
// A class deriving from Thread must join (Join) in its own destructor: once
// the derived part is destroyed, Run may no longer touch it.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kbase {

class Thread {
 public:
  Thread();
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // The body; does nothing by default.
  virtual void Run() {}

  // Starts the thread, which calls Run and ends. Returns once the thread's
  // identifier is known; false (identifier cleared) when no thread started.
  bool Create();

  // Waits without a time-out for the thread to end. Called from the thread
  // itself, the thread is detached instead (it cannot wait for itself).
  void Join();

  // Only for the thread that starts and stops this one.
  bool has_handle() const { return thread_.joinable(); }
  // The kernel's identifier of the thread; 0 when not running.
  uint32_t thread_id() const { return thread_id_.load(std::memory_order_acquire); }

  // 0 leaves the priority unchanged; 1 (lowest) and 2 (below normal) lower
  // it, 3 (highest) and 4 (time-critical) raise it where the process may;
  // any other positive value counts as below normal. Takes effect at Create.
  void set_thread_priority(int priority) { priority_ = priority; }
  int thread_priority() const { return priority_; }

 protected:
  void set_thread_id(uint32_t id) { thread_id_.store(id, std::memory_order_release); }

 private:
  void ThreadMain();
  void ApplyPriority();

  std::atomic<uint32_t> thread_id_{0};
  std::mutex join_lock_;
  std::thread thread_;
  int priority_ = 0;
};

// The calling thread's kernel identifier.
uint32_t CurrentThreadId();

}  // namespace kbase
