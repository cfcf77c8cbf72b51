#include "ui/controls/label.h"

#include <algorithm>
#include <charconv>
#include <type_traits>
#include <vector>

#include "ui/attribute_value.h"
#include "ui/dpi_manager.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/render/i_render_context.h"
#include "ui/wide_text.h"
#include "ui/window.h"

namespace ui {
namespace {

constexpr uint32_t kDefaultLabelStyle = DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS;

std::vector<std::u16string> SplitAtCommas(const std::u16string& value) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (true) {
    const size_t comma = value.find(u',', start);
    parts.push_back(value.substr(start, comma == std::u16string::npos ? std::u16string::npos
                                                                       : comma - start));
    if (comma == std::u16string::npos) return parts;
    start = comma + 1;
  }
}

// A decimal number such as "0.3"; 0 when the text does not start with one.
float ParseFloatValue(const std::u16string& value) {
  std::string text = Utf16ToUtf8(value);
  text.erase(0, text.find_first_not_of(" \t"));
  float result = 0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return result;
}

// The style after the words of an "align" value, looked for as substrings
// in this order (so "vcenter" and "hcenter" also count as "center").
uint32_t ApplyAlignWords(uint32_t style, const std::u16string& value) {
  struct Word {
    const char16_t* word;
    uint32_t clear;
    uint32_t set;
  };
  static constexpr Word kWords[] = {
      {u"left", DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE, 0},
      {u"center", DT_RIGHT, DT_CENTER},
      {u"right", DT_CENTER | DT_VCENTER | DT_SINGLELINE, DT_RIGHT},
      {u"top", DT_VCENTER | DT_BOTTOM, DT_SINGLELINE},
      {u"vcenter", DT_BOTTOM, DT_CENTER | DT_VCENTER | DT_SINGLELINE},
      {u"bottom", DT_VCENTER, DT_BOTTOM | DT_SINGLELINE},
  };
  for (const Word& w : kWords) {
    if (value.find(w.word) != std::u16string::npos) style = (style & ~w.clear) | w.set;
  }
  return style;
}

size_t LongestLineLength(const std::u16string& text) {
  size_t longest = 0;
  for (const std::u16string& line : SplitString(text, u"\n")) longest = std::max(longest, line.size());
  return longest;
}

}  // namespace

template <typename InheritType>
LabelTemplate<InheritType>::LabelTemplate() : text_style_(kDefaultLabelStyle), text_colors_(this) {
  text_colors_.SetColor(kControlStateNormal, GlobalManager::GetDefaultTextColor());
  text_colors_.SetColor(kControlStateDisabled, GlobalManager::GetDefaultDisabledTextColor());
  if constexpr (!std::is_base_of_v<Box, InheritType>) {
    this->fixed_width_ = kSizeAuto;
    this->fixed_height_ = kSizeAuto;
  }
}

template <typename InheritType>
LabelTemplate<InheritType>::~LabelTemplate() = default;

template <typename InheritType>
void LabelTemplate<InheritType>::Activate() {
  if (!this->IsActivatable() || this->window_ == nullptr) return;
  this->FireEvent(kEventClick);
}

template <typename InheritType>
uint32_t LabelTemplate<InheritType>::EffectiveStyle() const {
  return single_line_ ? (text_style_ | DT_SINGLELINE) : (text_style_ & ~DT_SINGLELINE);
}

template <typename InheritType>
UiSize LabelTemplate<InheritType>::EstimateText(UiSize available, bool* re_estimate) {
  text_style_ = EffectiveStyle();
  UiSize result;
  const std::u16string text = GetText();
  if (text.empty()) return result;

  // The window's context measures; a label not in a window yet measures with
  // a context of its own, or reports no size when there is no factory.
  IRenderContext* render = this->window_ != nullptr ? this->window_->GetRenderContext() : nullptr;
  std::unique_ptr<IRenderContext> own;
  if (render == nullptr) {
    IRenderFactory* factory = GlobalManager::GetRenderFactory();
    if (factory == nullptr) return result;
    own = factory->CreateRenderContext();
    render = own.get();
  }
  const int fixed_width = this->fixed_width_;
  const int fixed_height = this->fixed_height_;
  // A label without a fixed width measures without a limit (-1).
  const int limit = fixed_width > 0 ? fixed_width : -1;
  UiRect measured = render->MeasureText(text, font_id_, text_style_, limit);
  const int padding_x = text_padding_.left + text_padding_.right;
  const int padding_y = text_padding_.top + text_padding_.bottom;
  if (fixed_width == kSizeAuto) result.cx = padding_x + measured.Width();
  if (fixed_height == kSizeAuto) {
    int width = measured.Width();
    int height = measured.Height();
    if (!single_line_ && fixed_width == kSizeAuto && this->max_width_ == kSizeStretch) {
      if (re_estimate != nullptr) *re_estimate = true;
      const int room = available.cx - padding_x;
      if (width > room) {
        width = room;
        height = render->MeasureText(text, font_id_, text_style_, room).Height();
      }
    }
    result.cx = padding_x + width;
    result.cy = padding_y + height;
  }
  if (effect_) {
    const int spacing = effect_->GetCharSpacing();
    const size_t count = single_line_ ? text.size() : LongestLineLength(text);
    result.cx += spacing * static_cast<int>(count);
  }
  return result;
}

