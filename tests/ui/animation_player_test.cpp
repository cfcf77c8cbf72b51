#include "ui/animation_player.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/clock/fake_clock.h"
#include "ui/timer_manager.h"

namespace ui {
namespace {

class AnimationPlayerTest : public ::testing::Test {
 protected:
  void TearDown() override { TimerManager::GetInstance()->Shutdown(); }

  void Advance(int ms) {
    clock_.Advance(int64_t{ms} * 1000);
    TimerManager::GetInstance()->Poll();
  }

  // A player of the hot fade: 0 to 255 in 250 ms, ratios 0.3 and 0.7.
  void MakeHotFade() {
    player_.SetStartValue(0);
    player_.SetEndValue(255);
    player_.SetTotalMillSeconds(250);
    player_.SetSpeedUpRatio(0.3);
    player_.SetSpeedDownRatio(0.7);
    player_.SetCallback([this](int value) { values_.push_back(value); });
    player_.SetCompleteCallback([this] { ++completions_; });
  }

  platform::ScopedFakeClock clock_;
  AnimationPlayer player_;
  std::vector<int> values_;
  int completions_ = 0;
};

TEST_F(AnimationPlayerTest, HotFadeCurveReachesTheEndOnTime) {
  MakeHotFade();
  player_.Play();
  EXPECT_DOUBLE_EQ(player_.speed_up_time(), 75);
  EXPECT_NEAR(player_.linear_time(), 0, 1e-9);
  EXPECT_DOUBLE_EQ(player_.slow_down_time(), 175);
  EXPECT_EQ(player_.GetPlayInterval(), 1);
  EXPECT_TRUE(player_.IsPlaying());
  for (int t = 0; t < 240 && completions_ == 0; t += 16) Advance(16);
  EXPECT_EQ(completions_, 0) << "still moving before 250 ms";
  Advance(16);
  EXPECT_EQ(completions_, 1);
  EXPECT_FALSE(player_.IsPlaying());
  ASSERT_FALSE(values_.empty());
  EXPECT_EQ(values_.back(), 255);
  for (size_t i = 1; i < values_.size(); ++i) EXPECT_GT(values_[i], values_[i - 1]);
  EXPECT_NEAR(values_[values_.size() / 2], 128, 100);
}

TEST_F(AnimationPlayerTest, CurvePointsMatchTheThreePhases) {
  MakeHotFade();
  player_.Play();
  Advance(75);  // end of the speed-up phase: A1 t1^2 = 255 x 0.3 (0.09 / 0.3)
  EXPECT_EQ(values_.back(), 76);
  Advance(100);  // 100 ms into the slow-down
  EXPECT_NEAR(values_.back(), 76 + 2.04 * 100 - 0.0058286 * 100 * 100, 1);
}

TEST_F(AnimationPlayerTest, StartEqualToEndCompletesWithoutATimer) {
  player_.SetStartValue(7);
  player_.SetEndValue(7);
  player_.SetTotalMillSeconds(100);
  player_.SetCallback([this](int value) { values_.push_back(value); });
  player_.SetCompleteCallback([this] { ++completions_; });
  player_.Play();
  EXPECT_EQ(completions_, 1);
  EXPECT_EQ(values_, std::vector<int>{7});
  EXPECT_EQ(TimerManager::GetInstance()->GetTaskCount(), 0u);
}

TEST_F(AnimationPlayerTest, CurvesThatCannotBeComputedCompleteAtOnce) {
  const struct {
    int total;
    double speed_up, slow_down, acceleration, linear_speed;
  } cases[] = {
      {0, 0.3, 0.7, 0, 0},     // no time
      {-1, 0, 0, 0, 0},        // derived from a speed of 0
      {-1, 0, 0, 0, -2},       // a negative speed
      {-1, 0.3, 0.7, 0, 0},    // derived with no acceleration: sqrt of D / 0
      {-1, 0.3, 0.7, -1, 0},   // a negative acceleration: sqrt of a negative
  };
  for (const auto& c : cases) {
    AnimationPlayer player;
    std::vector<int> values;
    int completions = 0;
    player.SetStartValue(0);
    player.SetEndValue(100);
    player.SetTotalMillSeconds(c.total);
    player.SetSpeedUpRatio(c.speed_up);
    player.SetSpeedDownRatio(c.slow_down);
    player.SetSpeedUpAcceleration(c.acceleration);
    player.SetLinearSpeed(c.linear_speed);
    player.SetCallback([&values](int value) { values.push_back(value); });
    player.SetCompleteCallback([&completions] { ++completions; });
    player.Play();
    EXPECT_EQ(completions, 1) << c.total << " " << c.speed_up;
    EXPECT_EQ(values, std::vector<int>{100});
    EXPECT_FALSE(player.IsPlaying());
  }
  EXPECT_EQ(TimerManager::GetInstance()->GetTaskCount(), 0u);
}

TEST_F(AnimationPlayerTest, DerivedTotalTimeIsCappedAtTheMaximum) {
  player_.SetStartValue(0);
  player_.SetEndValue(1000000);
  player_.SetSpeedUpRatio(0.3);
  player_.SetSpeedDownRatio(0.7);
  player_.SetSpeedUpAcceleration(1e-9);
  player_.SetCallback([this](int value) { values_.push_back(value); });
  player_.Play();
  EXPECT_EQ(player_.GetTotalMillSeconds(), AnimationPlayer::kMaxTotalMillSeconds);
  EXPECT_DOUBLE_EQ(player_.speed_up_time(), 300000);
}

TEST_F(AnimationPlayerTest, DerivedTotalFromTheAcceleration) {
  player_.SetStartValue(0);
  player_.SetEndValue(300);
  player_.SetSpeedUpRatio(0.3);
  player_.SetSpeedDownRatio(0.7);
  player_.SetSpeedUpAcceleration(0.00084);
  player_.SetCallback([this](int value) { values_.push_back(value); });
  player_.Play();
  // D = A1 T^2 (a^2 + a e): T = sqrt(300 / (0.00084 x 0.3)).
  EXPECT_EQ(player_.GetTotalMillSeconds(), 1091);
}

TEST_F(AnimationPlayerTest, PlayBackwardOnANewPlayerRunsTheWholeWayBack) {
  MakeHotFade();
  player_.PlayBackward();
  EXPECT_EQ(player_.GetStartValue(), 255);
  EXPECT_EQ(player_.GetEndValue(), 0);
  Advance(260);
  EXPECT_EQ(completions_, 1);
  EXPECT_EQ(values_.back(), 0);
}

TEST_F(AnimationPlayerTest, TurningAroundContinuesFromTheSamePoint) {
  MakeHotFade();
  player_.PlayForward();
  Advance(100);
  const int reached = values_.back();
  player_.PlayBackward();
  EXPECT_NEAR(player_.GetElapsedMillSeconds(), 150, 1e-6);
  Advance(16);
  EXPECT_LT(values_.back(), reached);
  EXPECT_EQ(completions_, 0);
  Advance(100);
  EXPECT_EQ(completions_, 1) << "the rest of the way back takes the forward run's 100 ms";
  EXPECT_EQ(values_.back(), 0);
}

}  // namespace
}  // namespace ui
