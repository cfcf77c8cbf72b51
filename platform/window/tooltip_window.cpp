#include "platform/window/tooltip_window.h"

#include "platform/window/window_api.h"

namespace platform {

TooltipWindow::TooltipWindow(HWND owner) : owner_(owner) {}

TooltipWindow::~TooltipWindow() { TrackActivate(false); }

void TooltipWindow::SetToolInfo(const std::u16string& text, const Rect& tool_rect) {
  text_ = text;
  tool_rect_ = tool_rect;
}

void TooltipWindow::TrackActivate(bool active) {
  WindowBackend* backend = GetWindowBackend();
  const NativeWindow native = GetNativeWindow(owner_);
  if (backend == nullptr || native == 0) {
    active_ = false;
    return;
  }
  if (!active || text_.empty()) {
    if (active_) backend->HideTooltip(native);
    active_ = false;
    return;
  }
  // Below the pointer while it rests on the tool, else below the tool.
  Point origin{tool_rect_.left, tool_rect_.top};
  ClientToScreen(owner_, &origin);
  const Rect tool_on_screen{origin.x, origin.y, origin.x + tool_rect_.Width(),
                            origin.y + tool_rect_.Height()};
  Point at{tool_on_screen.left, tool_on_screen.bottom};
  Point pointer;
  if (GetCursorPos(&pointer) && tool_on_screen.Contains(pointer)) {
    at = Point{pointer.x, pointer.y + kPointerClearance};
  }
  backend->ShowTooltip(native, text_, at, max_width_);
  active_ = true;
}

}  // namespace platform
