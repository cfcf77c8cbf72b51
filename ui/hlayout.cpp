#include "ui/hlayout.h"

#include <algorithm>

#include "ui/control.h"

namespace ui {

UiSize HLayout::ArrangeChildren(const std::vector<Control*>& children, UiRect rect) {
  const int width = rect.Width();
  const int height = rect.Height();
  const int cm = child_margin_;

  const StretchShare stretch = ShareStretchRoom(children, rect, /*horizontal=*/true);
  int remainder = stretch.remainder;

  int cursor = rect.left;
  int remaining = width;
  int used_width = 0;
  int used_height = 0;
  for (Control* child : children) {
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(child, rect);
      continue;
    }
    const UiRect margin = child->GetMargin();
    remaining -= margin.left;
    UiSize size = child->EstimateSize(UiSize{remaining, height});
    if (size.cx == kSizeStretch) {
      size.cx = stretch.share;
      if (remainder > 0) {
        ++size.cx;
        --remainder;
      }
    }
    size.cx = ClampWidth(child, size.cx);
    if (size.cy == kSizeStretch) size.cy = height - margin.top - margin.bottom;
    size.cy = ClampHeight(child, std::max(size.cy, 0));

    int top = rect.top + margin.top;
    switch (child->GetVerAlignType()) {
      case kVerAlignTop:
        break;
      case kVerAlignBottom:
        top = rect.bottom - margin.bottom - size.cy;
        break;
      case kVerAlignCenter:
        top = rect.top + (margin.top + rect.bottom - margin.bottom - size.cy - rect.top) / 2;
        break;
    }
    const int left = cursor + margin.left;
    child->SetPos(UiRect{left, top, left + size.cx, top + size.cy});
    cursor += margin.left + size.cx + margin.right + cm;
    remaining -= size.cx + margin.right + cm;
    used_width += margin.left + size.cx + margin.right;
    used_height = std::max(used_height, size.cy);
  }
  if (stretch.counted > 0) used_width += (stretch.counted - 1) * cm;
  return UiSize{used_width, used_height};
}

UiSize HLayout::EstimateSizeByChildren(const std::vector<Control*>& children, UiSize available) {
  UiSize result;
  int counted = 0;
  for (Control* child : children) {
    if (!IsCounted(child)) continue;
    const UiSize size = child->EstimateSize(available);
    const UiRect margin = child->GetMargin();
    result.cx += margin.left + ClampWidth(child, size.cx) + margin.right;
    result.cy = std::max(result.cy, margin.top + ClampHeight(child, size.cy) + margin.bottom);
    ++counted;
  }
  if (counted >= 2) result.cx += (counted - 1) * child_margin_;
  result.cx += padding_.left + padding_.right;
  result.cy += padding_.top + padding_.bottom;
  return result;
}

}  // namespace ui
