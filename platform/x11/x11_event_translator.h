// Translates the X server's events for the back-end's windows into window
// messages: pointer buttons, double clicks, the wheel, moves, hover and
// leave, keys and the text they type (through the input method), focus,
// size and position, the window manager's requests and the messages other
// processes send (only those of their own protocols, WM_USER and up). It keeps the input state the translation needs (keys held,
// the last click, hover tracking); the windows, focus, capture and drag stay
// with the back-end, which hands every event here on the UI thread.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <set>

#include "platform/window/double_click_detector.h"
#include "platform/window/mouse_tracker.h"
#include "platform/window/window_messages.h"

namespace platform::x11 {

class X11Backend;

// A hit-test result that belongs to the frame: the caption or a border.
bool IsNonClientHit(LRESULT hit);

class X11EventTranslator {
 public:
  explicit X11EventTranslator(X11Backend& backend);
  X11EventTranslator(const X11EventTranslator&) = delete;
  X11EventTranslator& operator=(const X11EventTranslator&) = delete;

  // Sends the window messages the event stands for.
  void Translate(XEvent& event);
  // Sends WM_MOUSEHOVER when a tracked hover fell due by `now_ms`; true when
  // it did.
  bool DeliverDueHover(int64_t now_ms);

  bool IsKeyDown(uint32_t virtual_key) const { return keys_down_.count(virtual_key) != 0; }
  MouseTracker& tracker() { return tracker_; }
  const MouseTracker& tracker() const { return tracker_; }

 private:
  WPARAM MouseKeyState(unsigned int x_state) const;
  void OnButtonPress(const XButtonEvent& event);
  void OnButtonRelease(const XButtonEvent& event);
  void OnMotion(const XMotionEvent& event);
  void OnKey(XKeyEvent& event, bool down);
  void OnConfigure(const XConfigureEvent& event);
  void OnClientMessage(const XClientMessageEvent& event);
  void OnCopyData(const XClientMessageEvent& event);
  void OnFocus(const XFocusChangeEvent& event, bool in);

  X11Backend& backend_;
  std::set<uint32_t> keys_down_;
  DoubleClickDetector double_click_;
  MouseTracker tracker_;
  unsigned int swallowed_button_ = 0;  // pressed outside our windows: its release is nobody's either
};

}  // namespace platform::x11
