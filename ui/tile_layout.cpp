#include "ui/tile_layout.h"

#include <algorithm>

#include "ui/attribute_value.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/dpi_manager.h"

namespace ui {
namespace {

// The height the row computation asks for: as tall as any child may be.
constexpr int kUnboundedRowHeight = 9999;

}  // namespace

bool TileLayout::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"itemsize") {
    SetItemSize(ParseSizeValue(value));
    return true;
  }
  if (name == u"columns") {
    SetColumns(ParseIntValue(value));
    return true;
  }
  return Layout::SetAttribute(name, value);
}

void TileLayout::SetColumns(int columns) {
  if (columns <= 0) return;
  columns_ = columns;
  if (owner_ != nullptr) owner_->Arrange();
}

void TileLayout::SetItemSize(UiSize size) {
  const DpiManager* dpi = DpiManager::GetInstance();
  size.cx = dpi->ScaleInt(size.cx);
  size.cy = dpi->ScaleInt(size.cy);
  if (size == item_size_) return;
  item_size_ = size;
  if (owner_ != nullptr) owner_->Arrange();
}

int TileLayout::RowHeight(const std::vector<Control*>& children, size_t first, int x,
                          int cell_width, int extra) const {
  const int cm = child_margin_;
  int row_height = 0;
  int column = 0;
  for (size_t i = first; i < children.size() && column < columns_; ++i) {
    Control* child = children[i];
    if (!IsCounted(child)) continue;
    const int right = x + cell_width + (extra > 0 ? 1 : 0);
    if (extra > 0) --extra;
    const bool edge = column == 0 || column == columns_ - 1;
    const int gap = edge ? cm / 2 : cm;
    const UiRect margin = child->GetMargin();
    const int width = ClampWidth(child, right - x - margin.left - margin.right - gap);
    const int height = ClampHeight(child, child->EstimateSize(UiSize{width, kUnboundedRowHeight}).cy);
    row_height = std::max(row_height, margin.top + height + margin.bottom);
    x = right;
    ++column;
  }
  return row_height;
}

UiSize TileLayout::ArrangeChildren(const std::vector<Control*>& children, UiRect rect) {
  const int width = rect.Width();
  if (item_size_.cx > 0) columns_ = width / item_size_.cx;
  if (columns_ == 0) columns_ = 1;

  const int cell_width = width / columns_;
  const int first_extra = width - cell_width * columns_;
  int extra = first_extra;
  const int half_margin = child_margin_ / 2;
  int x = rect.left;
  int y = rect.top;
  int index = 0;
  int row_height = 0;
  int used_height = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    Control* child = children[i];
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(child, rect);
      continue;
    }
    if (index % columns_ == 0) row_height = RowHeight(children, i, x, cell_width, extra);
    const int cell_right = x + cell_width + (extra > 0 ? 1 : 0);
    if (extra > 0) --extra;

    const UiRect margin = child->GetMargin();
    const int inner_left = x + half_margin + margin.left;
    const int inner_right = cell_right - half_margin - margin.right;
    const int top = y + margin.top;
    const int row_bottom = y + row_height;
    UiSize size = child->EstimateSize(UiSize{inner_right - inner_left, row_bottom - top});
    if (size.cx == kSizeStretch) size.cx = inner_right - inner_left;
    if (size.cy == kSizeStretch) size.cy = row_bottom - top;
    size.cx = ClampWidth(child, size.cx);
    size.cy = ClampHeight(child, size.cy);

    const int left = (inner_left + inner_right - size.cx) / 2;
    const int placed_top = (top + row_bottom - size.cy) / 2;
    child->SetPos(UiRect{left, placed_top, left + size.cx, placed_top + size.cy});

    ++index;
    if (index % columns_ == 0) {
      y += row_height + child_margin_;
      x = rect.left;
      extra = first_extra;
      row_height = 0;
    } else {
      x = cell_right;
    }
    used_height = row_bottom - rect.top;
  }
  return UiSize{width, used_height};
}

UiSize TileLayout::EstimateSizeByChildren(const std::vector<Control*>& children,
                                          UiSize available) {
  UiSize result;
  if (owner_ != nullptr) result.cx = owner_->Control::EstimateSize(available).cx;
  if (item_size_.cx > 0 && owner_ != nullptr) {
    columns_ = owner_->GetFixedWidth() / item_size_.cx;
  }
  if (columns_ <= 0) columns_ = 1;
  int visible = 0;
  for (Control* child : children) visible += child->IsVisible() ? 1 : 0;
  if (visible > 0) {
    const int rows = (visible + columns_ - 1) / columns_;
    // Every row is taken as high as the first child's fixed height; a first
    // child that stretches or sizes itself has none, and counts as 0 rather
    // than making the box claim negative room.
    const int row_height = std::max(0, children.front()->GetFixedHeight());
    result.cy = rows * row_height + (rows - 1) * child_margin_ + padding_.top + padding_.bottom;
  }
  return result;
}

}  // namespace ui
