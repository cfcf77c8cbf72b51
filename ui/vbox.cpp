#include "ui/vbox.h"

#include "ui/vlayout.h"

namespace ui {

VBox::VBox() : Box(new VLayout()) {}

}  // namespace ui