template <typename InheritType>
bool LabelTemplate<InheritType>::HasHotState() {
  return !text_colors_.GetColor(kControlStateHot).empty() || InheritType::HasHotState();
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetAttribute(const std::u16string& name,
                                              const std::u16string& value) {
  if (name == u"align") {
    text_style_ = ApplyAlignWords(text_style_, value);
  } else if (name == u"endellipsis") {
    text_style_ = ParseBoolValue(value) ? (text_style_ | DT_END_ELLIPSIS) : (text_style_ & ~DT_END_ELLIPSIS);
  } else if (name == u"linelimit") {
    const bool limit = ParseBoolValue(value);
    if (limit != line_limit_) {
      line_limit_ = limit;
      this->Invalidate();
    }
  } else if (name == u"singleline") {
    SetSingleLine(ParseBoolValue(value));
  } else if (name == u"text") {
    SetText(value);
  } else if (name == u"textid") {
    SetTextId(value, false);
  } else if (name == u"font") {
    SetFont(value);
  } else if (name == u"normaltextcolor") {
    SetStateTextColor(kControlStateNormal, value);
  } else if (name == u"hottextcolor") {
    SetStateTextColor(kControlStateHot, value);
  } else if (name == u"pushedtextcolor") {
    SetStateTextColor(kControlStatePushed, value);
  } else if (name == u"disabledtextcolor") {
    SetStateTextColor(kControlStateDisabled, value);
  } else if (name == u"textpadding") {
    UiRect padding = ParseRectValue(value);
    DpiManager::GetInstance()->ScaleRect(&padding);
    SetTextPadding(padding);
  } else if (name == u"gradient_text") {
    // Two colours and two factors are needed; a shorter value is ignored.
    const std::vector<std::u16string> parts = SplitAtCommas(value);
    if (parts.size() < 4) return;
    SetTextGradient(parts[0], parts[1], ParseFloatValue(parts[2]), ParseFloatValue(parts[3]));
    if (parts.size() == 5) SetTextCharSpacing(ParseIntValue(parts[4]));
  } else if (name == u"gradient_outline") {
    // Two colours and a width are needed; a shorter value is ignored.
    const std::vector<std::u16string> parts = SplitAtCommas(value);
    if (parts.size() < 3) return;
    const bool gradient = !(parts.size() >= 4 && (parts[3] == u"false" || parts[3] == u"0"));
    SetTextOutline(parts[0], parts[1], ParseIntValue(parts[2]), gradient);
  } else {
    InheritType::SetAttribute(name, value);
  }
}

template <typename InheritType>
void LabelTemplate<InheritType>::DrawLabelText(IRenderContext* render, const UiRect& rect,
                                               const std::u16string& text, ARGB color,
                                               uint8_t alpha) {
  if (effect_) {
    render->DrawEffectText(rect, text, color, font_id_, text_style_, effect_.get(), line_limit_);
  } else {
    render->DrawText(rect, text, color, font_id_, text_style_, alpha, line_limit_);
  }
}

template <typename InheritType>
void LabelTemplate<InheritType>::PaintText(IRenderContext* render) {
  const std::u16string text = GetText();
  if (render == nullptr || text.empty()) return;
  const UiRect& pos = this->rect_;
  const UiRect rect{pos.left + text_padding_.left, pos.top + text_padding_.top,
                    pos.right - text_padding_.right, pos.bottom - text_padding_.bottom};
  int state = this->state_;
  std::u16string color_name;
  if (state == kControlStatePushed) {
    color_name = text_colors_.GetColor(kControlStatePushed);
    if (color_name.empty()) state = kControlStateHot;
  }
  if (state == kControlStateHot) {
    color_name = text_colors_.GetColor(kControlStateHot);
    if (color_name.empty()) state = kControlStateNormal;
  }
  if (state == kControlStateDisabled) {
    color_name = text_colors_.GetColor(kControlStateDisabled);
    if (color_name.empty()) state = kControlStateNormal;
  }
  if (state == kControlStateNormal) color_name = text_colors_.GetColor(kControlStateNormal);
  text_style_ = EffectiveStyle();

  const std::u16string hot_name = text_colors_.GetColor(kControlStateHot);
  const bool fading = this->animation_manager_.GetAnimationPlayer(kAnimationHot) != nullptr &&
                      (this->state_ == kControlStateNormal || this->state_ == kControlStateHot) &&
                      !hot_name.empty();
  if (fading) {
    const std::u16string normal_name = text_colors_.GetColor(kControlStateNormal);
    if (!normal_name.empty()) {
      DrawLabelText(render, rect, text, GlobalManager::GetTextColor(normal_name), 255);
    }
    const int hot_alpha = this->hot_alpha_;
    if (hot_alpha > 0) {
      DrawLabelText(render, rect, text, GlobalManager::GetTextColor(hot_name),
                    static_cast<uint8_t>(std::min(hot_alpha, 255)));
    }
    return;
  }
  DrawLabelText(render, rect, text, GlobalManager::GetTextColor(color_name), 255);
}

template <typename InheritType>
std::u16string LabelTemplate<InheritType>::GetText() const {
  if (!text_.empty()) return text_;
  if (!text_id_.empty()) return LanguageTable::GetInstance().GetText(text_id_);
  return std::u16string();
}

template <typename InheritType>
std::string LabelTemplate<InheritType>::GetUTF8Text() const {
  return Utf16ToUtf8(GetText());
}

template <typename InheritType>
void LabelTemplate<InheritType>::ArrangeOrInvalidateForText() {
  if (this->fixed_width_ == kSizeAuto || this->fixed_height_ == kSizeAuto) {
    this->ArrangeFromAncestor();
  } else {
    this->Invalidate();
  }
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetText(const std::u16string& text) {
  if (text == text_) return;
  text_ = text;
  ArrangeOrInvalidateForText();
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetUTF8Text(const std::string& text) {
  SetText(Utf8ToUtf16(text));
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetTextId(const std::u16string& id, bool clear_text) {
  if (id == text_id_ && !clear_text) return;
  text_id_ = id;
  if (clear_text) text_.clear();
  ArrangeOrInvalidateForText();
}

template <typename InheritType>
std::u16string LabelTemplate<InheritType>::GetTextId() const {
  return text_id_;
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetUTF8TextId(const std::string& id, bool clear_text) {
  SetTextId(Utf8ToUtf16(id), clear_text);
}

template <typename InheritType>
bool LabelTemplate<InheritType>::EnsureTextEffect() {
  if (effect_) return true;
  IRenderFactory* factory = GlobalManager::GetRenderFactory();
  if (factory != nullptr) effect_ = factory->CreateTextEffect();
  return effect_ != nullptr;
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetTextOutline(const std::u16string& color1,
                                                const std::u16string& color2, int width,
                                                bool gradient) {
  if (!EnsureTextEffect()) return;
  effect_->SetOutline(GlobalManager::GetTextColor(color1), GlobalManager::GetTextColor(color2),
                      width, gradient);
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetTextGradient(const std::u16string& color1,
                                                 const std::u16string& color2, float factor_x,
                                                 float factor_y) {
  if (!EnsureTextEffect()) return;
  effect_->SetTextGradient(GlobalManager::GetTextColor(color1), GlobalManager::GetTextColor(color2),
                           factor_x, factor_y);
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetTextCharSpacing(int spacing) {
  if (effect_) effect_->SetCharSpacing(spacing);
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetStateTextColor(ControlState state, const std::u16string& color) {
  if (state == kControlStateHot) this->animation_manager_.SetFadeHot(true);
  text_colors_.SetColor(state, color);
  this->Invalidate();
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetFont(const std::u16string& font_id) {
  font_id_ = font_id;
  this->Invalidate();
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetTextStyle(uint32_t style) {
  text_style_ = style;
  this->Invalidate();
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetTextPadding(UiRect padding) {
  text_padding_ = padding;
  ArrangeOrInvalidateForText();
}

template <typename InheritType>
void LabelTemplate<InheritType>::SetSingleLine(bool single_line) {
  if (single_line == single_line_) return;
  single_line_ = single_line;
  this->Invalidate();
}

template class LabelTemplate<Control>;
template class LabelTemplate<Box>;

}  // namespace ui
