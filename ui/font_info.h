// One font of the global font table. The font handle is a pango font
// description (the face, the pixel size, weight, style); text is drawn and
// measured with it. Underline is not part of a pango description: text
// drawing reads the flag. The text metrics are left zeroed for their users
// to fill, as the table makes them.
#ifndef UI_FONT_INFO_H_
#define UI_FONT_INFO_H_

#include <cstdint>
#include <string>

#include "ui/render/render_types.h"

namespace ui {

struct TextMetrics {
  int32_t tmHeight = 0;
  int32_t tmAscent = 0;
  int32_t tmDescent = 0;
  int32_t tmInternalLeading = 0;
  int32_t tmExternalLeading = 0;
  int32_t tmAveCharWidth = 0;
  int32_t tmMaxCharWidth = 0;
};

struct FontInfo {
  FontInfo() = default;
  ~FontInfo();
  FontInfo(const FontInfo&) = delete;
  FontInfo& operator=(const FontInfo&) = delete;

  HFONT hFont = nullptr;  // owned
  std::u16string sFontName;
  int iSize = 0;
  bool bBold = false;
  bool bUnderline = false;
  bool bItalic = false;
  TextMetrics tm;
};

}  // namespace ui

#endif  // UI_FONT_INFO_H_
