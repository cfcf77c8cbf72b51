#include "ui/state_color_map.h"

#include "ui/control.h"
#include "ui/render/i_render_context.h"

namespace ui {

std::u16string StateColorMap::GetColor(int state) const {
  auto it = colors_.find(state);
  return it == colors_.end() ? std::u16string() : it->second;
}

void StateColorMap::PaintStatusColor(IRenderContext* render, const UiRect& rect, int state) {
  if (render == nullptr || owner_ == nullptr) return;
  if (owner_->GetAnimationManager().GetAnimationPlayer(kAnimationHot) != nullptr &&
      (state == kControlStateNormal || state == kControlStateHot) && HasHotColor()) {
    render->DrawNamedColor(rect, GetColor(kControlStateNormal), 255);
    const int hot_alpha = owner_->GetHotAlpha();
    if (hot_alpha >= 1) {
      render->DrawNamedColor(rect, GetColor(kControlStateHot), static_cast<uint8_t>(hot_alpha));
    }
    return;
  }
  int chosen = state;
  if (chosen == kControlStatePushed && GetColor(chosen).empty()) chosen = kControlStateHot;
  if (chosen == kControlStateHot && GetColor(chosen).empty()) chosen = kControlStateNormal;
  if (chosen == kControlStateDisabled && GetColor(chosen).empty()) chosen = kControlStateNormal;
  render->DrawNamedColor(rect, GetColor(chosen), 255);
}

}  // namespace ui
