// What the dialog tests share: the UI thread as the program runs it
// (tests/support/ui_thread.h: the boxes' answers are posted to it), the
// launcher's skin package carried in the program started as the launcher
// starts it, and a plain window of this process to own the boxes.
#ifndef TESTS_WINDOWS_UI_THREAD_FIXTURE_H_
#define TESTS_WINDOWS_UI_THREAD_FIXTURE_H_

#include "platform/message/message_api.h"
#include "platform/window/window_api.h"
#include "project/Launcher/core/framework_ui.h"
#include "project/Launcher/core/skin_package.h"
#include "skin/embedded_resources.h"
#include "tests/support/ui_thread.h"
#include "ui/controls/control_widgets.h"
#include "ui/timer_manager.h"

namespace windows_test {

using testing_support::OnUi;
using testing_support::UiThread;

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
