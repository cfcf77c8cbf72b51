#include "platform/window/size_limits.h"

#include <algorithm>

namespace platform {

namespace {

// Windows' own minimum comes from its frame metrics, which our frameless
// windows do not have.
constexpr int kDefaultMinTrack = 16;
// Without any monitor: no bound worth the name.
constexpr int kUnboundedTrack = 32767;

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

}  // namespace

MINMAXINFO DefaultMinMaxInfo(const std::vector<MonitorInfo>& monitors) {
  MINMAXINFO info;
  for (const MonitorInfo& m : monitors) {
    if (!m.primary) continue;
    info.ptMaxPosition = Point{m.monitor.left, m.monitor.top};
    info.ptMaxSize = Point{m.monitor.Width(), m.monitor.Height()};
  }
  info.ptMinTrackSize = Point{kDefaultMinTrack, kDefaultMinTrack};
  const Rect screen = VirtualScreenRect(monitors);
  info.ptMaxTrackSize = screen.IsEmpty() ? Point{kUnboundedTrack, kUnboundedTrack}
                                         : Point{screen.Width(), screen.Height()};
  return info;
}

SizeLimits AskSizeLimits(BackendClient* client, NativeWindow window, const std::vector<MonitorInfo>& monitors) {
  const MINMAXINFO defaults = DefaultMinMaxInfo(monitors);
  MINMAXINFO info = defaults;
  if (client) client->OnBackendMessage(window, WM_GETMINMAXINFO, 0, static_cast<LPARAM>(reinterpret_cast<intptr_t>(&info)));
  SizeLimits limits;
  limits.min_track = Size{std::max(1, info.ptMinTrackSize.x), std::max(1, info.ptMinTrackSize.y)};
  limits.max_track = Size{std::max(limits.min_track.cx, info.ptMaxTrackSize.x),
                          std::max(limits.min_track.cy, info.ptMaxTrackSize.y)};
  limits.own_min = info.ptMinTrackSize != defaults.ptMinTrackSize;
  limits.own_max = info.ptMaxTrackSize != defaults.ptMaxTrackSize;
  return limits;
}

Rect DraggedRect(const Rect& start, LRESULT hit, Point delta, const SizeLimits& limits) {
  if (hit == HTCAPTION) {
    return Rect{start.left + delta.x, start.top + delta.y, start.right + delta.x, start.bottom + delta.y};
  }
  Rect r = start;
  const bool left = hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
  const bool right = hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
  const bool top = hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
  const bool bottom = hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
  if (left) r.left = r.right - Clamp(start.Width() - delta.x, limits.min_track.cx, limits.max_track.cx);
  if (right) r.right = r.left + Clamp(start.Width() + delta.x, limits.min_track.cx, limits.max_track.cx);
  if (top) r.top = r.bottom - Clamp(start.Height() - delta.y, limits.min_track.cy, limits.max_track.cy);
  if (bottom) r.bottom = r.top + Clamp(start.Height() + delta.y, limits.min_track.cy, limits.max_track.cy);
  return r;
}

}  // namespace platform
