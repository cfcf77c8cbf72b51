#include <gtest/gtest.h>

#include <string>

#include "tests/ui/control_tree_fixture.h"
#include "ui/animation_manager.h"
#include "ui/string_util.h"
#include "ui/vbox.h"

namespace ui {
namespace {

using testing::ControlTreeTest;

class ControlAttributeTest : public ControlTreeTest {};

TEST_F(ControlAttributeTest, NewControlDefaultsAndPlainSetters) {
  Control control;
  EXPECT_TRUE(control.IsEnabled());
  EXPECT_TRUE(control.IsMouseEnabled());
  EXPECT_TRUE(control.IsKeyboardEnabled());
  EXPECT_TRUE(control.IsVisible());
  EXPECT_EQ(control.GetState(), kControlStateNormal);
  EXPECT_EQ(control.GetCursorType(), kCursorArrow);
  EXPECT_EQ(control.GetAlpha(), 255);
  EXPECT_EQ(control.GetToolTipWidth(), 300);
  EXPECT_EQ(control.GetChannel(), u"AppStore");
  EXPECT_EQ(control.GetMaxWidth(), 9999999);
  control.SetToolTipText(u"a<n>b");
  EXPECT_EQ(control.GetToolTipText(), u"a\r\nb");
  control.SetState(kControlStateHot);
  control.SetHotAlpha(200);
  control.SetEnabled(false);
  EXPECT_EQ(control.GetState(), kControlStateDisabled);
  control.SetEnabled(true);
  EXPECT_EQ(control.GetState(), kControlStateNormal);
  EXPECT_EQ(control.GetHotAlpha(), 0);
}

TEST_F(ControlAttributeTest, WidthValues) {
  struct Case {
    const char16_t* value;
    int scale;
    int expected;
  };
  const Case cases[] = {
      {u"-3", 100, 7},       // below -2: ignored, the earlier width stays
      {u"auto", 100, -2},
      {u"stretch", 100, -1},
      {u"100", 100, 100},
      {u"100", 125, 125},    // DPI-scaled
      {u"-2", 125, -2},      // never scaled
      {u"abc", 100, 0},      // not a number: 0
  };
  for (const Case& c : cases) {
    SetScale(c.scale);
    Control control;
    control.SetFixedWidth(7, false, false);
    control.SetAttribute(u"width", c.value);
    control.SetAttribute(u"height", c.value);
    EXPECT_EQ(control.GetFixedWidth(), c.expected) << Utf16ToUtf8(c.value);
    EXPECT_EQ(control.GetFixedHeight(), c.expected == 7 ? -1 : c.expected);
  }
}

TEST_F(ControlAttributeTest, AutoWidthMarksTheEstimateStale) {
  Control control;
  control.EstimateSize(UiSize{100, 100});
  control.SetReEstimateSize(false);
  control.SetAttribute(u"width", u"auto");
  EXPECT_TRUE(control.IsReEstimateSize());
}

TEST_F(ControlAttributeTest, OneBorderSizeAgainstFour) {
  Control control;
  control.SetAttribute(u"bordersize", u"1,2,3,4");
  EXPECT_EQ(control.GetBorderSizes(), (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(control.GetBorderSize(), 0) << "four sizes leave the uniform size alone";
  control.SetAttribute(u"bordersize", u"2");
  EXPECT_EQ(control.GetBorderSize(), 2);
  EXPECT_EQ(control.GetBorderSizes(), (UiRect{})) << "one size clears the per-side sizes";
  SetScale(150);
  control.SetAttribute(u"bordersize", u"2,2,2,2");
  // Scaled as a rectangle: right and bottom follow the scaled left and top.
  EXPECT_EQ(control.GetBorderSizes(), (UiRect{3, 3, 3, 3}));
}

TEST_F(ControlAttributeTest, StateSetsTheLookOnly) {
  Control control;
  control.SetAttribute(u"state", u"disabled");
  EXPECT_EQ(control.GetState(), kControlStateDisabled);
  EXPECT_TRUE(control.IsEnabled()) << "the state attribute does not disable";
  control.SetAttribute(u"state", u"hot");
  EXPECT_EQ(control.GetState(), kControlStateHot);
  EXPECT_EQ(control.GetHotAlpha(), 255);
  control.SetAttribute(u"state", u"Normal");  // not a state name: ignored
  EXPECT_EQ(control.GetState(), kControlStateHot);
  control.SetAttribute(u"state", u"normal");
  EXPECT_EQ(control.GetHotAlpha(), 0);
}

TEST_F(ControlAttributeTest, NoFocusWhateverItsValue) {
  Window window;
  Box* root = new Box();
  Control* plain = new Control();
  Control* unfocusable = new Control();
  unfocusable->SetAttribute(u"nofocus", u"false");
  root->Add(plain);
  root->Add(unfocusable);
  window.AttachRoot(root);
  unfocusable->SetFocus();
  EXPECT_EQ(window.GetFocus(), nullptr);
  EXPECT_FALSE(unfocusable->IsFocused());
  plain->SetFocus();
  EXPECT_EQ(window.GetFocus(), plain);
  EXPECT_TRUE(plain->IsFocused());
}

TEST_F(ControlAttributeTest, HotImageTurnsTheHotFadeOn) {
  Control control;
  EXPECT_EQ(control.GetAnimationManager().GetAnimationPlayer(kAnimationHot), nullptr);
  EXPECT_FALSE(control.HasHotState());
  control.SetAttribute(u"hotimage", u"file='hot.png'");
  AnimationPlayer* hot = control.GetAnimationManager().GetAnimationPlayer(kAnimationHot);
  ASSERT_NE(hot, nullptr);
  EXPECT_EQ(hot->GetStartValue(), 0);
  EXPECT_EQ(hot->GetEndValue(), 255);
  EXPECT_EQ(hot->GetTotalMillSeconds(), 250);
  EXPECT_TRUE(control.HasHotState());
  Control colored;
  colored.SetAttribute(u"hotcolor", u"blue");
  EXPECT_NE(colored.GetAnimationManager().GetAnimationPlayer(kAnimationHot), nullptr);
}

TEST_F(ControlAttributeTest, ChannelHidesWhenTheCurrentOneIsMissing) {
  struct Case {
    const char16_t* channels;
    bool visible;
  };
  const Case cases[] = {
      {u"AppStore", true},
      {u"KOREA  AppStore", true},
      {u"KOREA", false},
      {u"", false},
      {u"appstore", false},  // exact names
  };
  for (const Case& c : cases) {
    Control control;
    control.SetAttribute(u"channel", c.channels);
    EXPECT_EQ(control.IsVisible(), c.visible) << Utf16ToUtf8(c.channels);
    EXPECT_EQ(control.GetChannel(), c.channels);
  }
}

TEST_F(ControlAttributeTest, AlphaIsClamped) {
  struct Case {
    const char16_t* value;
    int expected;
  };
  const Case cases[] = {{u"128", 128}, {u"300", 255}, {u"-5", 0}, {u"0", 0}, {u"255", 255}};
  for (const Case& c : cases) {
    Control control;
    control.SetAttribute(u"alpha", c.value);
    EXPECT_EQ(control.GetAlpha(), c.expected);
  }
}

TEST_F(ControlAttributeTest, UnknownNamesChangeNothing) {
  Control control;
  control.SetAttribute(u"Width", u"10");
  control.SetAttribute(u"nosuchthing", u"true");
  EXPECT_EQ(control.GetFixedWidth(), -1);
  EXPECT_TRUE(control.IsVisible());
  EXPECT_TRUE(control.IsEnabled());
}

TEST_F(ControlAttributeTest, MarginAndAlignment) {
  SetScale(200);
  Control control;
  // The missing bottom counts as 0; the four are scaled as a rectangle.
  control.SetAttribute(u"margin", u"1,2,3");
  EXPECT_EQ(control.GetMargin(), (UiRect{2, 4, 6, 0}));
  control.SetAttribute(u"halign", u"right");
  control.SetAttribute(u"valign", u"middle");  // not a value: ignored
  EXPECT_EQ(control.GetHorAlignType(), kHorAlignRight);
  EXPECT_EQ(control.GetVerAlignType(), kVerAlignTop);
}

TEST_F(ControlAttributeTest, AttributeLists) {
  struct Case {
    const char16_t* list;
    const char16_t* name;
    const char16_t* data_id;
  };
  const Case cases[] = {
      {u"name=\"a\" dataid='b'", u"a", u"b"},
      {u"dataid='say \"hi\"' name=\"n\"", u"n", u"say \"hi\""},  // the other quote inside
      {u"dataid=\"it's\"", u"", u"it's"},
      {u"name=\"a\"  dataid=\"b\"", u"a", u""},   // two blanks end the list
      {u"name=\"a\" dataid=\"b", u"a", u""},      // no closing quote: not applied
      {u"name=a dataid=\"b\"", u"", u""},         // no quote after "="
      {u" name=\"a\"", u"", u""},                 // nothing may precede a name
      {u"name=\"a\",dataid=\"b\"", u"a", u""},    // pairs are separated by one blank
      {u"name=\"a\" ", u"a", u""},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    Control control;
    control.ApplyAttributeList(c.list);
    EXPECT_EQ(control.GetName(), c.name) << Utf16ToUtf8(c.list);
    EXPECT_EQ(control.GetDataId(), c.data_id) << Utf16ToUtf8(c.list);
  }
}

TEST_F(ControlAttributeTest, ClassesThatIncludeThemselvesEnd) {
  GlobalManager::AddClass(u"self", u"class=\"self\" dataid=\"applied\"");
  GlobalManager::AddClass(u"ping", u"class=\"pong\" width=\"10\"");
  GlobalManager::AddClass(u"pong", u"class=\"ping\" height=\"20\"");
  Control control;
  control.SetAttribute(u"class", u"self");
  EXPECT_EQ(control.GetDataId(), u"applied");
  control.SetClass(u"ping");
  EXPECT_EQ(control.GetFixedWidth(), 10);
  EXPECT_EQ(control.GetFixedHeight(), 20);
  // A class may still be applied again once its own application has ended.
  GlobalManager::AddClass(u"twice", u"class=\"self\" class=\"self\"");
  Control other;
  other.SetClass(u"twice self");
  EXPECT_EQ(other.GetDataId(), u"applied");
}

TEST_F(ControlAttributeTest, GlobalClassWinsOverTheWindowsOwn) {
  Window window;
  window.AddClass(u"both", u"dataid=\"window\"");
  window.AddClass(u"mine", u"dataid=\"window only\"");
  GlobalManager::AddClass(u"both", u"dataid=\"global\"");
  Box* root = new Box();
  Control* control = new Control();
  root->Add(control);
  window.AttachRoot(root);
  control->SetClass(u"both");
  EXPECT_EQ(control->GetDataId(), u"global");
  control->SetClass(u"mine");
  EXPECT_EQ(control->GetDataId(), u"window only");
  Control orphan;  // no window: window classes are out of reach
  orphan.SetClass(u"mine");
  EXPECT_EQ(orphan.GetDataId(), u"");
}

TEST_F(ControlAttributeTest, EventActionFindsReceiversBelowOrInTheWindow) {
  Window window;
  Box* root = new Box();
  Box* panel = new Box();
  Control* inner = new Control();
  inner->SetName(u"target");
  Control* outer = new Control();
  outer->SetName(u"target");
  panel->Add(inner);
  root->Add(outer);
  root->Add(panel);
  window.AttachRoot(root);
  EXPECT_TRUE(panel->OnApplyAttributeList(u"./target", u"dataid=\"below\"", nullptr));
  EXPECT_EQ(inner->GetDataId(), u"below");
  EXPECT_EQ(outer->GetDataId(), u"");
  EXPECT_TRUE(root->OnApplyAttributeList(u"nobody", u"dataid=\"x\"", nullptr));
}

}  // namespace
}  // namespace ui
