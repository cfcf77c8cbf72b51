// A control with a text: a literal text or a language-table key, a font, a
// DrawText style, a text padding, one text colour per state with the hot
// colour faded in over the normal one, and an optional text effect
// (outline, gradient fill, character spacing). Instantiated over Control
// ("Label", sized to its text) and over Box ("LabelBox", a container that
// paints a text behind its children). UI thread only.
#ifndef UI_CONTROLS_LABEL_H_
#define UI_CONTROLS_LABEL_H_

#include <memory>
#include <string>

#include "ui/box.h"
#include "ui/control.h"
#include "ui/render/i_text_effect.h"
#include "ui/state_color_map.h"

namespace ui {

template <typename InheritType = Control>
class LabelTemplate : public InheritType {
 public:
  LabelTemplate();
  ~LabelTemplate() override;

  void Activate() override;
  UiSize EstimateText(UiSize available, bool* re_estimate) override;
  bool HasHotState() override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  void PaintText(IRenderContext* render) override;

  // The literal text when there is one, else the language table's text of
  // the text id.
  virtual std::u16string GetText() const;
  virtual std::string GetUTF8Text() const;
  virtual void SetText(const std::u16string& text);
  virtual void SetUTF8Text(const std::string& text);
  virtual void SetTextId(const std::u16string& id, bool clear_text = false);
  virtual std::u16string GetTextId() const;
  virtual void SetUTF8TextId(const std::string& id, bool clear_text = false);
  virtual void SetTextOutline(const std::u16string& color1, const std::u16string& color2, int width,
                              bool gradient);
  virtual void SetTextGradient(const std::u16string& color1, const std::u16string& color2,
                               float factor_x, float factor_y);
  // Needs an effect: without an outline or gradient first it does nothing.
  virtual void SetTextCharSpacing(int spacing);

  void SetStateTextColor(ControlState state, const std::u16string& color);
  std::u16string GetStateTextColor(ControlState state) const { return text_colors_.GetColor(state); }
  const std::u16string& GetFont() const { return font_id_; }
  void SetFont(const std::u16string& font_id);
  uint32_t GetTextStyle() const { return text_style_; }
  void SetTextStyle(uint32_t style);
  UiRect GetTextPadding() const { return text_padding_; }
  void SetTextPadding(UiRect padding);
  bool IsSingleLine() const { return single_line_; }
  void SetSingleLine(bool single_line);
  bool IsLineLimit() const { return line_limit_; }
  ITextEffect* GetTextEffect() const { return effect_.get(); }

 protected:
  // Invalidates a fixed-size label; an auto-sized one re-arranges from its
  // ancestors so its new size takes effect.
  void ArrangeOrInvalidateForText();
  // The style with the single-line bit taken from the single-line flag.
  uint32_t EffectiveStyle() const;
  // Draws the text in the colour, through the effect when there is one.
  void DrawLabelText(IRenderContext* render, const UiRect& rect, const std::u16string& text,
                     ARGB color, uint8_t alpha);
  bool EnsureTextEffect();

  std::u16string font_id_;
  uint32_t text_style_;
  bool single_line_ = true;
  bool line_limit_ = false;
  UiRect text_padding_;
  std::u16string text_;
  std::u16string text_id_;
  StateColorMap text_colors_;
  std::unique_ptr<ITextEffect> effect_;
};

using Label = LabelTemplate<Control>;
using LabelBox = LabelTemplate<Box>;

extern template class LabelTemplate<Control>;
extern template class LabelTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_LABEL_H_
