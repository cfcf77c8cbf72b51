#include "ui/layout.h"

#include <algorithm>

#include "ui/attribute_value.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/dpi_manager.h"

namespace ui {

bool Layout::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"padding") {
    SetPadding(ParseRectValue(value), true);
    return true;
  }
  if (name == u"childmargin") {
    SetChildMargin(ParseIntValue(value));
    return true;
  }
  return false;
}

void Layout::SetPadding(UiRect padding, bool dpi_scale) {
  if (dpi_scale) DpiManager::GetInstance()->ScaleRect(&padding);
  padding_ = padding;
  if (owner_ != nullptr) owner_->Arrange();
}

void Layout::SetChildMargin(int margin) {
  child_margin_ = DpiManager::GetInstance()->ScaleInt(margin);
  if (owner_ != nullptr) owner_->Arrange();
}

namespace {

// Places a length inside [lo, hi] at its start, its end or centred; one rule
// for both axes.
void PlaceSpan(int lo, int hi, int length, bool atStart, bool atEnd, int* first, int* last) {
  if (atStart) {
    *first = lo;
  } else if (atEnd) {
    *first = hi - length;
  } else {
    *first = lo + (hi - length - lo) / 2;
  }
  *last = *first + length;
}

}  // namespace

UiSize Layout::SetFloatPos(Control* control, UiRect rect) {
  if (!control->IsVisible()) return UiSize{};
  const UiRect margin = control->GetMargin();
  const int x0 = rect.left + margin.left;
  const int y0 = rect.top + margin.top;
  const int x1 = rect.right - margin.right;
  const int y1 = rect.bottom - margin.bottom;
  const UiSize available{x1 - x0, y1 - y0};
  UiSize size = control->EstimateSize(available);
  if (control->GetFixedWidth() == kSizeAuto && control->GetFixedHeight() == kSizeAuto &&
      control->GetMaxWidth() == kSizeStretch) {
    const int width_limit = std::max(0, available.cx);
    if (size.cx > width_limit) {
      control->SetFixedWidth(width_limit, false, true);
      size = control->EstimateSize(available);
      control->SetFixedWidth(kSizeAuto, false, true);
    }
  }
  if (size.cx == kSizeStretch) size.cx = std::max(0, available.cx);
  size.cx = std::max(size.cx, control->GetMinWidth());
  if (control->GetMaxWidth() >= 0) size.cx = std::min(size.cx, control->GetMaxWidth());
  if (size.cy == kSizeStretch) size.cy = std::max(0, available.cy);
  size.cy = std::max(size.cy, control->GetMinHeight());
  size.cy = std::min(size.cy, control->GetMaxHeight());

  UiRect placed;
  PlaceSpan(x0, x1, size.cx, control->GetHorAlignType() == kHorAlignLeft,
            control->GetHorAlignType() == kHorAlignRight, &placed.left, &placed.right);
  PlaceSpan(y0, y1, size.cy, control->GetVerAlignType() == kVerAlignTop,
            control->GetVerAlignType() == kVerAlignBottom, &placed.top, &placed.bottom);
  control->SetPos(placed);
  return size;
}

UiSize Layout::ArrangeChildren(const std::vector<Control*>& children, UiRect rect) {
  UiSize result;
  for (Control* child : children) {
    if (!child->IsVisible()) continue;
    const UiSize size = SetFloatPos(child, rect);
    result.cx = std::max(result.cx, size.cx);
    result.cy = std::max(result.cy, size.cy);
  }
  return result;
}

UiSize Layout::EstimateSizeByChildren(const std::vector<Control*>& children, UiSize available) {
  // A box without a visible child needs its padding alone: starting from a
  // large negative value would make it claim negative room and grow its
  // stretching siblings by as much.
  bool any = false;
  UiSize result;
  for (Control* child : children) {
    if (!child->IsVisible()) continue;
    UiSize size = child->EstimateSize(available);
    size.cx = std::max(size.cx, child->GetMinWidth());
    if (child->GetMaxWidth() >= 0) size.cx = std::min(size.cx, child->GetMaxWidth());
    size.cy = std::max(size.cy, child->GetMinHeight());
    size.cy = std::min(size.cy, child->GetMaxHeight());
    const UiRect margin = child->GetMargin();
    const int width = margin.left + margin.right + size.cx;
    const int height = margin.top + margin.bottom + size.cy;
    result.cx = any ? std::max(result.cx, width) : width;
    result.cy = any ? std::max(result.cy, height) : height;
    any = true;
  }
  result.cx += padding_.left + padding_.right;
  result.cy += padding_.top + padding_.bottom;
  return result;
}

}  // namespace ui
