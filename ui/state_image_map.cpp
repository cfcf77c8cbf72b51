#include "ui/state_image_map.h"

#include "ui/control.h"

namespace ui {

StateImageMap::StateImageMap(Control* owner) : owner_(owner) {
  for (int type = kStateImageBk; type <= kStateImageSelectedFore; ++type) {
    images_.emplace(type, StateImage(owner));
  }
}

void StateImageMap::SetImage(StateImageType type, int state, const std::u16string& attribute) {
  if (state == kControlStateHot && owner_ != nullptr) {
    owner_->GetAnimationManager().SetFadeHot(true);
  }
  auto it = images_.try_emplace(type, StateImage(owner_)).first;
  Image& image = it->second[state];
  image.ClearCache();
  image.SetImageString(attribute);
}

std::u16string StateImageMap::GetImagePath(StateImageType type, int state) const {
  auto it = images_.find(type);
  if (it == images_.end()) return std::u16string();
  const Image* image = it->second.Find(state);
  return image == nullptr ? std::u16string() : image->imageAttribute.simageString;
}

bool StateImageMap::HasHotImage() const {
  for (const auto& entry : images_) {
    if (entry.second.HasHotImage()) return true;
  }
  return false;
}

bool StateImageMap::PaintStatusImage(IRenderContext* render, StateImageType type, int state,
                                     const std::u16string& modify) {
  auto it = images_.find(type);
  if (it == images_.end()) return false;
  return it->second.PaintStatusImage(render, state, modify);
}

Image* StateImageMap::GetEstimateImage(StateImageType type) {
  auto it = images_.find(type);
  return it == images_.end() ? nullptr : it->second.GetEstimateImage();
}

void StateImageMap::ClearCache() {
  for (auto& entry : images_) entry.second.ClearCache();
}

}  // namespace ui
