// A value animated over time from a start to an end value: the player steps
// on the timer manager, hands each new value to its play callback, and calls
// its completion callback once the end is reached. It can pause, and turn
// around mid-way (PlayForward / PlayBackward continue from the mirrored
// point). How the value follows time is the derived player's curve.
#ifndef UI_ANIMATION_PLAYER_BASE_H_
#define UI_ANIMATION_PLAYER_BASE_H_

#include <cstdint>
#include <functional>

#include "base/callback/weak_callback.h"

namespace ui {

class AnimationPlayerBase : public virtual kbase::SupportWeakCallback {
 public:
  using PlayCallback = std::function<void(int)>;
  using CompleteCallback = std::function<void()>;

  AnimationPlayerBase();
  ~AnimationPlayerBase() override;

  virtual void Reset();
  virtual void Restart();
  virtual void Pause();
  virtual void PlayForward();
  virtual void PlayBackward();
  virtual void Play();
  virtual int GetCurrentValue() = 0;

  // Cancels the timer, then Reset.
  void Stop();

  void SetStartValue(int value) { start_value_ = value; }
  int GetStartValue() const { return start_value_; }
  void SetEndValue(int value) { end_value_ = value; }
  int GetEndValue() const { return end_value_; }
  void SetTotalMillSeconds(int total) { total_millsec_ = total; }
  int GetTotalMillSeconds() const { return total_millsec_; }
  void SetCallback(const PlayCallback& callback) { play_callback_ = callback; }
  void SetCompleteCallback(const CompleteCallback& callback) { complete_callback_ = callback; }
  bool IsPlaying() const { return playing_; }
  bool IsFirstRun() const { return first_run_; }
  void SetFirstRun(bool first_run) { first_run_ = first_run; }
  int GetPlayInterval() const { return play_interval_; }
  double GetElapsedMillSeconds() const { return elapsed_millsec_; }

 protected:
  // One step: elapsed time, the new value, the end test.
  void Step();
  void Complete();
  // Start and end change places; elapsed becomes the rest of the way.
  void TurnAround();

  int start_value_ = 0;
  int end_value_ = 0;
  int current_value_ = 0;
  int total_millsec_ = -1;
  double elapsed_millsec_ = 0;
  int play_interval_ = 0;
  bool first_run_ = true;
  bool playing_ = false;
  bool reverse_ = false;
  PlayCallback play_callback_;
  CompleteCallback complete_callback_;
  int64_t current_time_ = 0;
  int64_t timer_frequency_ = 0;
  kbase::WeakCallbackFlag weak_flag_;
};

}  // namespace ui

#endif  // UI_ANIMATION_PLAYER_BASE_H_
