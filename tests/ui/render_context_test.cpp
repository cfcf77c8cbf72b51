#include "ui/render/render_context_gdiplus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/pixel_fixture.h"
#include "ui/dpi_manager.h"
#include "ui/font_settings.h"
#include "ui/global_manager.h"
#include "ui/image_info.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/render/text_layout.h"

namespace ui {
namespace {

using testing::AlphaAt;
using testing::GridPng;
using testing::PixelAt;

constexpr uint32_t kTopLeft = 0xFFFF0000, kTop = 0xFF00FF00, kTopRight = 0xFF0000FF;
constexpr uint32_t kLeft = 0xFFFFFF00, kCentre = 0xFFFFFFFF, kRight = 0xFF00FFFF;
constexpr uint32_t kBottomLeft = 0xFFFF00FF, kBottom = 0xFF808080, kBottomRight = 0xFF000000;

class RenderContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DpiManager::GetInstance()->SetAdaptDPI(false);
    DpiManager::GetInstance()->SetScaleFromDpi(96);
    context_ = factory_.CreateRenderContext();
    ASSERT_TRUE(context_->Resize(80, 60));
    context_->Clear();
  }
  void TearDown() override {
    context_.reset();
    TextLayout::ReleaseFontMap();
    DpiManager::GetInstance()->SetAdaptDPI(false);
    DpiManager::GetInstance()->SetScaleFromDpi(96);
  }

  // A 30 x 30 picture of nine 10 x 10 cells, one colour each.
  static std::unique_ptr<ImageInfo> NineColourImage() {
    return ImageInfo::FromBytes(GridPng(10, 3, 3,
                                        {kTopLeft, kTop, kTopRight, kLeft, kCentre, kRight,
                                         kBottomLeft, kBottom, kBottomRight}),
                                u"nine.png");
  }

  RenderFactory_GdiPlus factory_;
  std::unique_ptr<IRenderContext> context_;
};

TEST_F(RenderContextTest, NineGridPiecesLandExactlyAtScale100And150) {
  std::unique_ptr<ImageInfo> image = NineColourImage();
  ASSERT_NE(image, nullptr);
  for (int dpi : {96, 144}) {
    DpiManager::GetInstance()->SetAdaptDPI(dpi != 96);
    DpiManager::GetInstance()->SetScaleFromDpi(dpi);
    const int e = dpi == 96 ? 10 : 15;  // the destination insets
    context_->Clear();
    const UiRect dest{0, 0, 60, 50};
    context_->DrawImage(dest, image->GetBitmap(0), dest, UiRect{0, 0, 30, 30}, UiRect{10, 10, 10, 10});
    const struct {
      int x, y;
      uint32_t colour;
    } samples[] = {
        {0, 0, kTopLeft},         {e - 1, e - 1, kTopLeft},      {e, 0, kTop},
        {59 - e, e - 1, kTop},    {60 - e, 0, kTopRight},         {59, e - 1, kTopRight},
        {0, e, kLeft},            {e - 1, 49 - e, kLeft},         {e, e, kCentre},
        {59 - e, 49 - e, kCentre}, {60 - e, e, kRight},           {59, 49 - e, kRight},
        {0, 50 - e, kBottomLeft}, {e - 1, 49, kBottomLeft},       {e, 50 - e, kBottom},
        {59 - e, 49, kBottom},    {60 - e, 50 - e, kBottomRight}, {59, 49, kBottomRight},
    };
    for (const auto& s : samples) {
      EXPECT_EQ(PixelAt(*context_, s.x, s.y), s.colour) << "dpi " << dpi << " at " << s.x << "," << s.y;
    }
    EXPECT_EQ(PixelAt(*context_, 60, 0), 0u) << "nothing drawn beyond the destination";
  }
}

TEST_F(RenderContextTest, PaintRectInsideTopStripDrawsOnlyTheTopRow) {
  std::unique_ptr<ImageInfo> image = NineColourImage();
  context_->DrawImage(UiRect{0, 0, 60, 5}, image->GetBitmap(0), UiRect{0, 0, 60, 50},
                      UiRect{0, 0, 30, 30}, UiRect{10, 10, 10, 10});
  EXPECT_EQ(PixelAt(*context_, 0, 9), kTopLeft);
  EXPECT_EQ(PixelAt(*context_, 30, 9), kTop);
  EXPECT_EQ(PixelAt(*context_, 59, 9), kTopRight);
  EXPECT_EQ(PixelAt(*context_, 30, 20), 0u);
  EXPECT_EQ(PixelAt(*context_, 0, 20), 0u);
}

