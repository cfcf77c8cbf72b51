#pragma once
// The launcher's UI thread for the window tests: a UI loop registered as
// kThreadUI on a thread of its own, with the in-memory window back-end
// installed on it, and ways to run work there and wait for what it posts.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/window/memory_backend.h"
#include "platform/window/window_api.h"
#include "tests/support/ui_thread.h"

namespace windows_test {

// The UI thread of the program with the in-memory window back-end
// installed on it.
class UiThread {
 public:
  UiThread()
      : thread_([this] { platform::InstallWindowBackend(&backend_); },
                [] { platform::InstallWindowBackend(nullptr); }) {}

  platform::MemoryBackend& backend() { return backend_; }

 private:
  platform::MemoryBackend backend_;  // before the thread that uses it
  testing_support::UiThread thread_;
};

using testing_support::OnUi;

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
