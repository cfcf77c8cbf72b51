#include <gtest/gtest.h>

#include "tests/ui/control_tree_fixture.h"
#include "ui/animation_manager.h"

namespace ui {
namespace {

using testing::ControlTreeTest;

class AnimationManagerTest : public ControlTreeTest {};

TEST_F(AnimationManagerTest, DisappearHidesWhenTheFadeEnds) {
  Control control;
  control.SetAttribute(u"fadealpha", u"true");
  control.SetFadeVisible(false);
  EXPECT_TRUE(control.IsVisible()) << "still fading";
  Advance(100);
  EXPECT_TRUE(control.IsVisible());
  EXPECT_GT(control.GetAlpha(), 0);
  EXPECT_LT(control.GetAlpha(), 255);
  for (int i = 0; i < 20 && control.IsVisible(); ++i) Advance(16);
  EXPECT_FALSE(control.IsVisible());
  EXPECT_EQ(control.GetAlpha(), 0);
}

TEST_F(AnimationManagerTest, DisappearWithoutFadesHidesAtOnce) {
  Control control;
  control.SetAttribute(u"fadehot", u"true");  // the hot fade takes no part
  control.SetFadeVisible(false);
  EXPECT_FALSE(control.IsVisible());
}

TEST_F(AnimationManagerTest, AppearShowsAndFadesIn) {
  Control control;
  control.SetVisible(false);
  control.SetAttribute(u"fadealpha", u"true");
  control.SetFadeVisible(true);
  EXPECT_TRUE(control.IsVisible());
  Advance(50);
  EXPECT_LT(control.GetAlpha(), 255) << "played from 0";
  Advance(300);
  EXPECT_EQ(control.GetAlpha(), 255);
}

TEST_F(AnimationManagerTest, HotFadeFollowsTheMouse) {
  Control control;
  control.SetAttribute(u"hotcolor", u"blue");
  control.FireEvent(kEventMouseEnter);
  EXPECT_EQ(control.GetState(), kControlStateHot);
  Advance(300);
  EXPECT_EQ(control.GetHotAlpha(), 255);
  control.FireEvent(kEventMouseLeave);
  EXPECT_EQ(control.GetState(), kControlStateNormal);
  Advance(300);
  EXPECT_EQ(control.GetHotAlpha(), 0);
}

TEST_F(AnimationManagerTest, DeletedControlsPlayerStopsWithIt) {
  auto* control = new Control();
  control->SetAttribute(u"fadealpha", u"true");
  control->SetFadeVisible(false);
  delete control;
  Advance(300);  // nothing left to step: no use of the deleted control
  EXPECT_EQ(TimerManager::GetInstance()->GetTaskCount(), 0u);
}

TEST_F(AnimationManagerTest, SizeFadeGrowsToTheEstimate) {
  Control control;
  control.SetFixedWidth(40, false, false);
  control.SetFixedHeight(20, false);
  AnimationPlayer* player = control.GetAnimationManager().SetFadeWidth(true);
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->GetEndValue(), 40);
  control.SetFadeVisible(true);
  for (int i = 0; i < 200 && player->IsPlaying(); ++i) Advance(16);
  EXPECT_EQ(control.GetFixedWidth(), 40);
  EXPECT_EQ(control.GetAnimationManager().SetFadeWidth(false), nullptr);
  EXPECT_EQ(control.GetAnimationManager().GetAnimationPlayer(kAnimationWidth), nullptr);
}

}  // namespace
}  // namespace ui
