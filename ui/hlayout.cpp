#include "ui/hlayout.h"

#include <algorithm>

#include "ui/control.h"

namespace ui {
namespace {

int ClampWidth(const Control* child, int width) {
  width = std::max(width, child->GetMinWidth());
  if (child->GetMaxWidth() >= 0) width = std::min(width, child->GetMaxWidth());
  return width;
}

int ClampHeight(const Control* child, int height) {
  height = std::max(height, child->GetMinHeight());
  return std::min(height, child->GetMaxHeight());
}

bool Counts(const Control* child) { return child->IsVisible() && !child->IsFloat(); }

}  // namespace

UiSize HLayout::ArrangeChildren(const std::vector<Control*>& children, UiRect rect) {
  const int width = rect.Width();
  const int height = rect.Height();
  const int cm = child_margin_;

  int counted = 0;
  int stretch_count = 0;
  int fixed_sum = 0;
  for (Control* child : children) {
    if (!Counts(child)) continue;
    ++counted;
    const UiRect margin = child->GetMargin();
    const UiSize size = child->EstimateSize(UiSize{width, height});
    if (size.cx == kSizeStretch) {
      ++stretch_count;
      fixed_sum += margin.left + margin.right;
    } else {
      fixed_sum += margin.left + ClampWidth(child, size.cx) + margin.right;
    }
  }
  if (counted > 0) fixed_sum += (counted - 1) * cm;

  int share = 0;
  int remainder = 0;
  if (stretch_count > 0) {
    share = std::max(0, (width - fixed_sum) / stretch_count);
    remainder = width - stretch_count * share - fixed_sum;
  }

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
      size.cx = share;
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
  if (counted > 0) used_width += (counted - 1) * cm;
  return UiSize{used_width, used_height};
}

UiSize HLayout::EstimateSizeByChildren(const std::vector<Control*>& children, UiSize available) {
  UiSize result;
  int counted = 0;
  for (Control* child : children) {
    if (!Counts(child)) continue;
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
