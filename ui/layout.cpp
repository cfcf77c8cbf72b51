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
  size.cx = ClampWidth(control, size.cx);
  if (size.cy == kSizeStretch) size.cy = std::max(0, available.cy);
  size.cy = ClampHeight(control, size.cy);

  UiRect placed;
  PlaceSpan(x0, x1, size.cx, control->GetHorAlignType() == kHorAlignLeft,
            control->GetHorAlignType() == kHorAlignRight, &placed.left, &placed.right);
  PlaceSpan(y0, y1, size.cy, control->GetVerAlignType() == kVerAlignTop,
            control->GetVerAlignType() == kVerAlignBottom, &placed.top, &placed.bottom);
  control->SetPos(placed);
  return size;
}

int Layout::ClampWidth(const Control* child, int width) {
  width = std::max(width, child->GetMinWidth());
  if (child->GetMaxWidth() >= 0) width = std::min(width, child->GetMaxWidth());
  return width;
}

int Layout::ClampHeight(const Control* child, int height) {
  height = std::max(height, child->GetMinHeight());
  return std::min(height, child->GetMaxHeight());
}

bool Layout::IsCounted(const Control* child) { return child->IsVisible() && !child->IsFloat(); }

Layout::StretchShare Layout::ShareStretchRoom(const std::vector<Control*>& children, UiRect rect,
                                              bool horizontal) const {
  const int room = horizontal ? rect.Width() : rect.Height();
  StretchShare result;
  int stretch_count = 0;
  int fixed_sum = 0;
  for (Control* child : children) {
    if (!IsCounted(child)) continue;
    ++result.counted;
    const UiRect margin = child->GetMargin();
    const UiSize size = child->EstimateSize(UiSize{rect.Width(), rect.Height()});
    const int length = horizontal ? size.cx : size.cy;
    const int margins = horizontal ? margin.left + margin.right : margin.top + margin.bottom;
    fixed_sum += margins;
    if (length == kSizeStretch) {
      ++stretch_count;
    } else {
      fixed_sum += horizontal ? ClampWidth(child, length) : ClampHeight(child, length);
    }
  }
  if (result.counted > 1) fixed_sum += (result.counted - 1) * child_margin_;
  if (stretch_count > 0) {
    result.share = std::max(0, (room - fixed_sum) / stretch_count);
    result.remainder = room - stretch_count * result.share - fixed_sum;
  }
  return result;
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
    size.cx = ClampWidth(child, size.cx);
    size.cy = ClampHeight(child, size.cy);
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