TEST_F(RenderContextTest, XTiledCentreRepeatsTheTileAndCutsTheLast) {
  // A 30 x 10 picture whose middle cell has ten columns of different red.
  std::vector<uint32_t> columns;
  for (int x = 0; x < 30; ++x) {
    columns.push_back(x >= 10 && x < 20 ? 0xFF000000u | (static_cast<uint32_t>(20 * (x - 10) + 10) << 16)
                                        : 0xFF0000FFu);
  }
  std::unique_ptr<ImageInfo> image = ImageInfo::FromBytes(GridPng(1, 30, 1, columns), u"strip.png");
  // Rows of 10 pixels repeated: the grid is one row, stretched to the height.
  ASSERT_NE(image, nullptr);
  const UiRect dest{0, 0, 45, 10};  // inner width 25
  context_->DrawImage(dest, image->GetBitmap(0), dest, UiRect{0, 0, 30, 1}, UiRect{10, 0, 10, 0}, 255,
                      true, false);
  for (int tile = 0; tile < 3; ++tile) {
    EXPECT_EQ(PixelAt(*context_, 10 + tile * 10, 5), columns[10]) << "tile " << tile;
  }
  EXPECT_EQ(PixelAt(*context_, 19, 5), columns[19]);
  EXPECT_EQ(PixelAt(*context_, 34, 5), columns[14]) << "the last tile holds the tile's left 5 columns";
  EXPECT_EQ(PixelAt(*context_, 35, 5), columns[20]) << "right border";
}

TEST_F(RenderContextTest, DegenerateNineGridDrawsNothingWrongAndLaterFillsStillDraw) {
  std::unique_ptr<ImageInfo> image = NineColourImage();
  // Insets wider than the source and the destination, a source reaching past
  // the image, a tile size of 0.
  context_->DrawImage(UiRect{0, 0, 80, 60}, image->GetBitmap(0), UiRect{0, 0, 8, 8},
                      UiRect{20, 20, 90, 90}, UiRect{40, 40, 40, 40}, 200, true, true);
  context_->DrawImage(UiRect{0, 0, 80, 60}, image->GetBitmap(0), UiRect{10, 10, 30, 30},
                      UiRect{0, 0, 30, 30}, UiRect{0, 0, 30, 30}, 255, true, true);
  context_->DrawColor(UiRect{70, 50, 80, 60}, 0xFF112233);
  EXPECT_EQ(PixelAt(*context_, 75, 55), 0xFF112233u);
}

TEST_F(RenderContextTest, DrawColorScalesTheColoursOwnAlpha) {
  context_->DrawColor(UiRect{0, 0, 10, 10}, 0x80FF0000, 128);
  EXPECT_EQ(AlphaAt(*context_, 5, 5), 64);  // 128 x 128 / 255 = 64.25
  context_->DrawColor(UiRect{20, 0, 30, 10}, 0x80FF0000, 255);
  EXPECT_EQ(AlphaAt(*context_, 25, 5), 128);
  EXPECT_EQ(PixelAt(*context_, 25, 5), 0x80800000u) << "premultiplied red at alpha 128";
  context_->DrawNamedColor(UiRect{40, 0, 50, 10}, u"no such colour");
  EXPECT_EQ(PixelAt(*context_, 45, 5), 0u);
  GlobalManager::AddTextColor(u"bkcolor", 0xFF203040);
  context_->DrawColor(UiRect{60, 0, 70, 10}, std::u16string(u"bkcolor"), 255);
  EXPECT_EQ(PixelAt(*context_, 65, 5), 0xFF203040u);
  GlobalManager::RemoveAllTextColors();
}

