#include "ui/render/matrix_gdiplus.h"

#include <cmath>

namespace ui {

Matrix_Gdiplus::Matrix_Gdiplus() { cairo_matrix_init_identity(&matrix_); }

void Matrix_Gdiplus::Translate(int offset_x, int offset_y) {
  cairo_matrix_translate(&matrix_, offset_x, offset_y);
}

void Matrix_Gdiplus::Scale(int scale_x, int scale_y) { cairo_matrix_scale(&matrix_, scale_x, scale_y); }

void Matrix_Gdiplus::Rotate(float angle) { cairo_matrix_rotate(&matrix_, angle * M_PI / 180.0); }

void Matrix_Gdiplus::RotateAt(float angle, const UiPoint& center) {
  Translate(center.x, center.y);
  Rotate(angle);
  Translate(-center.x, -center.y);
}

UiPoint Matrix_Gdiplus::Map(UiPoint point) const {
  double x = point.x;
  double y = point.y;
  cairo_matrix_transform_point(&matrix_, &x, &y);
  return UiPoint{static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

}  // namespace ui
