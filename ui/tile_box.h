// A box that places its children in a grid of equal cells.
#ifndef UI_TILE_BOX_H_
#define UI_TILE_BOX_H_

#include "ui/box.h"

namespace ui {

class TileBox : public Box {
 public:
  TileBox();
};

}  // namespace ui

#endif  // UI_TILE_BOX_H_
