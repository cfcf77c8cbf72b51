// A 2-D transformation; each step is applied to points before the steps
// already held.
#ifndef UI_RENDER_MATRIX_GDIPLUS_H_
#define UI_RENDER_MATRIX_GDIPLUS_H_

#include <cairo.h>

#include "ui/render/i_matrix.h"

namespace ui {

class Matrix_Gdiplus final : public IMatrix {
 public:
  Matrix_Gdiplus();

  void Translate(int offset_x, int offset_y) override;
  void Scale(int scale_x, int scale_y) override;
  void Rotate(float angle) override;
  void RotateAt(float angle, const UiPoint& center) override;

  const cairo_matrix_t& matrix() const { return matrix_; }
  // Where the matrix maps the point.
  UiPoint Map(UiPoint point) const;

 private:
  cairo_matrix_t matrix_;
};

}  // namespace ui

#endif  // UI_RENDER_MATRIX_GDIPLUS_H_
