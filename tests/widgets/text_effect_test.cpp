// The text effect drawn on our own surface: the outline ramp, the outline
// around the fill, the repeating diagonal gradient, spacing, and the picture
// that is drawn once and copied while nothing changes.
#include "ui/render/text_effect_gdiplus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "tests/widgets/widget_fixture.h"

namespace ui::testing {
namespace {

class TextEffectTest : public WidgetTest {
 protected:
  void Draw(TextEffect_GdiPlus& effect, const UiRect& rect, const std::u16string& text,
            ARGB colour = kGreen, const std::u16string& font = u"title_24",
            uint32_t style = DT_SINGLELINE | DT_NOCLIP) {
    canvas_->DrawEffectText(rect, text, colour, font, style, &effect);
  }
  std::vector<uint8_t> Pixels() {
    const uint8_t* bits = canvas_->GetBits();
    return std::vector<uint8_t>(bits, bits + kCanvasWidth * kCanvasHeight * 4);
  }
  static bool Near(uint32_t a, uint32_t b, int tolerance = 3) {
    for (int shift : {24, 16, 8, 0}) {
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
          tolerance) {
        return false;
      }
    }
    return true;
  }
};

TEST_F(TextEffectTest, OutlineRampFromTheNarrowestPenToTheWidest) {
  TextEffect_GdiPlus effect;
  effect.SetOutline(kRed, kBlue, 4, false);
  EXPECT_EQ(effect.GetOutlineRamp(), (std::vector<ARGB>{kRed, kRed, kBlue, kBlue}));
  effect.SetOutline(kRed, kBlue, 0, false);
  EXPECT_TRUE(effect.GetOutlineRamp().empty());

  effect.SetOutline(0x80FF0000, 0x800000FF, 4, true);
  const std::vector<ARGB>& ramp = effect.GetOutlineRamp();
  ASSERT_EQ(ramp.size(), 4u);
  for (size_t i = 0; i < ramp.size(); ++i) {
    EXPECT_EQ(ramp[i] >> 24, 0xFFu) << "the ramp is opaque";
    if (i > 0) {
      EXPECT_LT((ramp[i] >> 16) & 0xFF, (ramp[i - 1] >> 16) & 0xFF) << "red falls";
      EXPECT_GT(ramp[i] & 0xFF, ramp[i - 1] & 0xFF) << "blue rises";
    }
  }
}

TEST_F(TextEffectTest, OutlineWidthIsBounded) {
  TextEffect_GdiPlus effect;
  effect.SetOutline(kRed, kBlue, 1000000, true);
  EXPECT_EQ(effect.GetOutlineRamp().size(), size_t{TextEffect_GdiPlus::kMaxOutlineWidth});
  Draw(effect, UiRect{20, 20, 300, 80}, u"H");  // draws in bounded time and memory
  EXPECT_GT(CountColour(UiRect{0, 0, kCanvasWidth, kCanvasHeight}, kGreen), 0);
}

TEST_F(TextEffectTest, OutlineSurroundsTheFill) {
  const UiRect rect{40, 40, 300, 100};
  TextEffect_GdiPlus plain;
  plain.SetOutline(kRed, kBlue, 0, false);  // outline on, but no pens
  canvas_->Clear();
  Draw(plain, rect, u"H");
  const UiRect fill_ink = InkBounds(UiRect{0, 0, kCanvasWidth, kCanvasHeight});
  ASSERT_LT(fill_ink.left, fill_ink.right);

  TextEffect_GdiPlus outlined;
  outlined.SetOutline(kRed, kBlue, 4, false);  // pens 4 and 3 blue, 2 and 1 red
  canvas_->Clear();
  Draw(outlined, rect, u"H");
  const UiRect ink = InkBounds(UiRect{0, 0, kCanvasWidth, kCanvasHeight});
  EXPECT_LE(ink.left, fill_ink.left - 1);
  EXPECT_LE(ink.top, fill_ink.top - 1);
  EXPECT_GE(ink.right, fill_ink.right + 1);
  EXPECT_GE(ink.bottom, fill_ink.bottom + 1);
  EXPECT_GT(CountColour(ink, kGreen), 0) << "the fill";
  EXPECT_GT(CountColour(ink, kBlue), 0) << "the wide pens";

  // Across the middle of the left stem: the outline colour comes before the
  // fill.
  const int y = (fill_ink.top + fill_ink.bottom) / 2 - 6;
  int x = ink.left;
  while (x < ink.right && AlphaAt(*canvas_, x, y) < 0xFF) ++x;
  ASSERT_LT(x, ink.right);
  EXPECT_EQ((At(x, y) >> 8) & 0xFF, 0u) << "red and blue pens only, no fill";
  while (x < ink.right && At(x, y) != kGreen) ++x;
  EXPECT_LT(x, ink.right) << "the fill follows inside";
}

TEST_F(TextEffectTest, GradientRunsDiagonallyAndRepeats) {
  TextEffect_GdiPlus effect;
  // A 60 x 12 gradient rectangle (0.3 of 200 x 40), repeated.
  effect.SetTextGradient(kRed, kBlue, 0.3f, 0.3f);
  std::u16string blocks(16, u'\u2588');
  Draw(effect, UiRect{0, 0, 200, 40}, blocks);
  ASSERT_EQ(AlphaAt(*canvas_, 20, 20), 0xFF);
  ASSERT_EQ(AlphaAt(*canvas_, 140, 20), 0xFF);
  // The colour repeats every two gradient widths along a row...
  EXPECT_TRUE(Near(At(20, 20), At(140, 20))) << std::hex << At(20, 20) << " " << At(140, 20);
  // ...is the same along the other diagonal of the gradient rectangle...
  EXPECT_TRUE(Near(At(20, 20), At(80, 8))) << std::hex << At(20, 20) << " " << At(80, 8);
  // ...and changes along the rows in between.
  EXPECT_FALSE(Near(At(20, 20), At(50, 20), 20)) << std::hex << At(20, 20) << " " << At(50, 20);
  for (int x : {20, 50, 80}) {
    const uint32_t pixel = At(x, 20);
    EXPECT_EQ((pixel >> 8) & 0xFF, 0u) << "only red and blue mix, at x " << x;
  }
}

TEST_F(TextEffectTest, PictureIsDrawnOnceAndCopiedUntilSomethingChanges) {
  TextEffect_GdiPlus effect;
  effect.SetOutline(kRed, kBlue, 3, true);
  effect.SetTextGradient(kWhite, kGreen, 0.3f, 0.3f);
  canvas_->Clear();
  Draw(effect, UiRect{10, 10, 210, 60}, u"Launcher");
  EXPECT_EQ(effect.GetPictureBuildCount(), 1);
  const std::vector<uint8_t> first = Pixels();

  canvas_->Clear();
  Draw(effect, UiRect{10, 10, 210, 60}, u"Launcher");
  EXPECT_EQ(effect.GetPictureBuildCount(), 1);
  EXPECT_EQ(Pixels(), first) << "the copy shows what the drawing showed";

  // Moved, same size: copied to the new place.
  canvas_->Clear();
  Draw(effect, UiRect{30, 70, 230, 120}, u"Launcher");
  EXPECT_EQ(effect.GetPictureBuildCount(), 1);
  EXPECT_EQ(InkBounds(UiRect{0, 0, kCanvasWidth, 60}).right, -1) << "nothing at the old place";
  EXPECT_GE(InkBounds(UiRect{0, 60, kCanvasWidth, kCanvasHeight}).left, 30);

  struct Change {
    const char* what;
    std::function<void()> apply;
  };
  UiRect rect{10, 10, 210, 60};
  std::u16string text = u"Launcher";
  std::u16string font = u"title_24";
  const Change changes[] = {
      {"text", [&] { text = u"Settings"; }},
      {"font", [&] { font = u"text_14"; }},
      {"size", [&] { rect.right += 20; }},
      {"outline", [&] { effect.SetOutline(kRed, kBlue, 2, false); }},
      {"gradient", [&] { effect.SetTextGradient(kRed, kGreen, 0.5f, 0.5f); }},
      {"spacing", [&] { effect.SetCharSpacing(3); }},
  };
  int builds = effect.GetPictureBuildCount();
  for (const Change& change : changes) {
    change.apply();
    Draw(effect, rect, text, kGreen, font);
    EXPECT_EQ(effect.GetPictureBuildCount(), ++builds) << change.what;
    Draw(effect, rect, text, kGreen, font);
    EXPECT_EQ(effect.GetPictureBuildCount(), builds) << change.what << ", drawn again";
  }
}

TEST_F(TextEffectTest, TwoPicturesAreKeptForALabelFadingBetweenTwoColours) {
  TextEffect_GdiPlus effect;
  effect.SetOutline(kRed, kBlue, 2, false);  // solid fill: the colour is part of the picture
  const UiRect rect{10, 10, 210, 60};
  for (int i = 0; i < 3; ++i) {
    Draw(effect, rect, u"Start", kGreen);
    Draw(effect, rect, u"Start", kWhite);
  }
  EXPECT_EQ(effect.GetPictureBuildCount(), 2);
  Draw(effect, rect, u"Start", kBlack);  // a third one replaces the older
  Draw(effect, rect, u"Start", kWhite);
  EXPECT_EQ(effect.GetPictureBuildCount(), 3);
  Draw(effect, rect, u"Start", kGreen);
  EXPECT_EQ(effect.GetPictureBuildCount(), 4);
}

TEST_F(TextEffectTest, SpacingWidensTheTextAndKeepsLines) {
  TextEffect_GdiPlus effect;
  effect.SetTextGradient(kRed, kBlue, 0.3f, 0.3f);
  const UiRect area{0, 0, kCanvasWidth, kCanvasHeight};
  canvas_->Clear();
  Draw(effect, UiRect{10, 10, 390, 190}, u"abcd", kGreen, u"text_14", DT_NOCLIP);
  const UiRect tight = InkBounds(area);

  effect.SetCharSpacing(10);
  canvas_->Clear();
  Draw(effect, UiRect{10, 10, 390, 190}, u"abcd", kGreen, u"text_14", DT_NOCLIP);
  const UiRect spaced = InkBounds(area);
  EXPECT_GE(spaced.Width() - tight.Width(), 3 * 10 - 3) << "three gaps of 10";
  EXPECT_EQ(spaced.left, 10 + (tight.left - 10)) << "placed from the left edge";

  // Two lines, the empty one between them dropped.
  canvas_->Clear();
  Draw(effect, UiRect{10, 10, 390, 190}, u"ab\n\ncd", kGreen, u"text_14", DT_NOCLIP);
  const UiRect two = InkBounds(area);
  EXPECT_GT(two.Height(), spaced.Height() + 8);
  EXPECT_LT(two.Height(), 3 * spaced.Height());

  // Right-aligned: the text ends at the right edge.
  canvas_->Clear();
  Draw(effect, UiRect{10, 10, 390, 190}, u"abcd", kGreen, u"text_14", DT_RIGHT | DT_NOCLIP);
  EXPECT_GE(InkBounds(area).right, 385);
  EXPECT_LE(InkBounds(area).right, 391);
}

// A word that is one cluster draws the same with or without spacing: its
// marks are not cut off and drawn on dotted circles of their own.
TEST_F(TextEffectTest, SpacingNeverSplitsAClusterOnScreen) {
  const std::u16string words[] = {
      u"\u0E2B\u0E34\u0E48",  // Thai letter, vowel and tone mark
      u"\u0E19\u0E49\u0E33",  // Thai letter, tone mark and SARA AM
      u"\u0644\u0627",        // lam-alef
      u"\u0628\u0628\u0628",  // three joined Arabic letters
  };
  const UiRect area{0, 0, kCanvasWidth, kCanvasHeight};
  for (const std::u16string& word : words) {
    int widths[2] = {0, 0};
    for (int spacing : {0, 12}) {
      TextEffect_GdiPlus effect;
      effect.SetTextGradient(kRed, kBlue, 0.3f, 0.3f);
      effect.SetCharSpacing(spacing);
      canvas_->Clear();
      Draw(effect, UiRect{10, 10, 390, 190}, word, kGreen, u"title_24", DT_NOCLIP);
      widths[spacing != 0] = InkBounds(area).Width();
    }
    EXPECT_GT(widths[0], 5);
    EXPECT_NEAR(widths[1], widths[0], 2) << "word of " << word.size() << " units";
  }
}

TEST_F(TextEffectTest, TextWithoutInkDrawsNothing) {
  TextEffect_GdiPlus effect;
  effect.SetOutline(kRed, kBlue, 2, false);
  Draw(effect, UiRect{10, 10, 200, 60}, u"   ");
  effect.SetCharSpacing(2);
  Draw(effect, UiRect{10, 10, 200, 60}, u" \n ");
  EXPECT_EQ(InkBounds(UiRect{0, 0, kCanvasWidth, kCanvasHeight}).right, -1);
}

}  // namespace
}  // namespace ui::testing
