// A control's animations by type: the fades the attributes switch on (alpha,
// hot look, width, height, slide in and out), and appearing and disappearing
// through them. The players step on the timer manager; their callbacks do
// nothing once the control is gone.
#ifndef UI_ANIMATION_MANAGER_H_
#define UI_ANIMATION_MANAGER_H_

#include <map>
#include <memory>

#include "ui/animation_player.h"

namespace ui {

class Control;

enum AnimationType {
  kAnimationNone = 0,
  kAnimationAlpha = 1,
  kAnimationHeight = 2,
  kAnimationWidth = 3,
  kAnimationHot = 4,
  kAnimationInoutXFromLeft = 5,
  kAnimationInoutXFromRight = 6,
  kAnimationInoutYFromTop = 7,
  kAnimationInoutYFromBottom = 8,
};

class AnimationManager {
 public:
  explicit AnimationManager(Control* owner) : owner_(owner) {}
  AnimationManager(const AnimationManager&) = delete;
  AnimationManager& operator=(const AnimationManager&) = delete;

  AnimationPlayer* GetAnimationPlayer(AnimationType type) const;

  // Each with |on| false erases its player; with true makes a new one that
  // replaces an older one.
  AnimationPlayer* SetFadeHot(bool on);       // hot alpha 0 -> 255 in 250 ms
  AnimationPlayer* SetFadeAlpha(bool on);     // alpha 0 -> 255 in 250 ms
  AnimationPlayer* SetFadeWidth(bool on);     // fixed width 0 -> estimated width
  AnimationPlayer* SetFadeHeight(bool on);    // fixed height 0 -> estimated height
  AnimationPlayer* SetFadeInOutX(bool on, bool from_right);
  AnimationPlayer* SetFadeInOutY(bool on, bool from_bottom);

  // Shows the owner, then plays every fade but the hot one forward.
  void Appear();
  // Plays every fade but the hot one backward and hides the owner when each
  // ends; without such a fade, hides it at once.
  void Disappear();
  void Clear() { players_.clear(); }

 private:
  AnimationPlayer* Install(AnimationType type, bool on);

  Control* owner_;
  std::map<AnimationType, std::unique_ptr<AnimationPlayer>> players_;
};

}  // namespace ui

#endif  // UI_ANIMATION_MANAGER_H_
