// Whether an X window is mapped and viewable on the X server, as tests that
// click at it through XTest must wait for.
#ifndef TESTS_SUPPORT_X11_MAPPED_H_
#define TESTS_SUPPORT_X11_MAPPED_H_

#include <X11/Xlib.h>

#include <cstdint>

namespace testing_support {

inline bool IsMappedOnScreen(Display* display, uint64_t window) {
  XWindowAttributes attributes{};
  return window != 0 && XGetWindowAttributes(display, static_cast<::Window>(window), &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_X11_MAPPED_H_
