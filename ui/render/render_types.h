// The plain types every render interface takes: rectangles, points and sizes
// in pixels (right and bottom exclusive), ARGB colours, the DrawText style
// flags, and the opaque handles that stand in for the GDI ones.
//
// HDC is the render context's DC record (DcRecord): its surface, window origin
// and clip stack. HBITMAP is a cairo ARGB32 image surface holding
// premultiplied pixels (rows top down). HFONT is a pango font description.
#ifndef UI_RENDER_RENDER_TYPES_H_
#define UI_RENDER_RENDER_TYPES_H_

#include <cstdint>

#include "platform/window/geometry.h"

struct _cairo_surface;
struct _cairo;
struct _PangoFontDescription;

namespace ui {

using UiRect = platform::Rect;
using UiPoint = platform::Point;
using UiSize = platform::Size;

// 0xAARRGGBB.
using ARGB = uint32_t;

struct DcRecord;
using HDC = DcRecord*;
using HBITMAP = _cairo_surface*;
using HFONT = _PangoFontDescription*;

// DrawText style flags (their Windows values); other bits are ignored.
inline constexpr uint32_t DT_LEFT = 0x0;
inline constexpr uint32_t DT_TOP = 0x0;
inline constexpr uint32_t DT_CENTER = 0x1;
inline constexpr uint32_t DT_RIGHT = 0x2;
inline constexpr uint32_t DT_VCENTER = 0x4;
inline constexpr uint32_t DT_BOTTOM = 0x8;
inline constexpr uint32_t DT_SINGLELINE = 0x20;
inline constexpr uint32_t DT_NOCLIP = 0x100;
inline constexpr uint32_t DT_END_ELLIPSIS = 0x8000;

// The raster operation BitBlt copies with; the only one drawn here.
inline constexpr uint32_t SRCCOPY = 0x00CC0020;

// What a text style turns into before text is laid out: alignments (0 near,
// 1 centre, 2 far), the string-format flags and the trimming.
struct TextFormat {
  static constexpr uint32_t kNoWrap = 0x1000;
  static constexpr uint32_t kLineLimit = 0x2000;
  static constexpr uint32_t kNoClip = 0x4000;

  int alignment = 0;
  int line_alignment = 0;
  uint32_t flags = 0;
  bool ellipsis = false;
};

// The text format of a DrawText style and the line-limit argument.
TextFormat TextFormatFromStyle(uint32_t style, bool line_limit);

inline UiRect IntersectRect(const UiRect& a, const UiRect& b) { return platform::Intersect(a, b); }
inline bool RectsMeet(const UiRect& a, const UiRect& b) { return !IntersectRect(a, b).IsEmpty(); }

}  // namespace ui

#endif  // UI_RENDER_RENDER_TYPES_H_
