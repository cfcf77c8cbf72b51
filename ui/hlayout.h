// Places a box's children side by side from left to right with the child
// margin between them; the width left over by the fixed-width children is
// shared among those whose width stretches, the first ones taking one pixel
// more until the remainder is gone. Each child sits at the top, centre or
// bottom of the row by its vertical alignment. Float children are placed
// freely and take no room.
#ifndef UI_HLAYOUT_H_
#define UI_HLAYOUT_H_

#include "ui/layout.h"

namespace ui {

class HLayout : public Layout {
 public:
  UiSize ArrangeChildren(const std::vector<Control*>& children, UiRect rect) override;
  UiSize EstimateSizeByChildren(const std::vector<Control*>& children, UiSize available) override;
};

}  // namespace ui

#endif  // UI_HLAYOUT_H_
