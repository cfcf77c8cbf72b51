#include "ui/tile_box.h"

#include "ui/tile_layout.h"

namespace ui {

TileBox::TileBox() : Box(new TileLayout()) {}

}  // namespace ui
