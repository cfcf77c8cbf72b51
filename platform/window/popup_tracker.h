// The shown pop-ups of a back-end and which of them a button press leaves
// (see "Pop-ups" in window_backend.h): a press leaves every shown pop-up
// whose rectangle does not hold the point, unless the press landed in a
// window that the pop-up owns (directly or through other windows), such as
// a pop-up opened from it.
#pragma once

#include <functional>
#include <vector>

#include "platform/window/window_backend.h"

namespace platform {

class PopupTracker {
 public:
  // The back-end's answers about its windows.
  struct Windows {
    std::function<Rect(NativeWindow)> rect;          // screen rectangle; empty when gone
    std::function<NativeWindow(NativeWindow)> owner;  // 0 when none
  };

  void Arm(NativeWindow popup);
  void Disarm(NativeWindow popup);
  bool IsArmed(NativeWindow popup) const;
  bool empty() const { return armed_.empty(); }
  // The pop-up shown last, 0 when none.
  NativeWindow latest() const { return armed_.empty() ? 0 : armed_.back(); }

  // The pop-ups that a press at `screen`, landing in our window `pressed`
  // (0 for no window of ours), leaves; they are disarmed. Latest first.
  std::vector<NativeWindow> TakeLeftBy(Point screen, NativeWindow pressed, const Windows& windows);

 private:
  static bool IsOwnedBy(NativeWindow window, NativeWindow popup, const Windows& windows);

  std::vector<NativeWindow> armed_;  // in the order they were shown
};

}  // namespace platform
