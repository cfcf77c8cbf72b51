#include "ui/controls/on_screen_keyboard_manager.h"

#include "platform/keyboard/on_screen_keyboard.h"
#include "ui/timer_manager.h"

namespace ui {

OnScreenKeyboardManager* OnScreenKeyboardManager::GetInstance() {
  static OnScreenKeyboardManager* const manager = new OnScreenKeyboardManager();
  return manager;
}

void OnScreenKeyboardManager::ShowOSK(bool show) {
  if (!available_) available_ = platform::GetOnScreenKeyboard()->IsAvailable();
  if (!*available_) return;
  wish_ = show;
  // Every request has its own tick; each acts on the wish of its moment.
  TimerManager::GetInstance()->AddTimer(GetWeakFlag(), [this] { OnTimer(); }, kCheckDelayMs, 1);
}

void OnScreenKeyboardManager::OnTimer() {
  platform::OnScreenKeyboard* keyboard = platform::GetOnScreenKeyboard();
  const bool shown = keyboard->IsShown();
  if (shown == wish_) return;
  if (shown) {
    keyboard->Hide();
  } else {
    keyboard->Show();
  }
}

}  // namespace ui
