#include "ui/auto_clip.h"

namespace ui {

AutoClip::AutoClip(IRenderContext* render, const UiRect& rect, bool clip) : render_(render) {
  if (!clip || render_ == nullptr) return;
  render_->SetClip(rect);
  applied_ = true;
}

AutoClip::AutoClip(IRenderContext* render, const UiRect& rect, int round_width, int round_height,
                   bool clip)
    : render_(render) {
  if (!clip || render_ == nullptr) return;
  render_->SetRoundClip(rect, round_width, round_height);
  applied_ = true;
}

AutoClip::~AutoClip() {
  if (applied_) render_->ClearClip();
}

}  // namespace ui
