// Text laid out with pango for the render context: a text style's format
// (alignment, vertical alignment, ellipsis, no wrap, line limit, clip) mapped
// onto a pango layout in a rectangle, drawn on a cairo context or measured.
//
// One pango context serves every layout of the UI thread; the text
// anti-alias switch sets its font options: smooth grey-scale text when on,
// grid-fitted grey-scale text with hinted metrics when off. Sub-pixel colour
// anti-aliasing (ClearType) is never used: these surfaces are translucent.
#ifndef UI_RENDER_TEXT_LAYOUT_H_
#define UI_RENDER_TEXT_LAYOUT_H_

#include <string>

#include "ui/render/render_types.h"

struct _PangoLayout;

namespace ui {

class TextLayout {
 public:
  TextLayout();
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // Draws UTF-8 text in the rectangle with the colour (its alpha byte
  // included) as the format says.
  void Draw(_cairo* cr, const UiRect& rect, const std::string& text, HFONT font, bool underline,
            const TextFormat& format, ARGB color);
  // The size the text takes: unlimited with width -1; wrapped at the width
  // without kNoWrap; with kNoWrap a single-line width cut to the width.
  UiSize Measure(const std::string& text, HFONT font, const TextFormat& format, int width);
  // Adds the outlines of the glyphs to the context's path, placed in the
  // rectangle as Draw places them (the clip is the caller's).
  void AppendPath(_cairo* cr, const UiRect& rect, const std::string& text, HFONT font,
                  const TextFormat& format);

  // Makes pango see the fonts registered with fontconfig since it started.
  static void RefreshFontMap();
  // Lets go of the shared pango context and the thread's default font map
  // (with the fontconfig data it holds); layouts still alive keep theirs.
  // The next layout makes them anew.
  static void ReleaseFontMap();
  // A new layout on the shared context, its font options in line with the
  // anti-alias switch; the caller unrefs it. For the editable text layout.
  static _PangoLayout* NewSharedLayout();

 private:
  // Sets text, font and wrapping for a layout box of the width (-1: none).
  void Prepare(const std::string& text, HFONT font, bool underline, const TextFormat& format,
               int width);
  // Lays the text out for the rectangle and returns where its top-left goes.
  void LayOutIn(const UiRect& rect, const std::string& text, HFONT font, bool underline,
                const TextFormat& format, double* x, double* y);

  _PangoLayout* layout_;
};

}  // namespace ui

#endif  // UI_RENDER_TEXT_LAYOUT_H_
