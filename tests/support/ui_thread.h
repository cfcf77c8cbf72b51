// The UI thread as the program runs it (a framework thread registered as
// thread 0, running the UI loop), on a thread of its own, and a way to run a
// closure there and wait for its result: for tests whose code posts to the
// UI thread by its identifier.
#ifndef TESTS_SUPPORT_UI_THREAD_H_
#define TESTS_SUPPORT_UI_THREAD_H_

#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <type_traits>

#include "base/thread/framework_thread.h"
#include "base/thread/thread_registry.h"

namespace testing_support {

// The UI thread as the program runs it, on its own thread: its loop ends
// with the quit message.
class UiThread {
 public:
  // |enter| runs on the new thread before its loop starts, |leave| after
  // the loop has ended (a test installs its window back-end there).
  explicit UiThread(std::function<void()> enter = nullptr, std::function<void()> leave = nullptr) {
    std::promise<void> ready;
    auto started = ready.get_future();
    thread_ = std::thread([&ready, enter = std::move(enter), leave = std::move(leave)] {
      if (enter) enter();
      {
        Main main(&ready);
        main.RunOnCurrentThread();
      }
      if (leave) leave();
    });
    started.wait();
  }
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;
  ~UiThread() {
    if (thread_.joinable()) {
      kbase::ThreadRegistry::PostTask(kThreadUI, [] { kbase::FrameworkThread::QuitCurrentLoop(); });
      thread_.join();
    }
  }
  // Waits until the loop has ended by itself.
  void Join() { thread_.join(); }

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
  std::thread thread_;
};

// Runs |task| on the UI thread and waits until it ran.
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

}  // namespace testing_support

#endif  // TESTS_SUPPORT_UI_THREAD_H_
