#include "ui/controls/slider.h"

#include <cmath>

#include "ui/attribute_value.h"
#include "ui/box.h"
#include "ui/dpi_manager.h"
#include "ui/wide_text.h"

namespace ui {

Slider::Slider() : thumb_images_(this) { text_style_ = DT_CENTER | DT_SINGLELINE; }

void Slider::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"step") {
    step_ = ParseIntValue(value);
  } else if (name == u"thumbnormalimage") {
    SetThumbImage(kControlStateNormal, value);
  } else if (name == u"thumbhotimage") {
    SetThumbImage(kControlStateHot, value);
  } else if (name == u"thumbpushedimage") {
    SetThumbImage(kControlStatePushed, value);
  } else if (name == u"thumbdisabledimage") {
    SetThumbImage(kControlStateDisabled, value);
  } else if (name == u"thumbsize") {
    const UiSize size = ParseSizeValue(value);
    const DpiManager* dpi = DpiManager::GetInstance();
    thumb_size_ = UiSize{dpi->ScaleInt(size.cx), dpi->ScaleInt(size.cy)};
  } else if (name == u"progressbarpadding") {
    UiRect padding = ParseRectValue(value);
    DpiManager::GetInstance()->ScaleRect(&padding);
    SetProgressBarPadding(padding);
  } else {
    Progress::SetAttribute(name, value);
  }
}

void Slider::SetThumbImage(ControlState state, const std::u16string& attribute) {
  // Stored on the image itself: a thumb image does not start the hot fade.
  Image& image = thumb_images_.GetStateImage(kStateImageBk)[state];
  image.ClearCache();
  image.SetImageString(attribute);
  Invalidate();
}

void Slider::SetProgressBarPadding(UiRect padding) {
  bar_padding_ = padding;
  if (fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto) {
    ArrangeFromAncestor();
  } else {
    Invalidate();
  }
}

void Slider::ClearImageCache() {
  Progress::ClearImageCache();
  thumb_images_.ClearCache();
}

double Slider::Range() const {
  const double range = static_cast<double>(max_) - min_;
  return range > 0 ? range : 0;
}

UiRect Slider::GetProgressPos() {
  const double width = rect_.Width();
  const double height = rect_.Height();
  const double range = Range();
  const double part = range > 0 ? (value_ - min_) / range : 0;
  if (horizontal_) {
    const double end = (width - thumb_size_.cx) * part + thumb_size_.cx / 2 + 0.5;
    return UiRect{0, 0, static_cast<int>(end), rect_.Height()};
  }
  const double rest = range > 0 ? (max_ - value_) / range : 1;
  const double top = (height - thumb_size_.cy) * rest + thumb_size_.cy / 2 + 0.5;
  return UiRect{0, static_cast<int>(top), rect_.Width(), rect_.Height()};
}

UiRect Slider::GetThumbRect() const {
  const UiRect& r = rect_;
  const double range = Range();
  const double part = range > 0 ? (value_ - min_) / range : 0;
  const int cx = thumb_size_.cx;
  const int cy = thumb_size_.cy;
  if (horizontal_) {
    const int left = static_cast<int>(part * (static_cast<double>(r.right) - cx - r.left) + r.left);
    const int top = (r.bottom - cy + r.top) / 2;
    return UiRect{left, top, left + cx, top + cy};
  }
  const int left = (r.right - cx + r.left) / 2;
  const int top = static_cast<int>((static_cast<double>(r.bottom) - cy) -
                                   part * (static_cast<double>(r.bottom) - cy - r.top));
  return UiRect{left, top, left + cx, top + cy};
}

double Slider::ValueFromPoint(UiPoint point) const {
  const UiRect& r = rect_;
  // Doubles throughout: the distance times the range overflows 32 bits for
  // wide ranges, and a track no longer than the thumb has no length to
  // divide by.
  const double range = static_cast<double>(max_) - min_;
  if (horizontal_) {
    const int half = thumb_size_.cx / 2;
    if (point.x >= r.right - half) return max_;
    if (point.x <= r.left + half) return min_;
    const double track = static_cast<double>(r.right) - r.left - thumb_size_.cx;
    if (track <= 0) return min_;
    return min_ + (static_cast<double>(point.x) - half - r.left) * range / track;
  }
  const int half = thumb_size_.cy / 2;
  if (point.y >= r.bottom - half) return min_;
  if (point.y <= r.top + half) return max_;
  const double track = static_cast<double>(r.bottom) - r.top - thumb_size_.cy;
  if (track <= 0) return min_;
  return min_ + (static_cast<double>(r.bottom) - half - point.y) * range / track;
}

void Slider::RaiseValueChange() { FireEvent(kEventValueChange); }

void Slider::HandleEvent(EventArgs& event) {
  if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
    if (parent_ != nullptr) {
      parent_->DispatchEvent(event);
    } else {
      Control::HandleEvent(event);
    }
    return;
  }
  switch (event.Type) {
    case kEventMouseButtonDown:
    case kEventPointDown: {
      if (!IsEnabled()) return;
      const UiSize offset = GetAncestorScrollOffset();
      const UiPoint point{event.ptMouse.x + offset.cx, event.ptMouse.y + offset.cy};
      if (GetThumbRect().Contains(point)) SetMouseFocused(true);
      return;
    }
    case kEventInternalMenu:
      return;
    case kEventMouseMove:
    case kEventPointMove:
      if (IsMouseFocused()) {
        value_ = ValueFromPoint(event.ptMouse);
        Invalidate();
      }
      return;
    case kEventMouseButtonUp:
    case kEventPointUp: {
      if (IsMouseFocused()) SetMouseFocused(false);
      if (IsEnabled()) {
        value_ = ValueFromPoint(event.ptMouse);
        std::weak_ptr<kbase::WeakFlag> alive = GetWeakFlag();
        RaiseValueChange();
        if (alive.expired()) return;
        Invalidate();
      }
      return;
    }
    case kEventMouseScrollWheel: {
      const int step = event.wParam > 0 ? step_ : -step_;
      value_ += step;
      Invalidate();
      RaiseValueChange();
      return;
    }
    default:
      Control::HandleEvent(event);
      return;
  }
}

void Slider::PaintStatusImage(IRenderContext* render) {
  ClampValue();
  const UiRect whole = rect_;
  rect_ = UiRect{whole.left + bar_padding_.left, whole.top + bar_padding_.top,
                 whole.right - bar_padding_.right, whole.bottom - bar_padding_.bottom};
  Progress::PaintStatusImage(render);
  rect_ = whole;

  const UiRect thumb = GetThumbRect();
  thumb_modify_ = FormatWideString(u"destscale='false' dest='%d,%d,%d,%d'", thumb.left - whole.left,
                                   thumb.top - whole.top, thumb.right - whole.left,
                                   thumb.bottom - whole.top);
  StateImage& images = thumb_images_.GetStateImage(kStateImageBk);
  if (IsMouseFocused() && DrawImage(render, images[kControlStatePushed], thumb_modify_)) return;
  DrawImage(render, images[kControlStateNormal], thumb_modify_);
}

}  // namespace ui
