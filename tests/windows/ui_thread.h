#pragma once
// The launcher's UI thread for the window tests: a UI loop registered as
// kThreadUI on a thread of its own, with the in-memory window back-end
// installed on it, and ways to run work there and wait for what it posts.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

#include "base/thread/framework_thread.h"
#include "base/thread/thread_registry.h"
#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"

namespace windows_test {

class UiThread {
 public:
  UiThread() {
    std::promise<void> ready;
    auto started = ready.get_future();
    thread_ = std::thread([this, &ready] {
      platform::InstallWindowBackend(&backend_);
      Main main(&ready);
      main.RunOnCurrentThread();
      platform::InstallWindowBackend(nullptr);
    });
    started.wait();
  }
  ~UiThread() {
    kbase::ThreadRegistry::PostTask(kThreadUI, [] { kbase::FrameworkThread::QuitCurrentLoop(); });
    thread_.join();
  }
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

  platform::MemoryBackend& backend() { return backend_; }

 private:
  class Main : public kbase::FrameworkThread {
   public:
    explicit Main(std::promise<void>* ready) : kbase::FrameworkThread("UiThread"), ready_(ready) {}
    ~Main() override { Stop(); }

   protected:
    void Init() override {
      kbase::ThreadRegistry::GetInstance()->RegisterCurrentThread(kThreadUI);
      ready_->set_value();
    }
    void Cleanup() override { kbase::ThreadRegistry::GetInstance()->UnregisterCurrentThread(); }

   private:
    std::promise<void>* ready_;
  };
  platform::MemoryBackend backend_;
  std::thread thread_;
};

// Runs |task| on the UI thread after everything queued there before, and
// returns its result once it ran.
template <typename F>
auto OnUi(F task) -> decltype(task()) {
  using R = decltype(task());
  auto done = std::make_shared<std::promise<R>>();
  auto result = done->get_future();
  kbase::ThreadRegistry::PostTask(kThreadUI, [task, done]() mutable {
    if constexpr (std::is_void_v<R>) {
      task();
      done->set_value();
    } else {
      done->set_value(task());
    }
  });
  return result.get();
}

// A value the UI thread sets and the test thread waits for.
template <typename T>
class Awaited {
 public:
  void Set(T value) {
    std::lock_guard<std::mutex> hold(lock_);
    values_.push_back(std::move(value));
    changed_.notify_all();
  }
  // Waits (at most 20 s) until |count| values arrived.
  bool WaitFor(size_t count = 1) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::seconds(20),
                             [&] { return values_.size() >= count; });
  }
  std::vector<T> Values() {
    std::lock_guard<std::mutex> hold(lock_);
    return values_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<T> values_;
};

}  // namespace windows_test
