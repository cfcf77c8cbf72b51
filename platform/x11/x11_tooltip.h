// The text pop-up of a window's tooltip on the X server: an override-redirect
// window (the window manager leaves it alone) with the text laid out by pango
// on a pale background and a thin border, kept in the window's background
// pixmap so that the server repaints it without us.
#pragma once

#include <X11/Xlib.h>
#include <cairo.h>

#include <string>

#include "platform/window/geometry.h"

namespace platform::x11 {

class X11Tooltip {
 public:
  X11Tooltip(Display* display, Window root, int screen);
  ~X11Tooltip();
  X11Tooltip(const X11Tooltip&) = delete;
  X11Tooltip& operator=(const X11Tooltip&) = delete;

  // Shows the text with its top-left at a screen point, kept inside `screen_area`.
  void Show(const std::u16string& text, Point at, int max_width, const Rect& screen_area);
  void Hide();
  Window window() const { return window_; }
  bool IsShown() const { return shown_; }

 private:
  void PutIntoPixmap(cairo_surface_t* surface, int width, int height);

  Display* display_;
  Window root_;
  int screen_;
  Window window_ = 0;
  Pixmap pixmap_ = 0;
  bool shown_ = false;
};

}  // namespace platform::x11
