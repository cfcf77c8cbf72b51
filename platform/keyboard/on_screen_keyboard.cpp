#include "platform/keyboard/on_screen_keyboard.h"

#include "platform/keyboard/onboard_keyboard.h"

namespace platform {

namespace {

OnScreenKeyboard* g_installed = nullptr;

}  // namespace

OnScreenKeyboard* GetOnScreenKeyboard() {
  if (g_installed != nullptr) return g_installed;
  // Made on first use and kept until the process ends.
  static OnboardKeyboard* const onboard = new OnboardKeyboard();
  return onboard;
}

void InstallOnScreenKeyboard(OnScreenKeyboard* keyboard) { g_installed = keyboard; }

}  // namespace platform
