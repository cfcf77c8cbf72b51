// The small device-context record a render context draws into: the surface
// selected into it, the window origin (a logical point that maps to device
// (0, 0)), and the clip as a stack of saved states. SaveDC pushes the state,
// RestoreDC pops back to a numbered one, and every clip push saves a state
// first, so clipping and SaveDC/RestoreDC share one numbered stack as the GDI
// calls do.
//
// Every render operation makes its own cairo context from the record
// (MakeContext): the clip applied in device space, then the origin as a
// translation. Nothing of cairo's state outlives one operation.
#ifndef UI_RENDER_DC_RECORD_H_
#define UI_RENDER_DC_RECORD_H_

#include <vector>

#include "ui/render/render_types.h"

namespace ui {

struct DcRecord {
  // One clip shape, in device coordinates; a round one has the ellipse size
  // of its corners.
  struct ClipShape {
    UiRect rect;
    int ellipse_width = 0;
    int ellipse_height = 0;
  };
  struct State {
    UiPoint window_org;
    // Intersection of the rectangular clips; empty_clip once it is empty.
    bool has_clip = false;
    UiRect clip_bounds;
    std::vector<ClipShape> round_clips;
  };

  HBITMAP surface = nullptr;  // not owned
  State state;
  std::vector<State> saved;

  // SaveDC: pushes the state and returns its number (1 for the first).
  int Save();
  // RestoreDC: a positive number restores the state of that SaveDC (dropping
  // every state saved after it), -1 the most recent one. False for a number
  // that names no saved state.
  bool Restore(int saved_state);
  // Saves the state, then intersects the clip with the logical rectangle.
  void PushClip(const UiRect& logical_rect, int ellipse_width = 0, int ellipse_height = 0);

  // A cairo context on the surface with the clip and the origin applied, or
  // null without a surface. The caller destroys it.
  _cairo* MakeContext() const;
  // The clip's bounding rectangle in device coordinates (the surface when
  // there is no clip); empty when nothing can be drawn.
  UiRect DeviceClipBounds() const;
};

}  // namespace ui

#endif  // UI_RENDER_DC_RECORD_H_
