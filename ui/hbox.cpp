#include "ui/hbox.h"

#include "ui/hlayout.h"

namespace ui {

HBox::HBox() : Box(new HLayout()) {}

}  // namespace ui
