#include <climits>

#include "platform/window/window_backend.h"

namespace platform {

namespace {

long long DistanceSquared(const Rect& r, Point p) {
  const long long dx = p.x < r.left ? r.left - p.x : (p.x >= r.right ? p.x - r.right + 1 : 0);
  const long long dy = p.y < r.top ? r.top - p.y : (p.y >= r.bottom ? p.y - r.bottom + 1 : 0);
  return dx * dx + dy * dy;
}

}  // namespace

std::optional<MonitorInfo> MonitorNearestPoint(const std::vector<MonitorInfo>& monitors, Point p) {
  std::optional<MonitorInfo> best;
  long long best_distance = LLONG_MAX;
  for (const MonitorInfo& m : monitors) {
    const long long d = DistanceSquared(m.monitor, p);
    if (d < best_distance) {
      best_distance = d;
      best = m;
    }
  }
  return best;
}

Rect VirtualScreenRect(const std::vector<MonitorInfo>& monitors) {
  Rect screen;
  for (const MonitorInfo& m : monitors) screen = Union(screen, m.monitor);
  return screen;
}

}  // namespace platform
