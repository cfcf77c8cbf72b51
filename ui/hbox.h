// A box that places its children side by side (rows of buttons, labels and
// links in the skins).
#ifndef UI_HBOX_H_
#define UI_HBOX_H_

#include "ui/box.h"

namespace ui {

class HBox : public Box {
 public:
  HBox();
};

}  // namespace ui

#endif  // UI_HBOX_H_
