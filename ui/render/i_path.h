// A path of figures for outlines and fills. Coordinates are integers; angles
// are degrees.
#ifndef UI_RENDER_I_PATH_H_
#define UI_RENDER_I_PATH_H_

#include <memory>

#include "base/callback/weak_callback.h"
#include "ui/render/i_matrix.h"
#include "ui/render/i_pen.h"
#include "ui/render/render_types.h"

namespace ui {

class IPath : public virtual kbase::SupportWeakCallback {
 public:
  enum FillMode { kFillModeAlternate = 0, kFillModeWinding = 1 };

  ~IPath() override = default;
  virtual std::unique_ptr<IPath> Clone() = 0;
  virtual void Reset() = 0;
  virtual void SetFillMode(FillMode mode) = 0;
  virtual FillMode GetFillMode() = 0;
  virtual void StartFigure() = 0;
  virtual void CloseFigure() = 0;
  virtual void AddLine(int x1, int y1, int x2, int y2) = 0;
  virtual void AddLines(const UiPoint* points, int count) = 0;
  virtual void AddBezier(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  // A cardinal spline through the points (tension 0.5).
  virtual void AddCurve(const UiPoint* points, int count) = 0;
  virtual void AddRect(const UiRect& rect) = 0;
  virtual void AddRectLTRB(int left, int top, int right, int bottom) = 0;
  virtual void AddEllipse(const UiRect& rect) = 0;
  virtual void AddEllipseLTRB(int left, int top, int right, int bottom) = 0;
  virtual void AddArc(int x, int y, int width, int height, float start_angle, float sweep_angle) = 0;
  virtual void AddPie(int x, int y, int width, int height, float start_angle, float sweep_angle) = 0;
  virtual void AddPolygon(const UiPoint* points, int count) = 0;
  // (x, y, x + width, y + height) of the bounds, widened by the pen when given.
  virtual UiRect GetBounds(const IPen* pen) = 0;
  virtual bool IsContainsPoint(int x, int y) = 0;
  virtual bool IsStrokeContainsPoint(int x, int y, const IPen* pen) = 0;
  virtual void Transform(const IMatrix* matrix) = 0;
};

}  // namespace ui

#endif  // UI_RENDER_I_PATH_H_
