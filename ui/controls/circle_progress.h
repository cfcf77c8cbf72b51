// A progress bar drawn as an arc round the middle of the control: a full
// background circle, and a foreground arc from the top whose sweep follows
// the value, clockwise or not, in one colour or in a top-to-bottom gradient;
// an optional indicator image rides the end of the arc. UI thread only.
#ifndef UI_CONTROLS_CIRCLE_PROGRESS_H_
#define UI_CONTROLS_CIRCLE_PROGRESS_H_

#include <string>

#include "ui/controls/progress.h"
#include "ui/image.h"

namespace ui {

class CircleProgress : public Progress {
 public:
  CircleProgress() = default;

  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void ClearImageCache() override;
  void PaintStatusImage(IRenderContext* render) override;

  // Loads the indicator image of the path (a file there, else under the
  // skin folder); the same path again does nothing.
  void SetIndicator(const std::u16string& path);
  // The rectangle of the arcs in window coordinates, and their sweep in
  // degrees (negative: counter-clockwise).
  UiRect GetArcRect();
  float GetSweepAngle() const;

  bool IsCircular() const { return circular_; }
  bool IsClockwise() const { return clockwise_; }
  int GetCircleWidth() const { return circle_width_; }

 private:
  // The foreground colour at a height of the circle: the gradient from the
  // foreground colour at its top to the gradient colour at its bottom.
  ARGB GradientColorAt(double y, double top, double size) const;
  void PaintForegroundArc(IRenderContext* render, const UiRect& arc, float sweep);
  void PaintIndicator(IRenderContext* render, const UiRect& arc, float sweep);

  bool circular_ = true;
  bool clockwise_ = true;
  int circle_width_ = 1;
  ARGB background_color_ = 0;
  ARGB foreground_color_ = 0;
  ARGB gradient_color_ = 0;
  Image indicator_;
  std::u16string indicator_path_;
};

}  // namespace ui

#endif  // UI_CONTROLS_CIRCLE_PROGRESS_H_
