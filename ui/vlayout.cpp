#include "ui/vlayout.h"

#include <algorithm>

#include "ui/control.h"

namespace ui {

UiSize VLayout::ArrangeChildren(const std::vector<Control*>& children, UiRect rect) {
  const int width = rect.Width();
  const int height = rect.Height();
  const int cm = child_margin_;

  const StretchShare stretch = ShareStretchRoom(children, rect, /*horizontal=*/false);
  int remainder = stretch.remainder;

  int cursor = rect.top;
  int remaining = height;
  int total = 0;
  int placed_count = 0;
  int widest = 0;
  for (Control* child : children) {
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(child, rect);
      continue;
    }
    const UiRect margin = child->GetMargin();
    remaining -= margin.top;
    UiSize size = child->EstimateSize(UiSize{width, remaining});
    if (size.cy == kSizeStretch) {
      size.cy = stretch.share;
      if (remainder > 0) {
        ++size.cy;
        --remainder;
      }
    }
    size.cy = ClampHeight(child, size.cy);
    if (size.cx == kSizeStretch) size.cx = width - margin.left - margin.right;
    size.cx = std::max(size.cx, 0);
    size.cx = ClampWidth(child, size.cx);

    int left = rect.left + margin.left;
    switch (child->GetHorAlignType()) {
      case kHorAlignLeft:
        break;
      case kHorAlignRight:
        left = rect.right - margin.right - size.cx;
        break;
      case kHorAlignCenter:
        left = rect.left + (margin.left + rect.right - margin.right - size.cx - rect.left) / 2;
        break;
    }
    child->SetPos(UiRect{left, cursor + margin.top, left + size.cx, cursor + margin.top + size.cy});
    cursor += margin.top + size.cy + margin.bottom + cm;
    remaining -= size.cy + margin.bottom + cm;
    total += margin.top + size.cy + margin.bottom;
    widest = std::max(widest, size.cx);
    ++placed_count;
  }
  if (placed_count > 1) total += (placed_count - 1) * cm;
  return UiSize{widest, total};
}

UiSize VLayout::EstimateSizeByChildren(const std::vector<Control*>& children, UiSize available) {
  UiSize result;
  int counted = 0;
  for (Control* child : children) {
    if (!child->IsVisible() || child->IsFloat()) continue;
    UiSize size = child->EstimateSize(available);
    size.cx = ClampWidth(child, size.cx);
    size.cy = ClampHeight(child, size.cy);
    const UiRect margin = child->GetMargin();
    result.cx = std::max(result.cx, margin.left + margin.right + size.cx);
    result.cy += margin.top + margin.bottom + size.cy;
    ++counted;
  }
  if (counted >= 2) result.cy += (counted - 1) * child_margin_;
  result.cx += padding_.left + padding_.right;
  result.cy += padding_.top + padding_.bottom;
  return result;
}

}  // namespace ui
