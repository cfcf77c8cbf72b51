// The box that wraps a window's root to draw the soft drop shadow around it:
// its padding is the shadow's corner and its background image the shadow's
// 9-grid picture, so the root sits inset and the picture fills the margin.
// A repaint that lies wholly inside the root leaves the picture alone.
#ifndef UI_SHADOW_BOX_H_
#define UI_SHADOW_BOX_H_

#include "ui/box.h"

namespace ui {

class ShadowBox : public Box {
 public:
  ShadowBox();

  void PaintContent(IRenderContext* render, const UiRect& paint_rect) override;
};

}  // namespace ui

#endif  // UI_SHADOW_BOX_H_
