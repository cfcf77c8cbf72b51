#include "ui/animation_player_base.h"

#include <cstdlib>
#include <utility>

#include "platform/clock/clock.h"
#include "ui/timer_manager.h"

namespace ui {

namespace {

constexpr int64_t kCounterFrequency = 1000000;  // the clock counts microseconds

}  // namespace

AnimationPlayerBase::AnimationPlayerBase() { AnimationPlayerBase::Reset(); }

AnimationPlayerBase::~AnimationPlayerBase() { weak_flag_.Cancel(); }

void AnimationPlayerBase::Reset() {
  start_value_ = 0;
  end_value_ = 0;
  current_value_ = 0;
  total_millsec_ = -1;
  elapsed_millsec_ = 0;
  play_interval_ = 0;
  playing_ = false;
  reverse_ = false;
  play_callback_ = nullptr;
  complete_callback_ = nullptr;
  current_time_ = 0;
  timer_frequency_ = 0;
}

void AnimationPlayerBase::Restart() {
  weak_flag_.Cancel();
  elapsed_millsec_ = 0;
  reverse_ = false;
  Play();
}

void AnimationPlayerBase::Pause() {
  weak_flag_.Cancel();
  playing_ = false;
}

void AnimationPlayerBase::Stop() {
  weak_flag_.Cancel();
  Reset();
}

void AnimationPlayerBase::TurnAround() {
  std::swap(start_value_, end_value_);
  current_value_ = start_value_;
  elapsed_millsec_ = total_millsec_ - elapsed_millsec_;
  if (elapsed_millsec_ < 0) elapsed_millsec_ = 0;
}

void AnimationPlayerBase::PlayForward() {
  weak_flag_.Cancel();
  if (reverse_) TurnAround();
  reverse_ = false;
  Play();
  first_run_ = false;
}

void AnimationPlayerBase::PlayBackward() {
  weak_flag_.Cancel();
  if (!reverse_) TurnAround();
  // A player never played runs the whole way back.
  if (first_run_) elapsed_millsec_ = 0;
  reverse_ = true;
  Play();
  first_run_ = false;
}

void AnimationPlayerBase::Play() {
  timer_frequency_ = kCounterFrequency;
  current_time_ = platform::NowMicroseconds();
  playing_ = true;
  if (start_value_ == end_value_) {
    if (play_callback_) play_callback_(end_value_);
    Complete();
    return;
  }
  const int distance = std::abs(end_value_ - start_value_);
  play_interval_ = total_millsec_ > 0 ? total_millsec_ / distance : 0;
  if (play_interval_ < 1) play_interval_ = 1;
  Step();
  // A step that already reached the end leaves no timer behind.
  if (!playing_) return;
  TimerManager::GetInstance()->AddTimer(weak_flag_.GetWeakFlag(), WrapWeak([this] { Step(); }),
                                        static_cast<uint32_t>(play_interval_), -1);
}

void AnimationPlayerBase::Step() {
  const int64_t now = platform::NowMicroseconds();
  elapsed_millsec_ += static_cast<double>(now - current_time_) * 1000.0 / timer_frequency_;
  current_time_ = now;
  const int value = GetCurrentValue();
  if (!play_callback_) return;
  const bool reached = (start_value_ < end_value_ && value >= end_value_) ||
                       (start_value_ > end_value_ && value <= end_value_);
  if (reached) {
    play_callback_(end_value_);
    Complete();
    return;
  }
  if (value != current_value_) play_callback_(value);
  current_value_ = value;
}

void AnimationPlayerBase::Complete() {
  // The timer stops before the completion callback runs, so a callback that
  // plays the player again keeps its new timer.
  weak_flag_.Cancel();
  playing_ = false;
  current_value_ = end_value_;
  if (complete_callback_) {
    CompleteCallback callback = complete_callback_;
    callback();
  }
}

}  // namespace ui
