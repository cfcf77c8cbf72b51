// Labels: where the text comes from, the attributes, the size a label asks
// for, and the colours it paints in.
#include "ui/controls/label.h"

#include <gtest/gtest.h>

#include "tests/widgets/widget_fixture.h"
#include "ui/render/text_effect_gdiplus.h"

namespace ui::testing {
namespace {

class LabelTest : public WidgetTest {};

TEST_F(LabelTest, TextIdShowsTheLanguageTextUntilALiteralTextHidesIt) {
  LanguageTable::GetInstance().LoadFromMemory("STRING_TITLE=Start\n");
  Label label;
  label.SetAttribute(u"textid", u"STRING_TITLE");
  EXPECT_EQ(label.GetText(), u"Start");
  LanguageTable::GetInstance().LoadFromMemory("STRING_TITLE=Starten\n");
  EXPECT_EQ(label.GetText(), u"Starten") << "follows the language";
  label.SetText(u"x");
  EXPECT_EQ(label.GetText(), u"x");
  EXPECT_EQ(label.GetTextId(), u"STRING_TITLE");
  label.SetTextId(u"STRING_TITLE", true);
  EXPECT_EQ(label.GetText(), u"Starten");
  label.SetTextId(u"STRING_MISSING");
  EXPECT_EQ(label.GetText(), u"");
}

TEST_F(LabelTest, TextIdLabelPaintsTheTableText) {
  Label label;
  label.SetAttribute(u"font", u"title_24");
  label.SetAttribute(u"textid", u"STRING_T");
  label.SetPos(UiRect{0, 0, 300, 40});
  LanguageTable::GetInstance().LoadFromMemory("STRING_T=i\n");
  Paint(label);
  const int narrow = InkBounds(UiRect{0, 0, 300, 40}).Width();
  LanguageTable::GetInstance().LoadFromMemory("STRING_T=WWWW\n");
  Paint(label);
  const int wide = InkBounds(UiRect{0, 0, 300, 40}).Width();
  EXPECT_GT(narrow, 0);
  EXPECT_GT(wide, 4 * narrow);
}

TEST_F(LabelTest, AlignWordsSetTheStyle) {
  struct Case {
    const char16_t* value;
    uint32_t style;
  };
  const uint32_t base = DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS;
  const Case cases[] = {
      {u"center", base | DT_CENTER},
      {u"right", (base & ~DT_SINGLELINE) | DT_RIGHT},
      {u"hcenter,vcenter", base | DT_CENTER | DT_VCENTER},
      // "center" is found inside "vcenter": both ways centred.
      {u"left vcenter", base | DT_CENTER | DT_VCENTER},
      {u"right bottom", (base & ~DT_SINGLELINE) | DT_RIGHT | DT_BOTTOM | DT_SINGLELINE},
      {u"left top", base},
  };
  for (const Case& c : cases) {
    Label label;
    label.SetAttribute(u"align", c.value);
    EXPECT_EQ(label.GetTextStyle(), c.style) << std::u16string(c.value).size();
  }
}

TEST_F(LabelTest, AlignmentPlacesThePaintedText) {
  const UiRect pos{0, 0, 300, 60};
  struct Case {
    const char16_t* align;
    bool at_left;
    bool at_right;
  };
  const Case cases[] = {{u"left", true, false}, {u"right", false, true}, {u"center", false, false}};
  for (const Case& c : cases) {
    Label label;
    label.SetAttribute(u"align", c.align);
    label.SetText(u"Hi");
    label.SetPos(pos);
    Paint(label);
    const UiRect ink = InkBounds(pos);
    EXPECT_EQ(ink.left < 10, c.at_left);
    EXPECT_EQ(ink.right > 290, c.at_right);
    if (!c.at_left && !c.at_right) {
      EXPECT_NEAR(ink.left + ink.right, 300, 6);
    }
  }
}

TEST_F(LabelTest, EllipsisEndsALongTextInsideItsWidth) {
  // Without the ellipsis the text is cut at the control's edge; with it the
  // text stops short and ends in dots, which sit low on the line.
  const std::u16string text = u"Tall letters Tall letters Tall letters";
  UiRect ink[2];
  for (bool ellipsis : {false, true}) {
    Label label;
    label.SetAttribute(u"endellipsis", ellipsis ? u"true" : u"false");
    EXPECT_EQ((label.GetTextStyle() & DT_END_ELLIPSIS) != 0, ellipsis);
    label.SetText(text);
    label.SetPos(UiRect{0, 0, 100, 30});
    Paint(label);
    ink[ellipsis] = InkBounds(UiRect{0, 0, kCanvasWidth, kCanvasHeight});
    EXPECT_LE(ink[ellipsis].right, 100);
  }
  EXPECT_GE(ink[0].right, 98) << "cut at the edge";
  const UiRect& dotted = ink[1];
  const UiRect tail{dotted.right - 3, 0, dotted.right, 30};
  const UiRect tail_ink = InkBounds(tail);
  EXPECT_GT(tail_ink.top, dotted.top + 4) << "the last pixels are the dots near the baseline";
}

TEST_F(LabelTest, AutoSizeFollowsTheText) {
  Window window;
  Box* root = new Box();
  Label* label = new Label();
  root->Add(label);
  window.AttachRoot(root);
  label->SetAttribute(u"textpadding", u"4,2,6,3");
  label->SetText(u"Hi");
  const UiSize short_size = label->EstimateSize(UiSize{400, 100});
  label->SetText(u"Hi there, everyone");
  const UiSize long_size = label->EstimateSize(UiSize{400, 100});
  EXPECT_GT(short_size.cx, 10);
  EXPECT_GT(long_size.cx, 3 * short_size.cx);
  EXPECT_EQ(long_size.cy, short_size.cy);
  EXPECT_GT(short_size.cy, 5 + 10);
  label->SetText(u"");
  EXPECT_EQ(label->EstimateSize(UiSize{400, 100}), (UiSize{0, 0}));

  // A spacing adds to every character (the effect attributes do not
  // re-arrange: the next estimate shows it).
  label->SetText(u"abc");
  bool again = false;
  const int plain = label->EstimateText(UiSize{400, 100}, &again).cx;
  label->SetAttribute(u"gradient_text", u"red,blue,0.3,0.3,5");
  EXPECT_EQ(label->EstimateText(UiSize{400, 100}, &again).cx, plain + 15);
}

TEST_F(LabelTest, MultiLineAutoSizeWrapsAtTheRoomWhenItsMaximumStretches) {
  Label label;
  label.SetAttribute(u"singleline", u"false");
  label.SetAttribute(u"maxwidth", u"stretch");
  label.SetText(u"one two three four five six seven eight nine ten");
  bool again = false;
  const UiSize size = label.EstimateText(UiSize{120, 500}, &again);
  EXPECT_TRUE(again);
  EXPECT_LE(size.cx, 120);
  EXPECT_GT(size.cy, 40) << "wrapped onto several lines";
}

TEST_F(LabelTest, EstimatingWithoutAWindowMeasuresWithItsOwnContext) {
  Label label;  // no window, so no window render context
  label.SetText(u"Hello");
  const UiSize size = label.EstimateSize(UiSize{400, 100});
  EXPECT_GT(size.cx, 20);
  EXPECT_GT(size.cy, 10);
}

TEST_F(LabelTest, StateColoursPickTheTextColour) {
  struct Case {
    ControlState state;
    const char16_t* normal;
    const char16_t* hot;
    const char16_t* pushed;
    const char16_t* disabled;
    uint32_t expected;
  };
  const Case cases[] = {
      {kControlStateNormal, u"red", u"", u"", u"", kRed},
      {kControlStateHot, u"red", u"", u"", u"", kRed},          // no hot colour: normal
      {kControlStatePushed, u"red", u"", u"blue", u"", kBlue},
      {kControlStateDisabled, u"red", u"", u"", u"green", kGreen},
      {kControlStateDisabled, u"red", u"", u"", u"", kRed},     // no disabled colour: normal
  };
  for (const Case& c : cases) {
    Label label;
    label.SetAttribute(u"font", u"title_24");
    label.SetStateTextColor(kControlStateNormal, c.normal);
    if (*c.pushed) label.SetStateTextColor(kControlStatePushed, c.pushed);
    label.SetStateTextColor(kControlStateDisabled, c.disabled);
    label.SetText(u"\u2588\u2588");
    label.SetPos(UiRect{0, 0, 200, 40});
    label.SetState(c.state);
    Paint(label);
    EXPECT_GT(CountColour(UiRect{0, 0, 200, 40}, c.expected & 0xFEFEFEFE), 0)
        << "state " << c.state;
  }
}

TEST_F(LabelTest, HotColourFadesInOverTheNormalColour) {
  Label label;
  label.SetAttribute(u"font", u"title_24");
  label.SetAttribute(u"normaltextcolor", u"red");
  label.SetAttribute(u"hottextcolor", u"blue");
  EXPECT_TRUE(label.HasHotState());
  label.SetText(u"\u2588\u2588");
  label.SetPos(UiRect{0, 0, 200, 40});
  label.SetState(kControlStateHot);
  label.SetHotAlpha(0);
  Paint(label);
  const UiRect ink = InkBounds(UiRect{0, 0, 200, 40});
  const int x = (ink.left + ink.right) / 2;
  const int y = (ink.top + ink.bottom) / 2;
  EXPECT_EQ(At(x, y), 0xFEFE0000u) << "hot alpha 0: the normal colour";
  label.SetHotAlpha(255);
  Paint(label);
  EXPECT_EQ(At(x, y) & 0xFF, 0xFEu) << "hot alpha 255: the hot colour over it";
  EXPECT_LT((At(x, y) >> 16) & 0xFF, 0x08u);
  label.SetHotAlpha(128);
  Paint(label);
  const uint32_t mixed = At(x, y);
  EXPECT_GT((mixed >> 16) & 0xFF, 0x40u);
  EXPECT_GT(mixed & 0xFF, 0x40u);
}

TEST_F(LabelTest, GradientAttributesWithTooFewPartsAreIgnored) {
  Label label;
  label.SetAttribute(u"gradient_text", u"red,blue,0.3");
  label.SetAttribute(u"gradient_outline", u"red,blue");
  label.SetAttribute(u"gradient_text", u"");
  label.SetAttribute(u"gradient_outline", u"red");
  EXPECT_EQ(label.GetTextEffect(), nullptr);

  // Complete values make the effect; a fourth outline part "false" or "0"
  // turns the ramp's gradient off.
  struct Case {
    const char16_t* value;
    bool gradient;
  };
  const Case cases[] = {{u"red,blue,4", true}, {u"red,blue,4,true", true},
                        {u"red,blue,4,false", false}, {u"red,blue,4,0", false}};
  for (const Case& c : cases) {
    Label outlined;
    outlined.SetAttribute(u"gradient_outline", c.value);
    auto* effect = dynamic_cast<TextEffect_GdiPlus*>(outlined.GetTextEffect());
    ASSERT_NE(effect, nullptr);
    const std::vector<ARGB>& ramp = effect->GetOutlineRamp();
    ASSERT_EQ(ramp.size(), 4u);
    EXPECT_EQ(ramp[0] == kRed && ramp[1] == kRed, !c.gradient);
  }
  Label spaced;
  spaced.SetTextCharSpacing(4);  // no effect yet: lost
  spaced.SetAttribute(u"gradient_text", u"red,blue,0.3,0.3");
  EXPECT_EQ(spaced.GetTextEffect()->GetCharSpacing(), 0);
  spaced.SetAttribute(u"gradient_text", u"red,blue,0.3,0.3,6");
  EXPECT_EQ(spaced.GetTextEffect()->GetCharSpacing(), 6);
}

TEST_F(LabelTest, EffectLabelRedrawsItsPictureOnlyWhenItChanges) {
  Label label;
  label.SetAttribute(u"font", u"title_24");
  label.SetAttribute(u"gradient_outline", u"red,blue,4,false");
  label.SetAttribute(u"gradient_text", u"white,green,0.3,0.3");
  label.SetText(u"Title");
  label.SetPos(UiRect{0, 0, 200, 40});
  auto* effect = dynamic_cast<TextEffect_GdiPlus*>(label.GetTextEffect());
  ASSERT_NE(effect, nullptr);
  Paint(label);
  Paint(label);
  EXPECT_EQ(effect->GetPictureBuildCount(), 1);
  EXPECT_GT(CountColour(UiRect{0, 0, 200, 40}, kBlue), 0) << "outline drawn";
  label.SetText(u"Other");
  Paint(label);
  EXPECT_EQ(effect->GetPictureBuildCount(), 2);
}

TEST_F(LabelTest, BoxFormStretchesAndTheControlFormSizesToItsText) {
  LabelBox box;
  EXPECT_EQ(box.GetFixedWidth(), kSizeStretch);
  EXPECT_EQ(box.GetFixedHeight(), kSizeStretch);
  Label label;
  EXPECT_EQ(label.GetFixedWidth(), kSizeAuto);
  EXPECT_EQ(label.GetFixedHeight(), kSizeAuto);
}

}  // namespace
}  // namespace ui::testing
