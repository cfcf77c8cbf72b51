// Turns a window's messages into control events: mouse moves with hover and
// leave, buttons, capture, the wheel, keys and characters, the cursor, the
// context menu, the tooltip after hover, touch and pen input, the focus with
// the tab walk, message filters and notifications reflected to the child
// windows that sent them. It keeps its targets in the window's fields, which
// forgetting a control clears. UI thread only.
#ifndef UI_WINDOW_MESSAGE_HANDLER_H_
#define UI_WINDOW_MESSAGE_HANDLER_H_

#include <memory>

#include "platform/message/message_types.h"
#include "platform/window/touch_pointer_input.h"
#include "ui/render/render_types.h"

namespace platform {
class TooltipWindow;
}

namespace ui {

class Control;
class Window;

class WindowMessageHandler {
 public:
  explicit WindowMessageHandler(Window& window);
  ~WindowMessageHandler();
  WindowMessageHandler(const WindowMessageHandler&) = delete;
  WindowMessageHandler& operator=(const WindowMessageHandler&) = delete;

  // |handled| false: the caller hands the message to the default procedure.
  platform::LRESULT ProcessMessage(platform::UINT message, platform::WPARAM wparam,
                                   platform::LPARAM lparam, bool& handled);
  // Moves hover to the control under the point: "mouseleave" to the one
  // left, "mouseenter" to the one entered. False when the control under the
  // point belongs to another window.
  bool HandleMouseEnterLeave(UiPoint point, platform::WPARAM wparam, platform::LPARAM lparam);
  // Moves the focus to the next (or previous) control that takes the focus
  // by Tab, wrapping at either end.
  bool SetNextTabControl(bool forward);

 private:
  bool RunMessageFilters(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                         platform::LRESULT* result);
  // Builds an event record and hands it to the control; a point of (0, 0)
  // stands for none and carries the last mouse point.
  void Deliver(Control* control, int type, UiPoint point, platform::WPARAM wparam,
               platform::LPARAM lparam, char16_t key = 0, float pressure = 0.0f);
  // The control under a point when it is one of this window's own.
  Control* OwnControlAt(UiPoint point) const;
  bool HasTouchOrPointerCapture() const;
  bool HasAnyCapture() const;
  void TakeCapture();
  void ReleaseCapture();
  void HideTooltip();

  void OnSize();
  void OnKillFocus(platform::WPARAM wparam, platform::LPARAM lparam);
  void OnClose();
  bool OnSetCursor(platform::WPARAM wparam, platform::LPARAM lparam);
  bool OnReflectToChild(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                        platform::LRESULT* result);
  bool OnNotify(platform::WPARAM wparam, platform::LPARAM lparam, platform::LRESULT* result);
  void OnContextMenu(platform::WPARAM wparam, platform::LPARAM lparam);
  void OnKeyDown(platform::WPARAM wparam, platform::LPARAM lparam);
  void OnKeyUp(platform::WPARAM wparam, platform::LPARAM lparam);
  void OnFocusedKeyEvent(int type, platform::WPARAM wparam, platform::LPARAM lparam);
  void OnMouseMove(platform::WPARAM wparam, platform::LPARAM lparam);
  void OnButtonDown(int type, bool take_focus, platform::WPARAM wparam, platform::LPARAM lparam);
  void OnButtonUp(int type, bool keep_pushed, platform::WPARAM wparam, platform::LPARAM lparam);
  void OnMouseWheel(platform::WPARAM wparam, platform::LPARAM lparam);
  bool OnMouseHover(platform::WPARAM wparam, platform::LPARAM lparam);
  void OnMouseLeave();
  void OnTouch(platform::WPARAM wparam, platform::LPARAM lparam);
  // False: not handled, the touch handle is left to the default procedure.
  bool HandleTouchInput(const platform::TOUCHINPUT& input, platform::LPARAM lparam);
  bool OnPointer(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                 platform::LRESULT* result);

  Window& window_;
  std::unique_ptr<platform::TooltipWindow> tooltip_;
  bool mouse_tracking_ = false;
  bool mouse_captured_ = false;
  UiPoint last_touch_point_;
};

}  // namespace ui

#endif  // UI_WINDOW_MESSAGE_HANDLER_H_