TEST_F(RenderContextTest, RestoreAlphaKeepsTheCornerZones) {
  ASSERT_TRUE(context_->Resize(100, 100));
  context_->Clear();
  context_->RestoreAlpha(UiRect{0, 0, 100, 100}, UiRect{10, 10, 10, 10}, 0);
  const struct {
    int x, y;
    uint8_t alpha;
  } samples[] = {{0, 0, 0},    {9, 9, 0},     {90, 0, 0},   {99, 9, 0}, {0, 90, 0}, {99, 99, 0},
                 {10, 0, 255}, {0, 10, 255},  {50, 50, 255}, {89, 99, 255}, {99, 89, 255}};
  for (const auto& s : samples) EXPECT_EQ(AlphaAt(*context_, s.x, s.y), s.alpha) << s.x << "," << s.y;
}

TEST_F(RenderContextTest, RestoreAlphaWithAKeyClearsMatchingPixelsWhole) {
  context_->DrawColor(UiRect{0, 0, 10, 10}, 0x40FF8000);
  const uint32_t before = PixelAt(*context_, 5, 5);
  ASSERT_EQ(before >> 24, 0x40u);
  context_->DrawColor(UiRect{10, 0, 20, 10}, 0x80FF8000);
  context_->RestoreAlpha(UiRect{0, 0, 20, 10}, UiRect{0, 0, 0, 0}, 0x40);
  EXPECT_EQ(PixelAt(*context_, 5, 5), 0u) << "alpha equal to the key: no colour left either";
  EXPECT_EQ(AlphaAt(*context_, 15, 5), 255);
}

TEST_F(RenderContextTest, NestedClipsPopOneAtATime) {
  context_->SetClip(UiRect{0, 0, 40, 40});
  context_->SetClip(UiRect{10, 10, 20, 20});
  context_->DrawColor(UiRect{0, 0, 80, 60}, 0xFF0000FF);
  EXPECT_EQ(PixelAt(*context_, 15, 15), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(*context_, 30, 30), 0u);
  context_->ClearClip();
  context_->DrawColor(UiRect{0, 0, 80, 60}, 0xFF00FF00);
  EXPECT_EQ(PixelAt(*context_, 30, 30), 0xFF00FF00u) << "the outer clip stays";
  EXPECT_EQ(PixelAt(*context_, 50, 50), 0u);
  context_->ClearClip();
  context_->DrawColor(UiRect{0, 0, 80, 60}, 0xFFFF0000);
  EXPECT_EQ(PixelAt(*context_, 50, 50), 0xFFFF0000u);
}

TEST_F(RenderContextTest, RoundClipCutsTheCorners) {
  context_->SetRoundClip(UiRect{10, 10, 50, 50}, 20, 20);
  context_->DrawColor(UiRect{0, 0, 80, 60}, 0xFF0000FF);
  context_->ClearClip();
  EXPECT_EQ(PixelAt(*context_, 30, 30), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(*context_, 30, 10), 0xFF0000FFu) << "the straight edge";
  EXPECT_EQ(PixelAt(*context_, 10, 10), 0u) << "the rounded corner";
  EXPECT_EQ(PixelAt(*context_, 9, 30), 0u);
}

TEST_F(RenderContextTest, DrawBitmapCopiesAnOpaqueBitmapAndBlendsOtherwise) {
  // A picture whose left half is transparent and right half opaque red.
  std::unique_ptr<ImageInfo> image =
      ImageInfo::FromBytes(GridPng(10, 2, 1, {0x00000000, 0xFFFF0000}), u"half.png");
  ASSERT_NE(image, nullptr);
  const UiRect dest{0, 0, 20, 10};
  const struct {
    bool alpha_channel;
    uint8_t fade;
    uint32_t left;  // what stays where the picture is transparent
  } cases[] = {{false, 255, 0u}, {true, 255, 0xFF00FF00u}, {false, 200, 0xFF00FF00u}};
  for (const auto& c : cases) {
    context_->DrawColor(dest, 0xFF00FF00);
    context_->DrawBitmap(dest, image->GetHBitmap(0), c.alpha_channel, dest, UiRect{0, 0, 20, 10},
                         UiRect{0, 0, 0, 0}, c.fade);
    EXPECT_EQ(PixelAt(*context_, 5, 5), c.left) << c.alpha_channel << " " << int{c.fade};
    EXPECT_EQ((PixelAt(*context_, 15, 5) >> 16) & 0xFF, c.fade == 255 ? 255u : 200u);
  }
}

