// The ease-in / ease-out player: the value speeds up from rest for a share of
// the time (the speed-up ratio), may run at constant speed, and slows down to
// rest for another share (the slow-down ratio). With a total time the
// accelerations follow from it; without one (-1) the total follows from the
// speed-up acceleration, or from the constant speed when both ratios are 0.
// A curve that cannot be computed (a time, speed or distance of 0 or less
// where one must be positive) completes at once.
#ifndef UI_ANIMATION_PLAYER_H_
#define UI_ANIMATION_PLAYER_H_

#include "ui/animation_player_base.h"

namespace ui {

class AnimationPlayer : public AnimationPlayerBase {
 public:
  static constexpr int kMaxTotalMillSeconds = 1000000;

  AnimationPlayer();
  ~AnimationPlayer() override;

  void Reset() override;
  void Play() override;
  int GetCurrentValue() override;
  virtual void SetSpeedUpAcceleration(double acceleration) { speed_up_factor_ = acceleration; }
  virtual void SetSlowDownAcceleration(double acceleration) { slow_down_factor_ = acceleration; }

  void SetSpeedUpRatio(double ratio) { speed_up_ratio_ = ratio; }
  void SetSpeedDownRatio(double ratio) { speed_down_ratio_ = ratio; }
  void SetLinearSpeed(double speed) { linear_speed_ = speed; }
  // The longest a derived total time may be; Reset restores the default.
  void SetMaxTotalMillSeconds(int total) { max_total_millsec_ = total; }

  // The phases of the computed curve (ms), for callers that show progress.
  double speed_up_time() const { return speed_up_millsec_; }
  double linear_time() const { return linear_millsec_; }
  double slow_down_time() const { return slow_down_millsec_; }

 private:
  void InitFactor();
  // The accelerations and peak speed for the total time; false when they
  // cannot be computed.
  bool ComputeWithTotal(double distance);
  void CompleteAtOnce();

  double speed_up_ratio_ = 0;
  double speed_down_ratio_ = 0;
  double speed_up_millsec_ = 0;
  double linear_speed_ = 0;
  double linear_millsec_ = 0;
  double slow_down_millsec_ = 0;
  double speed_up_factor_ = 0;
  double slow_down_factor_ = 0;
  double slow_down_start_speed_ = 0;
  int max_total_millsec_ = kMaxTotalMillSeconds;
  double peak_speed_ = 0;  // v' of the curve
};

}  // namespace ui

#endif  // UI_ANIMATION_PLAYER_H_
