// The tooltip of a window: one text pop-up that the window fills with the
// text of the control under the pointer and shows beside the pointer, as a
// tracked tooltip control does. The back-end draws it (an override-redirect
// window under X11, a record in the in-memory back-end). UI thread only.
#pragma once

#include <string>

#include "platform/message/message_types.h"
#include "platform/window/geometry.h"

namespace platform {

class TooltipWindow {
 public:
  // The delay before a resting pointer asks for the tooltip, when none is set.
  static constexpr int kDefaultInitialDelayMs = 200;
  // Below the pointer's hot spot, clear of the arrow.
  static constexpr int kPointerClearance = 20;

  explicit TooltipWindow(HWND owner);
  ~TooltipWindow();
  TooltipWindow(const TooltipWindow&) = delete;
  TooltipWindow& operator=(const TooltipWindow&) = delete;

  HWND owner() const { return owner_; }
  void SetInitialDelay(int ms) { initial_delay_ms_ = ms; }
  int GetInitialDelay() const { return initial_delay_ms_; }
  // Longer lines wrap at this width (pixels); 0 or less: no wrapping.
  void SetMaxTipWidth(int width) { max_width_ = width; }
  // The text and the area of the owner's client it describes.
  void SetToolInfo(const std::u16string& text, const Rect& tool_rect);
  // Shows the tooltip beside the pointer, or hides it. An empty text shows
  // nothing.
  void TrackActivate(bool active);
  bool IsActive() const { return active_; }

 private:
  HWND owner_;
  int initial_delay_ms_ = kDefaultInitialDelayMs;
  int max_width_ = 0;
  std::u16string text_;
  Rect tool_rect_;
  bool active_ = false;
};

}  // namespace platform
