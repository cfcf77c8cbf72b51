// A pen for lines, curves and outlines. Caps, dash caps, joins and dash styles
// are the integer values of the GDI+ enumerations (LineCap: 0 flat, 1 square,
// 2 round, 3 triangle; DashCap: 0 flat, 2 round, 3 triangle; LineJoin: 0
// miter, 1 bevel, 2 round, 3 miter clipped; DashStyle: 0 solid, 1 dash, 2 dot,
// 3 dash-dot, 4 dash-dot-dot).
#ifndef UI_RENDER_I_PEN_H_
#define UI_RENDER_I_PEN_H_

#include <memory>

#include "base/callback/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class IPen : public virtual kbase::SupportWeakCallback {
 public:
  using LineCap = int;
  using DashCap = int;
  using LineJoin = int;
  using DashStyle = int;

  ~IPen() override = default;
  virtual std::unique_ptr<IPen> Clone() = 0;
  virtual void SetWidth(int width) = 0;
  virtual int GetWidth() = 0;
  virtual void SetColor(ARGB color) = 0;
  virtual ARGB GetColor() = 0;
  virtual void SetStartCap(LineCap cap) = 0;
  virtual void SetEndCap(LineCap cap) = 0;
  virtual void SetDashCap(DashCap cap) = 0;
  virtual LineCap GetStartCap() = 0;
  virtual LineCap GetEndCap() = 0;
  virtual DashCap GetDashCap() = 0;
  virtual void SetLineJoin(LineJoin join) = 0;
  virtual LineJoin GetLineJoin() = 0;
  virtual void SetDashStyle(DashStyle style) = 0;
  virtual DashStyle GetDashStyle() = 0;
};

}  // namespace ui

#endif  // UI_RENDER_I_PEN_H_
