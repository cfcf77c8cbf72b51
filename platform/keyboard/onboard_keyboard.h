// onboard reached over the session bus (service org.onboard.Onboard,
// object /org/onboard/Onboard/Keyboard): its Visible property, Show and
// Hide. No session bus or no onboard running means no keyboard; no call
// starts a bus or a program.
#pragma once

#include "platform/keyboard/on_screen_keyboard.h"

struct _GDBusConnection;

namespace platform {

class OnboardKeyboard : public OnScreenKeyboard {
 public:
  static constexpr int kCallTimeoutMs = 200;

  OnboardKeyboard();
  ~OnboardKeyboard() override;
  OnboardKeyboard(const OnboardKeyboard&) = delete;
  OnboardKeyboard& operator=(const OnboardKeyboard&) = delete;

  bool IsAvailable() override;
  bool IsShown() override;
  void Show() override;
  void Hide() override;

 private:
  void Call(const char* method);

  _GDBusConnection* bus_ = nullptr;
};

}  // namespace platform
