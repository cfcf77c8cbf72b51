#include "platform/window/popup_tracker.h"

#include <algorithm>

namespace platform {

void PopupTracker::Arm(NativeWindow popup) {
  Disarm(popup);
  armed_.push_back(popup);
}

void PopupTracker::Disarm(NativeWindow popup) { std::erase(armed_, popup); }

bool PopupTracker::IsArmed(NativeWindow popup) const {
  return std::find(armed_.begin(), armed_.end(), popup) != armed_.end();
}

bool PopupTracker::IsOwnedBy(NativeWindow window, NativeWindow popup, const Windows& windows) {
  // Owner chains are short; the bound only guards against a cycle.
  for (int depth = 0; window != 0 && depth < 64; ++depth) {
    window = windows.owner(window);
    if (window == popup) return true;
  }
  return false;
}

std::vector<NativeWindow> PopupTracker::TakeLeftBy(Point screen, NativeWindow pressed, const Windows& windows) {
  std::vector<NativeWindow> left;
  for (auto it = armed_.rbegin(); it != armed_.rend(); ++it) {
    const NativeWindow popup = *it;
    if (windows.rect(popup).Contains(screen)) continue;
    if (pressed != 0 && windows.rect(pressed).Contains(screen) && IsOwnedBy(pressed, popup, windows)) continue;
    left.push_back(popup);
  }
  for (NativeWindow popup : left) Disarm(popup);
  return left;
}

}  // namespace platform