TEST_F(RenderContextTest, RestoreDcDropsClipsPushedAfterTheSave) {
  context_->SetClip(UiRect{0, 0, 40, 40});
  context_->SaveDC();
  context_->SetClip(UiRect{0, 0, 10, 10});
  context_->SetClip(UiRect{0, 0, 5, 5});
  context_->RestoreDC();
  context_->DrawColor(UiRect{0, 0, 80, 60}, 0xFF0000FF);
  EXPECT_EQ(PixelAt(*context_, 30, 30), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(*context_, 50, 50), 0u);
}

TEST_F(RenderContextTest, ClipAndDrawingFollowTheWindowOrigin) {
  EXPECT_EQ(context_->SetWindowOrg(UiPoint{10, 10}), (UiPoint{0, 0}));
  context_->SetClip(UiRect{10, 10, 20, 20});  // device 0..10
  context_->DrawColor(UiRect{0, 0, 100, 100}, 0xFF0000FF);
  EXPECT_EQ(PixelAt(*context_, 5, 5), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(*context_, 15, 15), 0u);
  context_->ClearClip();
  EXPECT_EQ(context_->OffsetWindowOrg(UiPoint{-10, -10}), (UiPoint{10, 10}));
  EXPECT_EQ(context_->GetWindowOrg(), (UiPoint{0, 0}));
}

TEST_F(RenderContextTest, ResizeRefusesEmptyAndHugeSizes) {
  context_->DrawColor(UiRect{0, 0, 10, 10}, 0xFF0000FF);
  EXPECT_FALSE(context_->Resize(80, 60)) << "same size";
  EXPECT_EQ(PixelAt(*context_, 5, 5), 0xFF0000FFu) << "pixels kept";
  const struct {
    int width, height;
  } refused[] = {{0, 10}, {10, 0}, {-5, 10}, {100000, 100000}, {65536, 65536}, {16384, 16384}};
  for (const auto& size : refused) {
    ASSERT_TRUE(context_->Resize(8, 8));
    EXPECT_FALSE(context_->Resize(size.width, size.height)) << size.width << "x" << size.height;
    EXPECT_EQ(context_->GetBits(), nullptr);
    EXPECT_EQ(context_->GetWidth(), 0);
    EXPECT_EQ(context_->GetHeight(), 0);
    context_->DrawColor(UiRect{0, 0, 10, 10}, 0xFF0000FF);  // draws nothing, harms nothing
  }
  EXPECT_TRUE(context_->Resize(4, 4));
}

TEST_F(RenderContextTest, LayerBlendedAtHalfAlpha) {
  std::unique_ptr<IRenderContext> layer = factory_.CreateRenderContext();
  ASSERT_TRUE(layer->Resize(20, 20));
  layer->Clear();
  layer->DrawColor(UiRect{0, 0, 20, 20}, 0xFFFF0000);
  ASSERT_TRUE(context_->AlphaBlend(30, 30, 20, 20, layer->GetDC(), 0, 0, 20, 20, 128));
  const uint32_t pixel = PixelAt(*context_, 40, 40);
  EXPECT_EQ(pixel >> 24, 128u);
  EXPECT_EQ((pixel >> 16) & 0xFF, 128u);
  EXPECT_EQ(pixel & 0xFFFF, 0u);
  EXPECT_EQ(PixelAt(*context_, 29, 29), 0u);
  EXPECT_FALSE(context_->AlphaBlend(0, 0, 20, 20, layer->GetDC(), 10, 10, 20, 20, 255))
      << "a source reaching past the layer";
}

TEST_F(RenderContextTest, BitBltAndCloneCopyPixels) {
  context_->DrawColor(UiRect{0, 0, 10, 10}, 0x80402010);
  std::unique_ptr<IRenderContext> clone = context_->Clone();
  ASSERT_EQ(clone->GetWidth(), 80);
  EXPECT_EQ(PixelAt(*clone, 5, 5), PixelAt(*context_, 5, 5));
  std::unique_ptr<IRenderContext> other = factory_.CreateRenderContext();
  ASSERT_TRUE(other->Resize(20, 20));
  other->DrawColor(UiRect{0, 0, 20, 20}, 0xFFFFFFFF);
  ASSERT_TRUE(other->BitBlt(5, 5, 10, 10, context_->GetDC(), 0, 0, SRCCOPY));
  EXPECT_EQ(PixelAt(*other, 6, 6), PixelAt(*context_, 1, 1)) << "copied, not blended";
  EXPECT_EQ(PixelAt(*other, 2, 2), 0xFFFFFFFFu);
}

