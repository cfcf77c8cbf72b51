// A box that stacks its children vertically (the base of the launcher's
// panels).
#ifndef UI_VBOX_H_
#define UI_VBOX_H_

#include "ui/box.h"

namespace ui {

class VBox : public Box {
 public:
  VBox();
};

}  // namespace ui

#endif  // UI_VBOX_H_
