#include "ui/animation_manager.h"

#include "ui/control.h"

namespace ui {
namespace {

constexpr double kSpeedUpRatio = 0.3;
constexpr double kSlowDownRatio = 0.7;
constexpr int kFadeMillSeconds = 250;
constexpr double kSizeAcceleration = 0.00084;
constexpr double kSlideAcceleration = 0.006;
constexpr int kUnboundedSize = 999999;
constexpr int kDefaultSlideDistance = 100;

// The order in which appearing and disappearing play the fades.
constexpr AnimationType kFadeOrder[] = {kAnimationAlpha,          kAnimationWidth,
                                        kAnimationHeight,         kAnimationInoutXFromLeft,
                                        kAnimationInoutXFromRight, kAnimationInoutYFromTop,
                                        kAnimationInoutYFromBottom};

}  // namespace

AnimationPlayer* AnimationManager::GetAnimationPlayer(AnimationType type) const {
  auto it = players_.find(type);
  return it == players_.end() ? nullptr : it->second.get();
}

AnimationPlayer* AnimationManager::Install(AnimationType type, bool on) {
  if (!on) {
    players_.erase(type);
    return nullptr;
  }
  auto player = std::make_unique<AnimationPlayer>();
  player->SetFirstRun(true);
  player->SetSpeedUpRatio(kSpeedUpRatio);
  player->SetSpeedDownRatio(kSlowDownRatio);
  AnimationPlayer* raw = player.get();
  players_[type] = std::move(player);
  return raw;
}

AnimationPlayer* AnimationManager::SetFadeHot(bool on) {
  AnimationPlayer* player = Install(kAnimationHot, on);
  if (player == nullptr) return nullptr;
  player->SetStartValue(0);
  player->SetEndValue(255);
  player->SetTotalMillSeconds(kFadeMillSeconds);
  Control* owner = owner_;
  player->SetCallback(owner->WrapWeak([owner](int value) { owner->SetHotAlpha(value); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeAlpha(bool on) {
  AnimationPlayer* player = Install(kAnimationAlpha, on);
  if (player == nullptr) return nullptr;
  player->SetStartValue(0);
  player->SetEndValue(255);
  player->SetTotalMillSeconds(kFadeMillSeconds);
  Control* owner = owner_;
  player->SetCallback(owner->WrapWeak([owner](int value) { owner->SetAlpha(value); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeWidth(bool on) {
  AnimationPlayer* player = Install(kAnimationWidth, on);
  if (player == nullptr) return nullptr;
  const UiSize size = owner_->EstimateSize(UiSize{kUnboundedSize, kUnboundedSize});
  player->SetStartValue(0);
  player->SetEndValue(size.cx);
  player->SetSpeedUpAcceleration(kSizeAcceleration);
  Control* owner = owner_;
  player->SetCallback(
      owner->WrapWeak([owner](int value) { owner->SetFixedWidth(value, true, false); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeHeight(bool on) {
  AnimationPlayer* player = Install(kAnimationHeight, on);
  if (player == nullptr) return nullptr;
  const UiSize size = owner_->EstimateSize(UiSize{kUnboundedSize, kUnboundedSize});
  player->SetStartValue(0);
  player->SetEndValue(size.cy);
  player->SetSpeedUpAcceleration(kSizeAcceleration);
  Control* owner = owner_;
  player->SetCallback(
      owner->WrapWeak([owner](int value) { owner->SetFixedHeight(value, false); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeInOutX(bool on, bool from_right) {
  AnimationPlayer* player =
      Install(from_right ? kAnimationInoutXFromRight : kAnimationInoutXFromLeft, on);
  if (player == nullptr) return nullptr;
  int width = owner_->EstimateSize(UiSize{kUnboundedSize, kUnboundedSize}).cx;
  if (width <= 0) width = kDefaultSlideDistance;
  player->SetStartValue(from_right ? -width : width);
  player->SetEndValue(0);
  player->SetSpeedUpAcceleration(kSlideAcceleration);
  Control* owner = owner_;
  player->SetCallback(owner->WrapWeak([owner](int value) { owner->SetRenderOffsetX(value); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeInOutY(bool on, bool from_bottom) {
  AnimationPlayer* player =
      Install(from_bottom ? kAnimationInoutYFromBottom : kAnimationInoutYFromTop, on);
  if (player == nullptr) return nullptr;
  int height = owner_->EstimateSize(UiSize{kUnboundedSize, kUnboundedSize}).cy;
  if (height <= 0) height = kDefaultSlideDistance;
  player->SetStartValue(from_bottom ? -height : height);
  player->SetEndValue(0);
  player->SetSpeedUpAcceleration(kSlideAcceleration);
  Control* owner = owner_;
  player->SetCallback(owner->WrapWeak([owner](int value) { owner->SetRenderOffsetY(value); }));
  return player;
}

void AnimationManager::Appear() {
  owner_->SetVisible(true);
  for (AnimationType type : kFadeOrder) {
    AnimationPlayer* player = GetAnimationPlayer(type);
    if (player == nullptr) continue;
    player->SetCompleteCallback([] {});
    player->PlayForward();
  }
}

void AnimationManager::Disappear() {
  bool any = false;
  Control* owner = owner_;
  for (AnimationType type : kFadeOrder) {
    AnimationPlayer* player = GetAnimationPlayer(type);
    if (player == nullptr) continue;
    any = true;
    player->SetCompleteCallback(owner->WrapWeak([owner] { owner->SetVisible(false); }));
    player->PlayBackward();
  }
  if (!any) owner_->SetVisible(false);
}

}  // namespace ui

