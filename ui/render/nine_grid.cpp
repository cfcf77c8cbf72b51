#include "ui/render/nine_grid.h"

#include <algorithm>

namespace ui {

namespace {

struct Insets {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Insets of at least 0 that together fit inside a width and height.
Insets FitInsets(const UiRect& corner, int width, int height) {
  Insets in;
  in.left = std::clamp(corner.left, 0, width);
  in.right = std::clamp(corner.right, 0, width - in.left);
  in.top = std::clamp(corner.top, 0, height);
  in.bottom = std::clamp(corner.bottom, 0, height - in.top);
  return in;
}

void AddPiece(const UiRect& paint, const UiRect& source, const UiRect& dest,
              std::vector<NineGridPiece>* pieces) {
  if (source.IsEmpty() || dest.IsEmpty() || !RectsMeet(dest, paint)) return;
  pieces->push_back({source, dest});
}

void AddCentre(const NineGridInput& in, const UiRect& si, const UiRect& di,
               std::vector<NineGridPiece>* pieces) {
  if (si.IsEmpty() || di.IsEmpty() || !RectsMeet(di, in.paint)) return;
  const int tile_w = si.Width();
  const int tile_h = si.Height();
  const bool xtiled = in.xtiled && tile_w > 0;
  const bool ytiled = in.ytiled && tile_h > 0;
  if (!xtiled && !ytiled) {
    pieces->push_back({si, di});
    return;
  }
  // Tiles are the image's own size; the last one in each direction is cut.
  // Only the tiles that meet the paint rectangle are visited.
  const int step_x = xtiled ? tile_w : di.Width();
  const int step_y = ytiled ? tile_h : di.Height();
  const UiRect area = IntersectRect(di, in.paint);
  const int first_top = di.top + (area.top - di.top) / step_y * step_y;
  const int first_left = di.left + (area.left - di.left) / step_x * step_x;
  for (int top = first_top; top < area.bottom; top += step_y) {
    const int h = std::min(step_y, di.bottom - top);
    for (int left = first_left; left < area.right; left += step_x) {
      const int w = std::min(step_x, di.right - left);
      const UiRect dest{left, top, left + w, top + h};
      const UiRect source{si.left, si.top, si.left + (xtiled ? w : si.Width()),
                          si.top + (ytiled ? h : si.Height())};
      AddPiece(in.paint, source, dest, pieces);
    }
  }
}

}  // namespace

std::vector<NineGridPiece> ComputeNineGrid(const NineGridInput& in) {
  std::vector<NineGridPiece> pieces;
  const UiRect& d = in.dest;
  if (d.IsEmpty() || !RectsMeet(d, in.paint)) return pieces;
  const UiRect s = IntersectRect(in.source, UiRect{0, 0, in.image_width, in.image_height});
  if (s.IsEmpty()) return pieces;

  const Insets c = FitInsets(in.corner, s.Width(), s.Height());
  const Insets e = FitInsets(in.dest_corner, d.Width(), d.Height());
  const UiRect si{s.left + c.left, s.top + c.top, s.right - c.right, s.bottom - c.bottom};
  const UiRect di{d.left + e.left, d.top + e.top, d.right - e.right, d.bottom - e.bottom};

  AddCentre(in, si, di, &pieces);

  const UiRect& p = in.paint;
  AddPiece(p, {s.left, s.top, si.left, si.top}, {d.left, d.top, di.left, di.top}, &pieces);
  AddPiece(p, {si.left, s.top, si.right, si.top}, {di.left, d.top, di.right, di.top}, &pieces);
  AddPiece(p, {si.right, s.top, s.right, si.top}, {di.right, d.top, d.right, di.top}, &pieces);
  AddPiece(p, {s.left, si.top, si.left, si.bottom}, {d.left, di.top, di.left, di.bottom}, &pieces);
  AddPiece(p, {si.right, si.top, s.right, si.bottom}, {di.right, di.top, d.right, di.bottom}, &pieces);
  AddPiece(p, {s.left, si.bottom, si.left, s.bottom}, {d.left, di.bottom, di.left, d.bottom}, &pieces);
  AddPiece(p, {si.left, si.bottom, si.right, s.bottom}, {di.left, di.bottom, di.right, d.bottom}, &pieces);
  AddPiece(p, {si.right, si.bottom, s.right, s.bottom}, {di.right, di.bottom, d.right, d.bottom}, &pieces);
  return pieces;
}

}  // namespace ui