TEST_F(RenderContextTest, DetachBitmapHandsTheSurfaceOver) {
  HBITMAP bitmap = context_->DetachBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(context_->GetWidth(), 0);
  EXPECT_EQ(context_->GetBits(), nullptr);
  cairo_surface_destroy(bitmap);
  EXPECT_EQ(context_->DetachBitmap(), nullptr);
}

class RenderTextTest : public RenderContextTest {
 protected:
  void SetUp() override {
    RenderContextTest::SetUp();
    GlobalManager::AddFont(u"text_14", u"DejaVu Sans", 14, false, false, false, false);
  }

  // The extent of the pixels text left in the context.
  UiRect InkBounds() {
    return testing::InkBounds(*context_, UiRect{0, 0, context_->GetWidth(), context_->GetHeight()});
  }
};

TEST_F(RenderTextTest, TextAlphaNeverReaches255) {
  ASSERT_TRUE(context_->Resize(200, 40));
  context_->Clear();
  context_->DrawText(UiRect{0, 0, 200, 40}, u"Hello \u6D4B\u8BD5 \u0E2A\u0E27\u0E31\u0E2A", 0xFFFFFFFF,
                     u"text_14", DT_SINGLELINE | DT_VCENTER);
  int max_alpha = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 200; ++x) max_alpha = std::max<int>(max_alpha, AlphaAt(*context_, x, y));
  }
  EXPECT_EQ(max_alpha, 254);
}

TEST_F(RenderTextTest, AntiAliasSwitchChangesHowTextIsDrawn) {
  ASSERT_TRUE(context_->Resize(300, 30));
  auto draw = [this](bool anti_alias) {
    SetTextAntiAlias(anti_alias);
    context_->Clear();
    context_->DrawText(UiRect{0, 0, 300, 30}, u"Launcher settings 1.0.1", 0xFF000000, u"text_14",
                       DT_SINGLELINE);
    return std::vector<uint8_t>(context_->GetBits(), context_->GetBits() + 300 * 30 * 4);
  };
  const std::vector<uint8_t> smooth = draw(true);
  const std::vector<uint8_t> fitted = draw(false);
  EXPECT_NE(smooth, fitted);
  EXPECT_EQ(draw(true), smooth) << "the same switch draws the same pixels";
  SetTextAntiAlias(false);
}

TEST_F(RenderTextTest, StylesPlaceTheTextInItsRectangle) {
  ASSERT_TRUE(context_->Resize(300, 100));
  const UiRect rect{0, 0, 300, 100};
  const struct {
    uint32_t style;
    bool right_half, bottom_half, centred;
  } cases[] = {
      {DT_SINGLELINE, false, false, false},
      {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, true, true, false},
      {DT_SINGLELINE | DT_CENTER | DT_VCENTER, false, false, true},
      {DT_RIGHT, true, false, false},
  };
  for (const auto& c : cases) {
    context_->Clear();
    context_->DrawText(rect, u"Mid", 0xFF000000, u"text_14", c.style);
    const UiRect ink = InkBounds();
    ASSERT_LT(ink.left, ink.right) << c.style;
    if (c.centred) {
      EXPECT_NEAR((ink.left + ink.right) / 2, 150, 3) << c.style;
      EXPECT_NEAR((ink.top + ink.bottom) / 2, 50, 4) << c.style;
      continue;
    }
    EXPECT_EQ(ink.left >= 150, c.right_half) << c.style;
    EXPECT_EQ(ink.top >= 50, c.bottom_half) << c.style;
  }
}

