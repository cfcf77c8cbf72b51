// A 2-D transformation; every step is applied before the ones already held.
#ifndef UI_RENDER_I_MATRIX_H_
#define UI_RENDER_I_MATRIX_H_

#include "base/callback/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class IMatrix : public virtual kbase::SupportWeakCallback {
 public:
  ~IMatrix() override = default;
  virtual void Translate(int offset_x, int offset_y) = 0;
  virtual void Scale(int scale_x, int scale_y) = 0;
  // Degrees, clockwise on the y-down screen.
  virtual void Rotate(float angle) = 0;
  virtual void RotateAt(float angle, const UiPoint& center) = 0;
};

}  // namespace ui

#endif  // UI_RENDER_I_MATRIX_H_
