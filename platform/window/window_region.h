// The rounded-rectangle window shape, as horizontal bands of rectangles that
// a back-end hands to its shape extension (or a test inspects).
#pragma once

#include <vector>

#include "platform/window/geometry.h"

namespace platform {

// Bands covering Windows' round-rect region (0, 0, width + 1, height + 1)
// with corner ellipse `ellipse`, clipped to the window's width x height.
// An ellipse of (0, 0) gives the whole window.
std::vector<Rect> RoundRectBands(int width, int height, Size ellipse);

bool BandsContain(const std::vector<Rect>& bands, Point p);

}  // namespace platform
