#pragma once
// What the launcher's dialogs share: each is created owned by a window of
// this process, which stays disabled while the dialog is open, and closes
// once: the first way of closing decides, and whatever arrives later (a
// close request during the fade-out) finds it closing already. UI thread
// only.

#include "ui/window_impl_base.h"

class OwnedDialog : public ui::WindowImplBase {
 public:
  bool IsClosing() const { return closing_; }

 protected:
  // Creates the window owned by |owner| with the dialog style, disables the
  // owner, centres the dialog on it and shows it with the focus. False when
  // the window cannot be made: the object is then deleted.
  bool CreateOwnedBy(platform::HWND owner);
  // Starts closing: enables and focuses the owner again and, with |fade|,
  // fades the window out (it goes 300 ms later). False, doing nothing, when
  // the dialog is closing already.
  bool BeginClose(bool fade, platform::WPARAM code);

 private:
  void EnableOwner();

  platform::HWND owner_ = nullptr;
  bool closing_ = false;
};
