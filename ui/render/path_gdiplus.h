// A path of figures. It is kept as the current path of a scratch cairo
// context of its own, so cairo computes its bounds and hit tests; drawing
// copies it into the context of the draw.
#ifndef UI_RENDER_PATH_GDIPLUS_H_
#define UI_RENDER_PATH_GDIPLUS_H_

#include "ui/render/i_path.h"

namespace ui {

class Path_Gdiplus final : public IPath {
 public:
  Path_Gdiplus();
  ~Path_Gdiplus() override;
  Path_Gdiplus(const Path_Gdiplus&) = delete;
  Path_Gdiplus& operator=(const Path_Gdiplus&) = delete;

  std::unique_ptr<IPath> Clone() override;
  void Reset() override;
  void SetFillMode(FillMode mode) override { fill_mode_ = mode; }
  FillMode GetFillMode() override { return fill_mode_; }
  void StartFigure() override;
  void CloseFigure() override;
  void AddLine(int x1, int y1, int x2, int y2) override;
  void AddLines(const UiPoint* points, int count) override;
  void AddBezier(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void AddCurve(const UiPoint* points, int count) override;
  void AddRect(const UiRect& rect) override;
  void AddRectLTRB(int left, int top, int right, int bottom) override;
  void AddEllipse(const UiRect& rect) override;
  void AddEllipseLTRB(int left, int top, int right, int bottom) override;
  void AddArc(int x, int y, int width, int height, float start_angle, float sweep_angle) override;
  void AddPie(int x, int y, int width, int height, float start_angle, float sweep_angle) override;
  void AddPolygon(const UiPoint* points, int count) override;
  UiRect GetBounds(const IPen* pen) override;
  bool IsContainsPoint(int x, int y) override;
  bool IsStrokeContainsPoint(int x, int y, const IPen* pen) override;
  void Transform(const IMatrix* matrix) override;

  // Replaces the context's current path with this path and sets its fill
  // rule.
  void AppendTo(_cairo* cr) const;

 private:
  // Moves to the point when no figure is open, else draws a line to it: a
  // new segment joins the open figure, as GDI+ paths do.
  void ContinueFigure(double x, double y);
  void AddArcSegment(double x, double y, double width, double height, double start, double sweep);

  _cairo* scratch_;
  FillMode fill_mode_ = kFillModeAlternate;
  bool figure_open_ = false;
};

}  // namespace ui

#endif  // UI_RENDER_PATH_GDIPLUS_H_
