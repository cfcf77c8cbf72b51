// The DPI scaler every control and window uses: a scale in percent and
// whether the process adapts to the DPI at all. While it does not, or while
// the scale is 100, every value stays as it is.
#ifndef UI_DPI_MANAGER_H_
#define UI_DPI_MANAGER_H_

#include "ui/render/render_types.h"

namespace ui {

// round(value * numerator / denominator), halves away from zero, in 64 bits;
// -1 for a denominator of 0, as the Windows MulDiv answers.
int MulDiv(int value, int numerator, int denominator);

class DpiManager {
 public:
  static DpiManager* GetInstance();

  int GetScale() const { return scale_; }
  bool IsAdaptDpi() const { return adapt_dpi_; }
  void SetAdaptDPI(bool adapt) { adapt_dpi_ = adapt; }
  // The scale of a monitor DPI: MulDiv(dpi, 100, 96) while the process
  // adapts, else 100. A DPI of 0 or less counts as 96.
  void SetScaleFromDpi(int dpi);

  int ScaleInt(int value) const;
  // Left and top are scaled, then right and bottom as left + scaled width and
  // top + scaled height.
  void ScaleRect(UiRect* rect) const;

 private:
  DpiManager() = default;

  int scale_ = 100;
  bool adapt_dpi_ = false;
};

}  // namespace ui

#endif  // UI_DPI_MANAGER_H_
