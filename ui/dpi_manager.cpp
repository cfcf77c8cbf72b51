#include "ui/dpi_manager.h"

#include <cstdint>
#include <cstdlib>

namespace ui {

int MulDiv(int value, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const int64_t product = int64_t{value} * numerator;
  int64_t quotient = product / denominator;
  const int64_t remainder = product % denominator;
  if (std::llabs(remainder) * 2 >= std::llabs(denominator)) {
    quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
  }
  return static_cast<int>(quotient);
}

DpiManager* DpiManager::GetInstance() {
  static DpiManager instance;
  return &instance;
}

void DpiManager::SetScaleFromDpi(int dpi) {
  if (dpi <= 0) dpi = 96;
  scale_ = adapt_dpi_ ? MulDiv(dpi, 100, 96) : 100;
}

int DpiManager::ScaleInt(int value) const {
  if (!adapt_dpi_ || scale_ == 100) return value;
  return MulDiv(value, scale_, 100);
}

void DpiManager::ScaleRect(UiRect* rect) const {
  if (rect == nullptr || !adapt_dpi_ || scale_ == 100) return;
  const int width = MulDiv(rect->right - rect->left, scale_, 100);
  const int height = MulDiv(rect->bottom - rect->top, scale_, 100);
  rect->left = MulDiv(rect->left, scale_, 100);
  rect->top = MulDiv(rect->top, scale_, 100);
  rect->right = rect->left + width;
  rect->bottom = rect->top + height;
}

}  // namespace ui
