#include "ui/shadow_box.h"

namespace ui {

ShadowBox::ShadowBox() : Box(new Layout()) {}

void ShadowBox::PaintContent(IRenderContext* render, const UiRect& paint_rect) {
  const UiRect inner = GetPosWithoutPadding();
  const bool inside_root = paint_rect.left >= inner.left && paint_rect.top >= inner.top &&
                           paint_rect.right <= inner.right && paint_rect.bottom <= inner.bottom;
  if (inside_root) return;
  Box::PaintContent(render, paint_rect);
}

}  // namespace ui
