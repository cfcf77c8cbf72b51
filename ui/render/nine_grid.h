// The pieces a 9-grid image draw is made of: the centre (stretched, or cut
// into tiles of the image's own size) and the eight border pieces, each as a
// source rectangle of the image and a destination rectangle. Insets are
// clamped so no piece has a negative size, the source is cut to the image,
// empty pieces and pieces that miss the paint rectangle are left out, and a
// tile extent of 0 draws that direction untiled.
#ifndef UI_RENDER_NINE_GRID_H_
#define UI_RENDER_NINE_GRID_H_

#include <vector>

#include "ui/render/render_types.h"

namespace ui {

struct NineGridPiece {
  UiRect source;
  UiRect dest;
};

struct NineGridInput {
  UiRect paint;
  UiRect dest;
  UiRect source;        // in image pixels
  UiRect corner;        // insets in image pixels
  UiRect dest_corner;   // the same insets scaled for the screen
  int image_width = 0;
  int image_height = 0;
  bool xtiled = false;
  bool ytiled = false;
};

// In drawing order: the centre (its tiles row by row), then top-left, top,
// top-right, left, right, bottom-left, bottom, bottom-right.
std::vector<NineGridPiece> ComputeNineGrid(const NineGridInput& input);

}  // namespace ui

#endif  // UI_RENDER_NINE_GRID_H_
