// The font settings of the UI framework that the font installer decides
// before the framework starts: the faces the framework probes for its
// "system" and "button" fonts, and whether text is drawn anti-aliased. The
// installer writes them (from the UI thread or the worker); the framework
// reads them, so both are guarded.
#ifndef UI_FONT_SETTINGS_H_
#define UI_FONT_SETTINGS_H_

#include <string>

namespace ui {

// A set of faces the framework probes for text: regular, bold, italic.
struct ProbedFontFaces {
  std::u16string regular;
  std::u16string bold;
  std::u16string italic;

  bool operator==(const ProbedFontFaces&) const = default;
};

enum class FontFaceSet { kSystem, kButton };

// The faces of a set; empty until the installer sets them.
ProbedFontFaces GetProbedFontFaces(FontFaceSet set);
void SetProbedFontFaces(FontFaceSet set, const ProbedFontFaces& faces);

// The render back-end draws text anti-aliased when set.
bool TextAntiAlias();
void SetTextAntiAlias(bool enabled);

}  // namespace ui

#endif  // UI_FONT_SETTINGS_H_
