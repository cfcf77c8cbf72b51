// Places a box's children in a grid of equal cells, row by row. The number
// of columns is set, or follows from the item width ("itemsize") and the
// box's width; leftover pixels widen the first cells of every row by one.
// Each row is as high as its highest child; every child is centred in its
// cell. Float children are placed freely and take no room.
#ifndef UI_TILE_LAYOUT_H_
#define UI_TILE_LAYOUT_H_

#include "ui/layout.h"

namespace ui {

class TileLayout : public Layout {
 public:
  TileLayout() = default;
  ~TileLayout() override = default;

  // "itemsize" and "columns" besides the layout's own attributes.
  bool SetAttribute(const std::u16string& name, const std::u16string& value) override;
  UiSize ArrangeChildren(const std::vector<Control*>& children, UiRect rect) override;
  UiSize EstimateSizeByChildren(const std::vector<Control*>& children, UiSize available) override;

  int GetColumns() const { return columns_; }
  // Values of 0 or less are ignored.
  void SetColumns(int columns);
  UiSize GetItemSize() const { return item_size_; }
  // DPI-scaled; the owner re-arranges when the size changed.
  void SetItemSize(UiSize size);

 private:
  // The height of the row that starts at |first|: the largest height its
  // children want, margins included, for the widths their cells give them.
  int RowHeight(const std::vector<Control*>& children, size_t first, int x, int cell_width,
                int extra) const;

  int columns_ = 1;
  UiSize item_size_;
};

}  // namespace ui

#endif  // UI_TILE_LAYOUT_H_
