// Clip pushes and pops on a DC record: a push saves the DC state and
// intersects the clip with the rectangle (moved from logical to device
// coordinates by the window origin); a pop restores the last saved state.
#ifndef UI_RENDER_GDI_CLIP_H_
#define UI_RENDER_GDI_CLIP_H_

#include "ui/render/i_clip.h"

namespace ui {

class GdiClip final : public IClip {
 public:
  void CreateClip(HDC dc, const UiRect& rect) override;
  void CreateRoundClip(HDC dc, const UiRect& rect, int width, int height) override;
  void ClearClip(HDC dc) override;
};

}  // namespace ui

#endif  // UI_RENDER_GDI_CLIP_H_
