#include "ui/controls/check_box.h"

#include "ui/attribute_value.h"
#include "ui/global_manager.h"
#include "ui/render/i_render_context.h"
#include "ui/window.h"

namespace ui {

template <typename InheritType>
CheckBoxTemplate<InheritType>::CheckBoxTemplate() : selected_colors_(this) {}

template <typename InheritType>
Image* CheckBoxTemplate<InheritType>::GetEstimateImage() {
  Image* image = InheritType::GetEstimateImage();
  if (image != nullptr) return image;
  return this->image_map_.GetEstimateImage(kStateImageSelectedBk);
}

template <typename InheritType>
void CheckBoxTemplate<InheritType>::Activate() {
  if (!this->IsActivatable()) return;
  Selected(!selected_, true);
}

template <typename InheritType>
bool CheckBoxTemplate<InheritType>::HasHotState() {
  if (selected_colors_.HasHotColor() || !this->text_colors_.GetColor(kControlStateHot).empty()) {
    return true;
  }
  return InheritType::HasHotState();
}

template <typename InheritType>
void CheckBoxTemplate<InheritType>::Selected(bool select, bool trigger) {
  if (select == selected_) return;
  selected_ = select;
  if (this->window_ != nullptr && trigger) {
    std::weak_ptr<kbase::WeakFlag> alive = this->GetWeakFlag();
    this->FireEvent(select ? kEventSelect : kEventUnSelect);
    if (alive.expired()) return;
  }
  this->Invalidate();
}

template <typename InheritType>
void CheckBoxTemplate<InheritType>::SetSelectedStateColor(ControlState state,
                                                         const std::u16string& color) {
  selected_colors_.SetColor(state, color);
  this->Invalidate();
}

template <typename InheritType>
void CheckBoxTemplate<InheritType>::SetSelectedTextColor(const std::u16string& color) {
  selected_text_color_ = color;
  this->Invalidate();
}

template <typename InheritType>
void CheckBoxTemplate<InheritType>::SetAttribute(const std::u16string& name,
                                                 const std::u16string& value) {
  struct ImageAttributeName {
    const char16_t* name;
    StateImageType type;
    ControlState state;
  };
  static constexpr ImageAttributeName kImages[] = {
      {u"selectednormalimage", kStateImageSelectedBk, kControlStateNormal},
      {u"selectedhotimage", kStateImageSelectedBk, kControlStateHot},
      {u"selectedpushedimage", kStateImageSelectedBk, kControlStatePushed},
      {u"selecteddisabledimage", kStateImageSelectedBk, kControlStateDisabled},
      {u"selectedforenormalimage", kStateImageSelectedFore, kControlStateNormal},
      {u"selectedforehotimage", kStateImageSelectedFore, kControlStateHot},
      {u"selectedforepushedimage", kStateImageSelectedFore, kControlStatePushed},
      {u"selectedforedisabledimage", kStateImageSelectedFore, kControlStateDisabled},
  };
  for (const ImageAttributeName& image : kImages) {
    if (name != image.name) continue;
    // Set on the image itself: a selected hot image does not switch the hot
    // fade on.
    this->image_map_.GetStateImage(image.type)[image.state].ClearCache();
    this->image_map_.GetStateImage(image.type)[image.state].SetImageString(value);
    this->ArrangeOrInvalidateForImage();
    return;
  }
  if (name == u"selected") {
    Selected(ParseBoolValue(value), true);
  } else if (name == u"selectedtextcolor") {
    SetSelectedTextColor(value);
  } else if (name == u"selectednormalcolor") {
    SetSelectedStateColor(kControlStateNormal, value);
  } else if (name == u"selectedhotcolor") {
    SetSelectedStateColor(kControlStateHot, value);
  } else if (name == u"selectedpushedcolor") {
    SetSelectedStateColor(kControlStatePushed, value);
  } else if (name == u"selecteddisabledcolor") {
    SetSelectedStateColor(kControlStateDisabled, value);
  } else {
    ButtonTemplate<InheritType>::SetAttribute(name, value);
  }
}

template <typename InheritType>
void CheckBoxTemplate<InheritType>::PaintStatusColor(IRenderContext* render) {
  if (!selected_) {
    InheritType::PaintStatusColor(render);
    return;
  }
  selected_colors_.PaintStatusColor(render, this->rect_, this->state_);
}

template <typename InheritType>
void CheckBoxTemplate<InheritType>::PaintStatusImage(IRenderContext* render) {
  if (!selected_) {
    InheritType::PaintStatusImage(render);
    return;
  }
  this->image_map_.PaintStatusImage(render, kStateImageSelectedBk, this->state_);
  this->image_map_.PaintStatusImage(render, kStateImageSelectedFore, this->state_);
}

template <typename InheritType>
void CheckBoxTemplate<InheritType>::PaintText(IRenderContext* render) {
  if (!selected_) {
    ButtonTemplate<InheritType>::PaintText(render);
    return;
  }
  const std::u16string text = this->GetText();
  if (render == nullptr || text.empty()) return;
  const UiRect& pos = this->rect_;
  const UiRect& padding = this->text_padding_;
  const UiRect rect{pos.left + padding.left, pos.top + padding.top, pos.right - padding.right,
                    pos.bottom - padding.bottom};
  std::u16string color_name = selected_text_color_.empty()
                                  ? this->text_colors_.GetColor(kControlStateNormal)
                                  : selected_text_color_;
  const std::u16string disabled_name = this->text_colors_.GetColor(kControlStateDisabled);
  if (!this->IsEnabled() && !disabled_name.empty()) color_name = disabled_name;
  this->text_style_ = this->EffectiveStyle();
  render->DrawText(rect, text, GlobalManager::GetTextColor(color_name), this->font_id_,
                   this->text_style_, 255, false);
}

template class CheckBoxTemplate<Control>;
template class CheckBoxTemplate<Box>;

}  // namespace ui
