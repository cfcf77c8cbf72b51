#pragma once
// A framework thread registered under an identifier for a test, and a way to
// run a closure on a registered thread and wait until it ran.

#include <chrono>
#include <cstdio>
#include <future>
#include <functional>

#include "base/thread/framework_thread.h"
#include "base/thread/thread_registry.h"

class RegisteredTestThread : public kbase::FrameworkThread {
 public:
  explicit RegisteredTestThread(int identifier)
      : kbase::FrameworkThread("TestThread"), identifier_(identifier) {}
  ~RegisteredTestThread() override { Stop(); }

 protected:
  void Init() override { kbase::ThreadRegistry::GetInstance()->RegisterCurrentThread(identifier_); }
  void Cleanup() override { kbase::ThreadRegistry::GetInstance()->UnregisterCurrentThread(); }

 private:
  int identifier_;
};

// Runs |task| on the thread registered under |identifier| after everything
// posted to it before; returns once it ran (false when nothing is there).
inline bool RunOn(int identifier, std::function<void()> task) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> ran = done->get_future();
  if (!kbase::ThreadRegistry::PostTask(identifier, [task, done] {
        task();
        done->set_value();
      })) {
    return false;
  }
  // A thread that never answers hangs the test until ctest's limit: the
  // log then says which thread it was.
  while (ran.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    std::fprintf(stderr, "still waiting for the thread registered as %d\n", identifier);
  }
  return true;
}
