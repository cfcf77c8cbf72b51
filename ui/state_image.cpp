#include "ui/state_image.h"

#include "ui/animation_manager.h"
#include "ui/control.h"

namespace ui {

const Image* StateImage::Find(int state) const {
  auto it = images_.find(state);
  return it == images_.end() ? nullptr : &it->second;
}

bool StateImage::HasImage(int state) const {
  const Image* image = Find(state);
  return image != nullptr && !image->imageAttribute.simageString.empty();
}

bool StateImage::HasHotImage() const { return HasImage(kControlStateHot); }

Image* StateImage::GetEstimateImage() {
  for (int state : {kControlStateNormal, kControlStateHot, kControlStatePushed,
                    kControlStateDisabled}) {
    auto it = images_.find(state);
    if (it != images_.end() && !it->second.imageAttribute.sImageName.empty()) return &it->second;
  }
  return nullptr;
}

bool StateImage::PaintStatusImage(IRenderContext* render, int state, const std::u16string& modify) {
  if (owner_ == nullptr) return false;
  if (owner_->GetAnimationManager().GetAnimationPlayer(kAnimationHot) != nullptr &&
      (state == kControlStateNormal || state == kControlStateHot)) {
    Image& normal = images_[kControlStateNormal];
    Image& hot = images_[kControlStateHot];
    const double h = owner_->GetHotAlpha();
    const ImageAttribute& n = normal.imageAttribute;
    const ImageAttribute& t = hot.imageAttribute;
    if (!n.sImageName.empty() && n.sImageName == t.sImageName && n.rcSource == t.rcSource) {
      const int fade = static_cast<int>((1 - h / 255) * n.bFade + t.bFade * (h / 255));
      return owner_->DrawImage(render, hot, modify, fade);
    }
    bool drawn = owner_->DrawImage(render, normal, modify);
    drawn = owner_->DrawImage(render, hot, modify, static_cast<int>(t.bFade * h / 255));
    return drawn;
  }
  int chosen = state;
  int fade = -1;
  if (state == kControlStatePushed && !HasImage(kControlStatePushed)) {
    chosen = kControlStateHot;
    // The hot image stands in at full opacity for this draw; its own fade
    // stays for when it is drawn as the hot image.
    fade = 255;
  }
  if (chosen == kControlStateHot && !HasImage(kControlStateHot)) {
    chosen = kControlStateNormal;
    fade = -1;
  }
  if (chosen == kControlStateDisabled && !HasImage(kControlStateDisabled)) {
    chosen = kControlStateNormal;
  }
  return owner_->DrawImage(render, images_[chosen], modify, fade);
}

void StateImage::ClearCache() {
  for (auto& entry : images_) entry.second.ClearCache();
}

}  // namespace ui
