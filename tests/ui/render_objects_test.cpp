#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

#include "ui/render/dc_record.h"
#include "ui/render/matrix_gdiplus.h"
#include "ui/render/nine_grid.h"
#include "ui/render/render_factory_gdiplus.h"

namespace ui {
namespace {

// The factory is owned and deleted through its interface.
static_assert(std::has_virtual_destructor_v<IRenderFactory>);

TEST(RenderFactoryTest, MakesEveryObject) {
  std::unique_ptr<IRenderFactory> factory = std::make_unique<RenderFactory_GdiPlus>();
  EXPECT_NE(factory->CreateRenderContext(), nullptr);
  EXPECT_NE(factory->CreatePen(0xFF000000, 1), nullptr);
  EXPECT_NE(factory->CreateBrush(0xFF000000), nullptr);
  EXPECT_NE(factory->CreatePath(), nullptr);
  EXPECT_NE(factory->CreateMatrix(), nullptr);
  EXPECT_NE(factory->CreateBitmap(), nullptr);
  factory.reset();
}

TEST(RenderObjectsTest, PenKeepsWidthAndColour) {
  RenderFactory_GdiPlus factory;
  std::unique_ptr<IPen> pen = factory.CreatePen(0xFF102030, 3);
  EXPECT_EQ(pen->GetWidth(), 3);
  pen->SetColor(0x80FFFFFF);
  EXPECT_EQ(pen->GetColor(), 0x80FFFFFFu);
  pen->SetDashStyle(2);
  std::unique_ptr<IPen> clone = pen->Clone();
  EXPECT_EQ(clone->GetColor(), 0x80FFFFFFu);
  EXPECT_EQ(clone->GetDashStyle(), 2);
}

TEST(RenderObjectsTest, BrushColourAndBitmapBrush) {
  RenderFactory_GdiPlus factory;
  EXPECT_EQ(factory.CreateBrush(0xFF00FF00)->GetColor(), 0xFF00FF00u);
  std::unique_ptr<IBitmap> bitmap = factory.CreateBitmap();
  DcRecord dc;
  ASSERT_TRUE(bitmap->Init(&dc, 4, 4, true));
  std::unique_ptr<IBrush> brush = factory.CreateBitmapBrush(bitmap->GetBitmap());
  EXPECT_EQ(brush->GetColor(), 0u);
  EXPECT_EQ(brush->GetBitmap(), nullptr);
  EXPECT_EQ(brush->Clone()->GetColor(), 0u);
}

TEST(RenderObjectsTest, BitmapInitRefusesEmptySizesAndFreesThePrevious) {
  RenderFactory_GdiPlus factory;
  std::unique_ptr<IBitmap> bitmap = factory.CreateBitmap();
  DcRecord dc;
  EXPECT_FALSE(bitmap->Init(nullptr, 4, 4, true));
  ASSERT_TRUE(bitmap->Init(&dc, 4, 4, true));
  EXPECT_NE(bitmap->GetBits(), nullptr);
  EXPECT_FALSE(bitmap->Init(&dc, 0, 10, true));
  EXPECT_EQ(bitmap->GetWidth(), 0);
  EXPECT_EQ(bitmap->GetBits(), nullptr);
}

TEST(RenderObjectsTest, PathBoundsAndHitTests) {
  RenderFactory_GdiPlus factory;
  std::unique_ptr<IPath> path = factory.CreatePath();
  path->AddRectLTRB(10, 20, 30, 60);
  EXPECT_EQ(path->GetBounds(nullptr), (UiRect{10, 20, 30, 60}));
  std::unique_ptr<IPen> pen = factory.CreatePen(0xFF000000, 4);
  EXPECT_EQ(path->GetBounds(pen.get()), (UiRect{8, 18, 32, 62}));
  EXPECT_TRUE(path->IsContainsPoint(20, 40));
  EXPECT_FALSE(path->IsContainsPoint(5, 40));
  EXPECT_TRUE(path->IsStrokeContainsPoint(10, 40, pen.get()));
  EXPECT_FALSE(path->IsStrokeContainsPoint(20, 40, pen.get()));
  std::unique_ptr<IPath> clone = path->Clone();
  path->Reset();
  EXPECT_FALSE(path->IsContainsPoint(20, 40));
  EXPECT_TRUE(clone->IsContainsPoint(20, 40));
}

TEST(RenderObjectsTest, FillModeDecidesTheInsideOfOverlaps) {
  RenderFactory_GdiPlus factory;
  std::unique_ptr<IPath> path = factory.CreatePath();
  path->AddRectLTRB(0, 0, 40, 40);
  path->AddRectLTRB(10, 10, 30, 30);
  EXPECT_FALSE(path->IsContainsPoint(20, 20)) << "alternate: the overlap is outside";
  path->SetFillMode(IPath::kFillModeWinding);
  EXPECT_TRUE(path->IsContainsPoint(20, 20));
}

TEST(RenderObjectsTest, MatrixStepsApplyBeforeTheOnesHeld) {
  Matrix_Gdiplus matrix;
  matrix.RotateAt(90, UiPoint{50, 50});
  EXPECT_EQ(matrix.Map(UiPoint{60, 50}), (UiPoint{50, 60}));
  Matrix_Gdiplus moved;
  moved.Translate(10, 0);
  moved.Scale(2, 2);
  EXPECT_EQ(moved.Map(UiPoint{1, 1}), (UiPoint{12, 2})) << "scaled first, then moved";

  RenderFactory_GdiPlus factory;
  std::unique_ptr<IPath> path = factory.CreatePath();
  path->AddRectLTRB(0, 0, 10, 10);
  path->Transform(&moved);
  EXPECT_EQ(path->GetBounds(nullptr), (UiRect{10, 0, 30, 20}));
}

TEST(DcRecordTest, SaveStackIsSharedWithClips) {
  DcRecord dc;
  EXPECT_EQ(dc.Save(), 1);
  dc.PushClip(UiRect{0, 0, 10, 10});   // saves state 2
  dc.PushClip(UiRect{5, 5, 20, 20});   // saves state 3
  EXPECT_EQ(dc.state.clip_bounds, (UiRect{5, 5, 10, 10}));
  EXPECT_TRUE(dc.Restore(-1));
  EXPECT_EQ(dc.state.clip_bounds, (UiRect{0, 0, 10, 10}));
  EXPECT_TRUE(dc.Restore(1));
  EXPECT_FALSE(dc.state.has_clip);
  EXPECT_TRUE(dc.saved.empty());
  EXPECT_FALSE(dc.Restore(1)) << "no such saved state";
  EXPECT_FALSE(dc.Restore(-1));
}

// Piece widths as (source, destination) pairs along one row.
TEST(NineGridTest, XTiledCentreOfTwentyFiveOverATileOfTen) {
  NineGridInput in;
  in.paint = in.dest = UiRect{0, 0, 25, 10};
  in.source = UiRect{0, 0, 10, 10};
  in.image_width = in.image_height = 10;
  in.xtiled = true;
  const std::vector<NineGridPiece> pieces = ComputeNineGrid(in);
  ASSERT_EQ(pieces.size(), 3u);
  const int widths[] = {10, 10, 5};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(pieces[i].dest.Width(), widths[i]);
    EXPECT_EQ(pieces[i].source.Width(), widths[i]);
    EXPECT_EQ(pieces[i].source.left, 0);
    EXPECT_EQ(pieces[i].dest.left, static_cast<int>(i) * 10);
  }
}

TEST(NineGridTest, OnlyTilesMeetingThePaintRectAreMade) {
  NineGridInput in;
  in.dest = UiRect{0, 0, 1000, 10};
  in.paint = UiRect{455, 0, 470, 10};
  in.source = UiRect{0, 0, 10, 10};
  in.image_width = in.image_height = 10;
  in.xtiled = true;
  const std::vector<NineGridPiece> pieces = ComputeNineGrid(in);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].dest, (UiRect{450, 0, 460, 10}));
  EXPECT_EQ(pieces[1].dest, (UiRect{460, 0, 470, 10}));
}

