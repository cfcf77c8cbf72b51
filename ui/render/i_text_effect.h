// A text effect (outline, gradient, character spacing) that draws text in
// place of the plain DrawText, on the cairo context of one text operation,
// with the font and the text format that operation resolved.
#ifndef UI_RENDER_I_TEXT_EFFECT_H_
#define UI_RENDER_I_TEXT_EFFECT_H_

#include <string>

#include "base/callback/weak_callback.h"
#include "ui/render/render_types.h"

namespace ui {

class ITextEffect : public virtual kbase::SupportWeakCallback {
 public:
  ~ITextEffect() override = default;
  virtual void SetTextGradient(ARGB color1, ARGB color2, float factor_x, float factor_y) = 0;
  virtual void SetOutline(ARGB color1, ARGB color2, int width, bool gradient) = 0;
  virtual void SetCharSpacing(int spacing) = 0;
  virtual int GetCharSpacing() = 0;
  virtual void DrawText(const UiRect& rect, const std::u16string& text, ARGB color, _cairo* graphics,
                        HFONT font, const TextFormat& format) = 0;
};

}  // namespace ui

#endif  // UI_RENDER_I_TEXT_EFFECT_H_
