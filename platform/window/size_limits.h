// The track sizes that bound what the user makes of a window by dragging its
// borders, as the window names them in its answer to WM_GETMINMAXINFO, and
// the rectangle such a drag gives. Both back-ends use them for their own
// resizes; the X11 back-end also hands them to the window manager as size
// hints.
#pragma once

#include <vector>

#include "platform/window/window_backend.h"

namespace platform {

struct SizeLimits {
  Size min_track;
  Size max_track;
  // Whether the window named the size itself rather than keeping the
  // default: only those become size hints, so that a window larger than the
  // screen is not cut down by a window manager.
  bool own_min = false;
  bool own_max = false;
  friend bool operator==(const SizeLimits&, const SizeLimits&) = default;
};

// What WM_GETMINMAXINFO holds before the window changes it: the primary
// monitor as the maximised rectangle, a minimum track size small enough for
// any window yet big enough to grab again, and the virtual screen's size as
// the maximum track size.
MINMAXINFO DefaultMinMaxInfo(const std::vector<MonitorInfo>& monitors);

// Sends WM_GETMINMAXINFO, filled with the defaults, to the window through the
// client and reads back its track sizes, kept sane: at least 1 x 1 and the
// maximum never below the minimum.
SizeLimits AskSizeLimits(BackendClient* client, NativeWindow window, const std::vector<MonitorInfo>& monitors);

// Where a drag that started on `start` puts the window once the pointer has
// moved by `delta`: the caption moves it; a border or corner moves those
// edges while the opposite ones stay, the size held within the limits.
Rect DraggedRect(const Rect& start, LRESULT hit_test, Point delta, const SizeLimits& limits);

}  // namespace platform
