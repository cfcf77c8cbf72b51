// How a control draws one image: the file, where it goes in the control, the
// part of the image, the 9-grid corners, the opacity, tiling and how often an
// animated image plays, all read from an attribute string of name='value'
// pairs such as "file='bk.png' corner='4,4,4,4' fade='200'".
#ifndef UI_IMAGE_ATTRIBUTE_H_
#define UI_IMAGE_ATTRIBUTE_H_

#include <cstdint>
#include <string>

#include "ui/render/render_types.h"

namespace ui {

class ImageAttribute {
 public:
  ImageAttribute() { Init(); }

  // The defaults: no string, no file, dest and source unset (-1), no
  // corners, fade 255, no tiling, play count -1 (forever).
  void Init();
  // Applies the pairs of the string over the current values. Names are exact:
  // file, res, destscale, dest, source, corner, fade, xtiled, ytiled,
  // playcount; others are ignored, and an empty value changes nothing. A
  // fade outside 0..255 is clamped to it. The parse ends at the first
  // malformed pair, keeping those before it.
  void ApplyAttributeString(const std::u16string& attribute);

  // A rectangle is set when none of its sides is -1.
  static bool IsRectSet(const UiRect& rect);

  std::u16string simageString;
  std::u16string sImageName;
  UiRect rcDest{-1, -1, -1, -1};
  UiRect rcSource{-1, -1, -1, -1};
  UiRect rcCorner{0, 0, 0, 0};
  uint8_t bFade = 255;
  bool bTiledX = false;
  bool bTiledY = false;
  int32_t nPlayCount = -1;
};

}  // namespace ui

#endif  // UI_IMAGE_ATTRIBUTE_H_
