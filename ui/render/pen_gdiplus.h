// A pen: colour, width, caps, join and dash style, applied to a cairo
// context when a line, curve or outline is stroked.
#ifndef UI_RENDER_PEN_GDIPLUS_H_
#define UI_RENDER_PEN_GDIPLUS_H_

#include "ui/render/i_pen.h"

namespace ui {

class Pen_GdiPlus final : public IPen {
 public:
  Pen_GdiPlus(ARGB color, int width);

  std::unique_ptr<IPen> Clone() override;
  void SetWidth(int width) override { width_ = static_cast<float>(width); }
  int GetWidth() override { return static_cast<int>(width_); }
  void SetColor(ARGB color) override { color_ = color; }
  ARGB GetColor() override { return color_; }
  void SetStartCap(LineCap cap) override { start_cap_ = cap; }
  void SetEndCap(LineCap cap) override { end_cap_ = cap; }
  void SetDashCap(DashCap cap) override { dash_cap_ = cap; }
  LineCap GetStartCap() override { return start_cap_; }
  LineCap GetEndCap() override { return end_cap_; }
  DashCap GetDashCap() override { return dash_cap_; }
  void SetLineJoin(LineJoin join) override { line_join_ = join; }
  LineJoin GetLineJoin() override { return line_join_; }
  void SetDashStyle(DashStyle style) override { dash_style_ = style; }
  DashStyle GetDashStyle() override { return dash_style_; }

  // Sets the context's source and stroke settings to this pen. cairo has one
  // cap for both ends: the start cap is used.
  void ApplyTo(_cairo* cr) const;
  float width() const { return width_; }

 private:
  ARGB color_;
  float width_;
  LineCap start_cap_ = 0;
  LineCap end_cap_ = 0;
  DashCap dash_cap_ = 0;
  LineJoin line_join_ = 0;
  DashStyle dash_style_ = 0;
};

// Sets a non-premultiplied ARGB colour as the context's source.
void SetSourceArgb(_cairo* cr, ARGB color);

}  // namespace ui

#endif  // UI_RENDER_PEN_GDIPLUS_H_
