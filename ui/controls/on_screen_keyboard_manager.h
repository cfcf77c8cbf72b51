// Shows and hides the on-screen keyboard for text input by touch. A request
// only records the wish; 10 ms later, on the timer manager, the wish is
// checked against the keyboard's real state and acted on, so requests that
// follow each other closely end in the last wish without a series of
// toggles. With no keyboard on the desktop every request is ignored. (On
// X11 nothing delivers touch input, so an edit never asks on a real
// desktop.) UI thread only.
#ifndef UI_CONTROLS_ON_SCREEN_KEYBOARD_MANAGER_H_
#define UI_CONTROLS_ON_SCREEN_KEYBOARD_MANAGER_H_

#include <optional>

#include "base/callback/weak_callback.h"

namespace ui {

class OnScreenKeyboardManager : public virtual kbase::SupportWeakCallback {
 public:
  static constexpr int kCheckDelayMs = 10;

  static OnScreenKeyboardManager* GetInstance();

  void ShowOSK(bool show);
  bool GetWish() const { return wish_; }
  // Asks again whether a keyboard is there (after a test puts its own in
  // place).
  void ResetAvailability() { available_.reset(); }

 private:
  OnScreenKeyboardManager() = default;
  void OnTimer();

  bool wish_ = false;
  std::optional<bool> available_;
};

}  // namespace ui

#endif  // UI_CONTROLS_ON_SCREEN_KEYBOARD_MANAGER_H_
