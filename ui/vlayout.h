// Stacks a box's children from top to bottom with the child margin between
// them; the height left over is shared among the children whose height
// stretches, the first ones taking one pixel more until the remainder is
// gone. Float children are placed freely and take no room.
#ifndef UI_VLAYOUT_H_
#define UI_VLAYOUT_H_

#include "ui/layout.h"

namespace ui {

class VLayout : public Layout {
 public:
  UiSize ArrangeChildren(const std::vector<Control*>& children, UiRect rect) override;
  UiSize EstimateSizeByChildren(const std::vector<Control*>& children, UiSize available) override;
};

}  // namespace ui

#endif  // UI_VLAYOUT_H_
