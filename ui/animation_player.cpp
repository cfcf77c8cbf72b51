#include "ui/animation_player.h"

#include <cmath>
#include <cstdlib>

namespace ui {

AnimationPlayer::AnimationPlayer() { AnimationPlayer::Reset(); }

AnimationPlayer::~AnimationPlayer() = default;

void AnimationPlayer::Reset() {
  AnimationPlayerBase::Reset();
  speed_up_ratio_ = 0;
  speed_down_ratio_ = 0;
  speed_up_millsec_ = 0;
  linear_speed_ = 0;
  linear_millsec_ = 0;
  slow_down_millsec_ = 0;
  speed_up_factor_ = 0;
  slow_down_factor_ = 0;
  slow_down_start_speed_ = 0;
  max_total_millsec_ = kMaxTotalMillSeconds;
  peak_speed_ = 0;
}

void AnimationPlayer::Play() {
  InitFactor();
  AnimationPlayerBase::Play();
}

void AnimationPlayer::CompleteAtOnce() {
  total_millsec_ = 0;
  speed_up_millsec_ = linear_millsec_ = slow_down_millsec_ = 0;
  speed_up_factor_ = slow_down_factor_ = 0;
  linear_speed_ = slow_down_start_speed_ = 0;
}

bool AnimationPlayer::ComputeWithTotal(double distance) {
  const double a = speed_up_ratio_;
  const double e = speed_down_ratio_;
  const double t = total_millsec_;
  if (t <= 0) return false;
  if (a != 0) {
    const double denominator = t * t * (a * a + 2 * a * (1 - a - e) + a * e);
    if (!(denominator > 0)) return false;
    speed_up_factor_ = distance / denominator;
  } else {
    const double denominator = t * t * (2 * e * (1 - a - e) + e * e + e * a);
    if (!(denominator > 0)) return false;
    slow_down_factor_ = -distance / denominator;
  }
  return true;
}

void AnimationPlayer::InitFactor() {
  const double distance = std::abs(static_cast<double>(end_value_) - start_value_);
  if (distance == 0) return;  // the base completes at once
  const double a = speed_up_ratio_;
  const double e = speed_down_ratio_;

  if (a == 0 && e == 0) {
    if (total_millsec_ != -1) {
      if (total_millsec_ <= 0) return CompleteAtOnce();
      linear_speed_ = distance / total_millsec_;
    } else {
      if (!(linear_speed_ > 0)) return CompleteAtOnce();
      const double total = distance / linear_speed_;
      total_millsec_ = total > max_total_millsec_ ? max_total_millsec_ : static_cast<int>(total);
    }
    speed_up_millsec_ = slow_down_millsec_ = 0;
    linear_millsec_ = total_millsec_;
    return;
  }

  const bool total_given = total_millsec_ != -1;
  if (total_given && !ComputeWithTotal(distance)) return CompleteAtOnce();
  for (int pass = 0; pass < 2; ++pass) {
    if (speed_up_factor_ != 0 && a != 0) {
      peak_speed_ = speed_up_factor_ * a;
      if (e != 0) slow_down_factor_ = -speed_up_factor_ * a / e;
    } else if (slow_down_factor_ != 0 && e != 0) {
      peak_speed_ = -slow_down_factor_ * e;
      if (a != 0) speed_up_factor_ = peak_speed_ / a;
    } else {
      peak_speed_ = 0;
    }
    if (total_given || pass == 1) break;
    const double denominator = speed_up_factor_ * a * a + 2 * (1 - a - e) * peak_speed_ -
                               e * e * slow_down_factor_;
    const double square = distance / denominator;
    if (!(denominator > 0) || !std::isfinite(square) || !(square > 0)) return CompleteAtOnce();
    const double total = std::sqrt(square);
    if (total <= max_total_millsec_) {
      total_millsec_ = static_cast<int>(total);
      if (total_millsec_ <= 0) return CompleteAtOnce();
      break;
    }
    // Too long: the maximum time, and the curve again for it.
    total_millsec_ = max_total_millsec_;
    if (!ComputeWithTotal(distance)) return CompleteAtOnce();
  }
  const double t = total_millsec_;
  linear_speed_ = slow_down_start_speed_ = 2 * peak_speed_ * t;
  speed_up_millsec_ = t * a;
  slow_down_millsec_ = t * e;
  linear_millsec_ = t - speed_up_millsec_ - slow_down_millsec_;
}

int AnimationPlayer::GetCurrentValue() {
  const double t = elapsed_millsec_;
  if (t >= total_millsec_) return end_value_;
  const double t1 = speed_up_millsec_;
  const double t2 = linear_millsec_;
  double d = 0;
  if (t <= t1) {
    d = speed_up_factor_ * t * t;
  } else if (t <= t1 + t2) {
    d = speed_up_factor_ * t1 * t1 + linear_speed_ * (t - t1);
  } else {
    const double t3 = t - t1 - t2;
    d = speed_up_factor_ * t1 * t1 + linear_speed_ * t2 + slow_down_factor_ * t3 * t3 +
        slow_down_start_speed_ * t3;
  }
  if (!std::isfinite(d)) return end_value_;
  const double distance = std::abs(static_cast<double>(end_value_) - start_value_);
  if (d > distance) d = distance;
  if (d < 0) d = 0;
  const int step = static_cast<int>(d);
  return end_value_ > start_value_ ? start_value_ + step : start_value_ - step;
}

}  // namespace ui
