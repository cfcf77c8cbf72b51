#include "ui/controls/progress.h"

#include "ui/attribute_value.h"
#include "ui/global_manager.h"
#include "ui/render/i_render_context.h"
#include "ui/wide_text.h"

namespace ui {

Progress::Progress() {
  text_style_ = DT_CENTER | DT_SINGLELINE;
  SetFixedHeight(12);
}

void Progress::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"hor") {
    SetHorizontal(ParseBoolValue(value));
  } else if (name == u"min") {
    SetMinValue(ParseIntValue(value));
  } else if (name == u"max") {
    SetMaxValue(ParseIntValue(value));
  } else if (name == u"value") {
    SetValue(ParseIntValue(value));
  } else if (name == u"progressimage") {
    SetProgressImage(value);
  } else if (name == u"isstretchfore") {
    SetStretchForeImage(ParseBoolValue(value));
  } else if (name == u"progresscolor") {
    size_t start = 0;
    while (start < value.size() && value[start] <= u' ') ++start;
    SetProgressColor(value.substr(start));
  } else {
    LabelTemplate<Control>::SetAttribute(name, value);
  }
}

void Progress::ClearImageCache() {
  LabelTemplate<Control>::ClearImageCache();
  progress_image_.ClearCache();
}

void Progress::SetValue(double value) {
  value_ = value;
  Invalidate();
}

void Progress::SetMinValue(int min) {
  min_ = min;
  Invalidate();
}

void Progress::SetMaxValue(int max) {
  max_ = max;
  Invalidate();
}

void Progress::SetHorizontal(bool horizontal) {
  if (horizontal == horizontal_) return;
  horizontal_ = horizontal;
  Invalidate();
}

void Progress::SetStretchForeImage(bool stretch) {
  if (stretch == stretch_fore_image_) return;
  stretch_fore_image_ = stretch;
  Invalidate();
}

void Progress::SetProgressImage(const std::u16string& attribute) {
  progress_image_.ClearCache();
  progress_image_.SetImageString(attribute);
  Invalidate();
}

void Progress::SetProgressColor(const std::u16string& color) {
  if (color == progress_color_) return;
  progress_color_ = color;
  Invalidate();
}

void Progress::ClampValue() {
  if (min_ >= max_) max_ = min_ + 1;
  if (value_ > max_) value_ = max_;
  if (value_ < min_) value_ = min_;
}

UiRect Progress::GetProgressPos() {
  const double width = rect_.Width();
  const double height = rect_.Height();
  // Doubles throughout: the range of two ints does not fit in one.
  const double range = static_cast<double>(max_) - min_;
  if (range <= 0) {
    return horizontal_ ? UiRect{0, 0, 0, rect_.Height()}
                       : UiRect{0, rect_.Height(), rect_.Width(), rect_.Height()};
  }
  if (horizontal_) {
    return UiRect{0, 0, static_cast<int>((value_ - min_) * width / range), rect_.Height()};
  }
  return UiRect{0, static_cast<int>((max_ - value_) * height / range), rect_.Width(),
                rect_.Height()};
}

void Progress::PaintStatusImage(IRenderContext* render) {
  ClampValue();
  const UiRect bar = GetProgressPos();
  if (!progress_color_.empty()) {
    const ARGB color = GlobalManager::GetTextColor(progress_color_);
    if (color != 0 && render != nullptr) {
      UiRect fill = rect_;
      if (horizontal_) {
        fill.right = rect_.left + bar.right;
      } else {
        fill.top = rect_.top + bar.top;
      }
      render->DrawColor(fill, color, 255);
    }
  }
  if (progress_image_.imageAttribute.simageString.empty()) return;
  if (stretch_fore_image_) {
    modify_ = FormatWideString(u"destscale='false' dest='%d,%d,%d,%d'", bar.left, bar.top,
                               bar.right, bar.bottom);
  } else {
    modify_ = FormatWideString(u"destscale='false' dest='%d,%d,%d,%d' source='%d,%d,%d,%d'",
                               bar.left, bar.top, bar.right, bar.bottom, bar.left, bar.top,
                               bar.right, bar.bottom);
  }
  DrawImage(render, progress_image_, modify_, -1);
}

}  // namespace ui
