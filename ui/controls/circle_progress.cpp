#include "ui/controls/circle_progress.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/attribute_value.h"
#include "ui/global_manager.h"
#include "ui/render/i_render_context.h"
#include "ui/render/i_render_factory.h"
#include "ui/wide_text.h"

namespace ui {
namespace {

// The gradient pen changes colour along the height of the circle; the arc is
// drawn in pieces this many degrees long, each in the colour at its middle.
constexpr float kGradientPieceDegrees = 3.0f;

ARGB NamedColor(const std::u16string& value) {
  size_t start = 0;
  while (start < value.size() && value[start] <= u' ') ++start;
  return GlobalManager::GetTextColor(value.substr(start));
}

ARGB Mix(ARGB from, ARGB to, double t) {
  ARGB result = 0;
  for (int shift : {24, 16, 8, 0}) {
    const double a = (from >> shift) & 0xFF;
    const double b = (to >> shift) & 0xFF;
    result |= static_cast<ARGB>(std::lround(a + (b - a) * t)) << shift;
  }
  return result;
}

// The blend of the gradient: factors 0, 0.4, 0.6, 1 at positions 0, 0.2,
// 0.8, 1, linear between them.
double BlendFactor(double position) {
  static constexpr double kPositions[] = {0, 0.2, 0.8, 1};
  static constexpr double kFactors[] = {0, 0.4, 0.6, 1};
  position = std::clamp(position, 0.0, 1.0);
  for (int i = 1; i < 4; ++i) {
    if (position <= kPositions[i]) {
      const double t = (position - kPositions[i - 1]) / (kPositions[i] - kPositions[i - 1]);
      return kFactors[i - 1] + (kFactors[i] - kFactors[i - 1]) * t;
    }
  }
  return 1;
}

void DrawArc(IRenderContext* render, IRenderFactory* factory, const UiRect& arc, float start,
             float sweep, ARGB color, int width) {
  std::unique_ptr<IPath> path = factory->CreatePath();
  std::unique_ptr<IPen> pen = factory->CreatePen(color, width);
  path->AddArc(arc.left, arc.top, arc.Width(), arc.Height(), start, sweep);
  render->DrawPath(path.get(), pen.get());
}

}  // namespace

void CircleProgress::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"circular") {
    circular_ = ParseBoolValue(value);
    Invalidate();
  } else if (name == u"circlewidth") {
    circle_width_ = ParseIntValue(value);
    Invalidate();
  } else if (name == u"indicator") {
    SetIndicator(value);
  } else if (name == u"clockwise") {
    clockwise_ = ParseBoolValue(value);
  } else if (name == u"bgcolor") {
    background_color_ = NamedColor(value);
    Invalidate();
  } else if (name == u"fgcolor") {
    foreground_color_ = NamedColor(value);
    Invalidate();
  } else if (name == u"gradientcolor") {
    gradient_color_ = NamedColor(value);
    Invalidate();
  } else {
    Progress::SetAttribute(name, value);
  }
}

void CircleProgress::ClearImageCache() {
  Progress::ClearImageCache();
  indicator_.ClearCache();
}

void CircleProgress::SetIndicator(const std::u16string& path) {
  if (path == indicator_path_) return;
  indicator_path_ = path;
  indicator_.ClearCache();
  indicator_.SetImageString(path);
  LoadImage(indicator_);
  if (indicator_.imageCache) Invalidate();
}

UiRect CircleProgress::GetArcRect() {
  const int w = rect_.Width();
  const int h = rect_.Height();
  const int cx = rect_.left + w / 2;
  const int cy = rect_.top + h / 2;
  const int d = std::min(w, h);
  const int x0 = cx - d / 2;
  const int y0 = cy - d / 2;
  if (!indicator_path_.empty()) LoadImage(indicator_);
  const int inset = indicator_.imageCache ? indicator_.imageCache->nX : circle_width_;
  const int side = std::max(0, d - inset - 2);
  const UiPoint origin{x0 + inset / 2 + 1, y0 + inset / 2 + 1};
  return UiRect{origin.x, origin.y, origin.x + side, origin.y + side};
}

float CircleProgress::GetSweepAngle() const {
  const double range = static_cast<double>(max_) - min_;
  if (range <= 0) return 0;
  const double sweep = (value_ - min_) * 360 / range;
  return static_cast<float>(clockwise_ ? sweep : -sweep);
}

ARGB CircleProgress::GradientColorAt(double y, double top, double size) const {
  const double position = size > 0 ? (y - top) / size : 0;
  return Mix(foreground_color_, gradient_color_, BlendFactor(position));
}

void CircleProgress::PaintForegroundArc(IRenderContext* render, const UiRect& arc, float sweep) {
  IRenderFactory* factory = GlobalManager::GetRenderFactory();
  if (factory == nullptr || sweep == 0) return;
  if (gradient_color_ == 0) {
    DrawArc(render, factory, arc, 270, sweep, foreground_color_, circle_width_);
    return;
  }
  const int d = std::min(rect_.Width(), rect_.Height());
  const double top = rect_.top + rect_.Height() / 2 - d / 2;
  const double radius = arc.Height() / 2.0;
  const double centre_y = arc.top + radius;
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / kGradientPieceDegrees)));
  const float piece = sweep / static_cast<float>(pieces);
  for (int i = 0; i < pieces; ++i) {
    const float start = 270 + piece * static_cast<float>(i);
    const double middle = (start + piece / 2) * std::numbers::pi / 180;
    const double y = centre_y + radius * std::sin(middle);
    DrawArc(render, factory, arc, start, piece, GradientColorAt(y, top, d), circle_width_);
  }
}

void CircleProgress::PaintIndicator(IRenderContext* render, const UiRect& arc, float sweep) {
  if (!indicator_.imageCache) return;
  const int w = indicator_.imageCache->nX;
  const int h = indicator_.imageCache->nY;
  if (w <= 0 || h <= 0) return;
  // The top of the arc turned by the sweep about the middle of the control.
  const double cx = rect_.left + rect_.Width() / 2;
  const double cy = rect_.top + rect_.Height() / 2;
  const double radius = cy - arc.top;
  const double angle = sweep * std::numbers::pi / 180;
  const int x = static_cast<int>(std::lround(cx + radius * std::sin(angle))) - rect_.left;
  const int y = static_cast<int>(std::lround(cy - radius * std::cos(angle))) - rect_.top;
  const std::u16string modify = FormatWideString(u"destscale='false' dest='%d,%d,%d,%d'", x - w / 2,
                                                 y - h / 2, x - w / 2 + w, y - h / 2 + h);
  DrawImage(render, indicator_, modify);
}

void CircleProgress::PaintStatusImage(IRenderContext* render) {
  Progress::PaintStatusImage(render);
  if (!circular_ || render == nullptr) return;
  IRenderFactory* factory = GlobalManager::GetRenderFactory();
  if (factory == nullptr) return;
  const UiRect arc = GetArcRect();
  if (arc.IsEmpty()) return;
  DrawArc(render, factory, arc, 270, 360, background_color_, circle_width_);
  const float sweep = GetSweepAngle();
  PaintForegroundArc(render, arc, sweep);
  PaintIndicator(render, arc, sweep);
}

}  // namespace ui