TEST(NineGridTest, DegenerateInputsNeverGiveNegativePieces) {
  const struct {
    UiRect dest, source, corner, dest_corner;
    bool xtiled, ytiled;
  } cases[] = {
      {{0, 0, 8, 8}, {0, 0, 30, 30}, {10, 10, 10, 10}, {10, 10, 10, 10}, false, false},
      {{0, 0, 100, 100}, {20, 20, 90, 90}, {5, 5, 5, 5}, {5, 5, 5, 5}, true, true},
      {{0, 0, 100, 100}, {0, 0, 30, 30}, {15, 15, 15, 15}, {15, 15, 15, 15}, true, true},
      {{0, 0, 100, 100}, {0, 0, 30, 30}, {-5, -5, 40, 40}, {-5, -5, 40, 40}, false, false},
      {{0, 0, 100, 100}, {40, 40, 50, 50}, {0, 0, 0, 0}, {0, 0, 0, 0}, false, false},
  };
  for (const auto& c : cases) {
    NineGridInput in;
    in.paint = UiRect{0, 0, 1000, 1000};
    in.dest = c.dest;
    in.source = c.source;
    in.corner = c.corner;
    in.dest_corner = c.dest_corner;
    in.image_width = in.image_height = 30;
    in.xtiled = c.xtiled;
    in.ytiled = c.ytiled;
    for (const NineGridPiece& piece : ComputeNineGrid(in)) {
      EXPECT_GT(piece.source.Width(), 0);
      EXPECT_GT(piece.source.Height(), 0);
      EXPECT_GT(piece.dest.Width(), 0);
      EXPECT_GT(piece.dest.Height(), 0);
      EXPECT_GE(piece.source.left, 0);
      EXPECT_GE(piece.source.top, 0);
      EXPECT_LE(piece.source.right, 30);
      EXPECT_LE(piece.source.bottom, 30);
      EXPECT_GE(piece.dest.left, c.dest.left);
      EXPECT_LE(piece.dest.right, c.dest.right);
    }
  }
}

TEST(NineGridTest, ZeroInsetsStretchTheWholeSource) {
  NineGridInput in;
  in.paint = in.dest = UiRect{0, 0, 50, 40};
  in.source = UiRect{0, 0, 10, 10};
  in.image_width = in.image_height = 10;
  const std::vector<NineGridPiece> pieces = ComputeNineGrid(in);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].source, in.source);
  EXPECT_EQ(pieces[0].dest, in.dest);
}

}  // namespace
}  // namespace ui
