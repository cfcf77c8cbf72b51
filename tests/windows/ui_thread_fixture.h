// What the dialog tests share: the UI thread as the program runs it (a
// framework thread registered as thread 0, so the boxes' answers are posted
// to it), on a thread of its own, with a way to run a closure there and
// wait for its result; the launcher's skin package carried in the program,
// started as the launcher starts it; and a plain window of this process to
// own the boxes.
#ifndef TESTS_WINDOWS_UI_THREAD_FIXTURE_H_
#define TESTS_WINDOWS_UI_THREAD_FIXTURE_H_

#include <future>
#include <memory>
#include <thread>
#include <type_traits>

#include "base/thread/framework_thread.h"
#include "base/thread/thread_registry.h"
#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/skin_package.h"
#include "skin/embedded_resources.h"
#include "ui/controls/control_widgets.h"
#include "ui/timer_manager.h"

namespace windows_test {

class UiThread {
 public:
  UiThread() {
    std::promise<void> ready;
    auto started = ready.get_future();
    thread_ = std::thread([&ready] {
      Main main(&ready);
      main.RunOnCurrentThread();
    });
    started.wait();
  }
  ~UiThread() {
    kbase::ThreadRegistry::PostTask(kThreadUI, [] { kbase::FrameworkThread::QuitCurrentLoop(); });
    thread_.join();
  }
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

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

// Runs |task| on the UI thread after everything posted there before, and
// returns its result.
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

// UI thread: dispatches the queued window messages.
inline void DrainMessages() {
  platform::MSG msg;
  while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
    platform::TranslateMessage(&msg);
    platform::DispatchMessage(&msg);
  }
}

// UI thread: the framework on the skin package carried in the program, as
// the launcher starts it, in English.
inline void StartLauncherSkin() {
  const auto embedded = skin::EmbeddedSkinPackage();
  SetEmbeddedSkinPackage(embedded.data(), embedded.size());
  StartFrameworkUi("en");
  ui::RegisterControlWidgets();
}

inline void StopLauncherSkin() {
  ui::TimerManager::GetInstance()->Shutdown();
  ShutdownFrameworkUi();
}

// UI thread: a plain top-level window to own the boxes.
inline platform::HWND CreateOwnerWindow(const platform::Rect& rect) {
  platform::WNDCLASS window_class;
  window_class.lpfnWndProc = &platform::DefWindowProc;
  window_class.lpszClassName = u"DialogOwnerTest";
  platform::RegisterClass(window_class);  // already there after the first test
  const platform::HWND owner =
      platform::CreateWindowEx(0, window_class.lpszClassName, u"owner", platform::WS_POPUP, rect.left,
                               rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr);
  if (owner != nullptr) platform::ShowWindow(owner, platform::SW_SHOWNORMAL);
  return owner;
}

}  // namespace windows_test

#endif  // TESTS_WINDOWS_UI_THREAD_FIXTURE_H_
