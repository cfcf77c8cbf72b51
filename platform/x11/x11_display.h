// Opening a connection to the X server.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace platform::x11 {

// XOpenDisplay, tried again a few times at once: a busy server now and then
// refuses a connection that the next attempt gets. Null when it cannot be
// opened; empty `name` means $DISPLAY.
Display* OpenDisplay(const std::string& name = std::string());

}  // namespace platform::x11
