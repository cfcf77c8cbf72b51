// The on-screen keyboard for text input by touch: whether the desktop has
// one, whether it shows, and showing and hiding it. The real one is Debian's
// onboard over its D-Bus interface; tests put a fake in its place.
#pragma once

namespace platform {

class OnScreenKeyboard {
 public:
  virtual ~OnScreenKeyboard() = default;
  // Whether a keyboard can be reached at all; asked once before the first
  // request.
  virtual bool IsAvailable() = 0;
  virtual bool IsShown() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
};

// The process's keyboard: the installed one, else onboard's.
OnScreenKeyboard* GetOnScreenKeyboard();
// Puts a keyboard in place (not owned); null goes back to onboard's.
void InstallOnScreenKeyboard(OnScreenKeyboard* keyboard);

}  // namespace platform
