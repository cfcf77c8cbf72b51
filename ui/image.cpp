#include "ui/image.h"

namespace ui {

void Image::SetImageString(const std::u16string& attribute) {
  imageAttribute.Init();
  imageAttribute.simageString = attribute;
  imageAttribute.sImageName = attribute;
  imageAttribute.ApplyAttributeString(attribute);
}

void Image::ClearCache() {
  imageCache.reset();
  nCurrentFrame = 0;
  bPlaying = false;
  nCycledCount = 0;
}

HBITMAP Image::GetCurrentHBitmap() const {
  return imageCache ? imageCache->GetHBitmap(nCurrentFrame) : nullptr;
}

}  // namespace ui