TEST_F(RenderTextTest, EllipsisAndClipKeepLongTextInside) {
  ASSERT_TRUE(context_->Resize(300, 40));
  const std::u16string text = u"A long line of text that cannot fit in the rectangle";
  context_->Clear();
  context_->DrawText(UiRect{0, 0, 100, 40}, text, 0xFF000000, u"text_14", DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(InkBounds().right, 150) << "no clip, no ellipsis: the line runs on";
  context_->Clear();
  context_->DrawText(UiRect{0, 0, 100, 40}, text, 0xFF000000, u"text_14",
                     DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
  EXPECT_LE(InkBounds().right, 100) << "cut with an ellipsis";
  context_->Clear();
  context_->DrawText(UiRect{0, 0, 100, 40}, text, 0xFF000000, u"text_14", DT_SINGLELINE);
  EXPECT_LE(InkBounds().right, 100) << "clipped to the rectangle";
}

TEST_F(RenderTextTest, LineLimitShowsOnlyWholeLines) {
  ASSERT_TRUE(context_->Resize(100, 100));
  const std::u16string text = u"one\ntwo\nthree\nfour";
  const UiRect one_line = context_->MeasureText(u"one", u"text_14", 0);
  const int height = one_line.bottom + one_line.bottom / 2;  // one and a half lines
  context_->Clear();
  context_->DrawText(UiRect{0, 0, 100, height}, text, 0xFF000000, u"text_14", 0, 255, false);
  const int cut_bottom = InkBounds().bottom;
  context_->Clear();
  context_->DrawText(UiRect{0, 0, 100, height}, text, 0xFF000000, u"text_14", 0, 255, true);
  const int limited_bottom = InkBounds().bottom;
  EXPECT_GT(cut_bottom, one_line.bottom) << "part of the second line shows without the limit";
  EXPECT_LE(limited_bottom, one_line.bottom);
}

TEST_F(RenderTextTest, MeasureTextCountsLinesAndWidth) {
  const UiRect one = context_->MeasureText(u"Hello", u"text_14", 0, -1);
  const UiRect two = context_->MeasureText(u"Hello\nHello", u"text_14", 0, -1);
  EXPECT_EQ(one.left, 0);
  EXPECT_GT(one.right, 20);
  EXPECT_GT(two.bottom, one.bottom * 3 / 2);
  EXPECT_EQ(two.right, one.right);
  const UiRect single = context_->MeasureText(u"Hello\nHello", u"text_14", DT_SINGLELINE, 10);
  EXPECT_LE(single.right, 11);
  EXPECT_LT(single.bottom, two.bottom) << "boxed to the height of one sample line";
  const UiRect wrapped = context_->MeasureText(u"Hello Hello", u"text_14", 0, 45);
  EXPECT_GT(wrapped.bottom, one.bottom * 3 / 2) << "wrapped at the width";
  EXPECT_EQ(context_->MeasureText(u"Hello", u"no such font", 0, -1), (UiRect{0, 0, 0, 0}));
}

TEST_F(RenderTextTest, MissingFontOrEmptyTextDrawsNothing) {
  context_->DrawText(UiRect{0, 0, 80, 60}, u"Hello", 0xFF000000, u"no such font", 0);
  context_->DrawText(UiRect{0, 0, 80, 60}, u"", 0xFF000000, u"text_14", 0);
  EXPECT_EQ(InkBounds().right, -1);
}

TEST_F(RenderContextTest, ShapesDrawWhereTheyAre) {
  context_->DrawLine(UiRect{0, 5, 80, 5}, 1, 0xFF0000FF);
  EXPECT_EQ(PixelAt(*context_, 40, 5), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(*context_, 40, 4), 0u);
  EXPECT_EQ(PixelAt(*context_, 40, 6), 0u);
  context_->DrawRect(UiRect{10, 10, 30, 30}, 1, 0xFF00FF00);
  EXPECT_EQ(PixelAt(*context_, 10, 20), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(*context_, 30, 20), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(*context_, 20, 20), 0u);
  context_->FillEllipse(UiRect{40, 10, 60, 30}, 0xFFFF0000);
  EXPECT_EQ(PixelAt(*context_, 50, 20), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(*context_, 40, 10), 0u);
  context_->DrawRoundRect(UiRect{10, 35, 70, 55}, UiSize{16, 16}, 2, 0xFF0000FF);
  EXPECT_GT(AlphaAt(*context_, 40, 35), 0);
  EXPECT_EQ(AlphaAt(*context_, 10, 35), 0) << "the corner is rounded";
  EXPECT_EQ(AlphaAt(*context_, 40, 45), 0);
}

}  // namespace
}  // namespace ui
