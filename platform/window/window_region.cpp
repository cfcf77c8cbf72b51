#include "platform/window/window_region.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// How far row y (0 .. extent - 1) of a round rect of `extent` rows is inset
// on each side by a corner ellipse of radii (a, b).
int RowInset(int y, int extent, double a, double b) {
  const double center = y + 0.5;
  double dy = 0;
  if (center < b) {
    dy = b - center;
  } else if (center > extent - b) {
    dy = center - (extent - b);
  } else {
    return 0;
  }
  const double t = std::min(1.0, dy / b);
  return static_cast<int>(std::lround(a - a * std::sqrt(1.0 - t * t)));
}

}  // namespace

std::vector<Rect> RoundRectBands(int width, int height, Size ellipse) {
  std::vector<Rect> bands;
  if (width <= 0 || height <= 0) return bands;
  if (ellipse.cx <= 0 || ellipse.cy <= 0) {
    bands.push_back(Rect{0, 0, width, height});
    return bands;
  }
  // The region is one pixel wider and taller than the window, as Windows'
  // CreateRoundRectRgn (0, 0, width + 1, height + 1) makes it.
  const int full_w = width + 1;
  const int full_h = height + 1;
  const double a = std::min(ellipse.cx, full_w) / 2.0;
  const double b = std::min(ellipse.cy, full_h) / 2.0;
  for (int y = 0; y < height; ++y) {
    const int inset = RowInset(y, full_h, a, b);
    const Rect row{inset, y, std::min(width, full_w - inset), y + 1};
    if (row.IsEmpty()) continue;
    if (!bands.empty() && bands.back().bottom == y && bands.back().left == row.left &&
        bands.back().right == row.right) {
      bands.back().bottom = y + 1;
    } else {
      bands.push_back(row);
    }
  }
  return bands;
}

bool BandsContain(const std::vector<Rect>& bands, Point p) {
  return std::any_of(bands.begin(), bands.end(), [p](const Rect& r) { return r.Contains(p); });
}

}  // namespace platform
