// The window's drop shadow: the box AttachShadow wraps the root in, its
// sizes at two DPI scales, the picture and rounding it brings, and the
// repaint that leaves the shadow alone when only the content changed.
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/pixel_fixture.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/shadow.h"
#include "ui/shadow_box.h"

namespace ui::testing {
namespace {

class ShadowTest : public ControlTreeTest {};

Control* FixedRoot(int width, int height) {
  auto* root = new Box();
  root->SetFixedWidth(width, false, true);
  root->SetFixedHeight(height, true);
  return root;
}

TEST_F(ShadowTest, BoxTakesTheRootsSizePlusTheCornersAtEachScale) {
  const struct {
    int scale;
    int root_width, root_height;
    int box_width, box_height;
    int corner;
  } cases[] = {
      {100, 400, 300, 428, 328, 14},
      {150, 400, 300, 642, 492, 21},  // the root's 600 x 450 plus 42
      {100, kSizeStretch, kSizeStretch, kSizeStretch, kSizeStretch, 14},
      {100, kSizeAuto, 300, kSizeAuto, 328, 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    SetScale(c.scale);
    Shadow shadow;
    EXPECT_EQ(shadow.GetShadowCorner(), (UiRect{c.corner, c.corner, c.corner, c.corner}));
    Control* root = FixedRoot(c.root_width, c.root_height);
    std::unique_ptr<Control> wrapped(shadow.AttachShadow(root));
    auto* box = dynamic_cast<ShadowBox*>(wrapped.get());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(shadow.GetShadowBox(), box);
    EXPECT_EQ(box->GetFixedWidth(), c.box_width);
    EXPECT_EQ(box->GetFixedHeight(), c.box_height);
    EXPECT_EQ(box->GetItemAt(0), root);
    EXPECT_EQ(box->GetBkImage(), Shadow::kDefaultImage);
    box->SetPos(UiRect{0, 0, 700, 500});
    EXPECT_EQ(root->GetPos().left, c.corner);
    EXPECT_EQ(root->GetPos().top, c.corner);
  }
}

TEST_F(ShadowTest, DefaultPictureRoundsTheRootAnotherDoesNot) {
  Shadow shadow;
  Control* root = FixedRoot(100, 100);
  std::unique_ptr<Control> wrapped(shadow.AttachShadow(root));
  EXPECT_EQ(root->GetBorderRound(), (UiSize{3, 3}));

  Shadow custom;
  custom.SetShadowImage(u"file='shade.png' corner='10,10,10,10'");
  EXPECT_FALSE(custom.IsDefaultImage());
  Control* other = FixedRoot(100, 100);
  std::unique_ptr<Control> other_wrapped(custom.AttachShadow(other));
  EXPECT_EQ(other->GetBorderRound(), (UiSize{0, 0}));
  EXPECT_EQ(static_cast<Box*>(other_wrapped.get())->GetBkImage(),
            u"file='shade.png' corner='10,10,10,10'");
}

TEST_F(ShadowTest, DetachedShadowHandsTheRootBackAndCornersFollowTheAttribute) {
  Shadow shadow;
  shadow.SetShadowAttached(false);
  auto root = std::unique_ptr<Control>(FixedRoot(100, 100));
  EXPECT_EQ(shadow.AttachShadow(root.get()), root.get());
  EXPECT_EQ(shadow.GetShadowBox(), nullptr);
  EXPECT_EQ(root->GetBorderRound(), (UiSize{0, 0}));

  SetScale(150);
  Shadow cornered;
  cornered.SetShadowCorner(UiRect{10, 10, 10, 10});
  EXPECT_EQ(cornered.GetUnscaledShadowCorner(), (UiRect{10, 10, 10, 10}));
  EXPECT_EQ(cornered.GetShadowCorner(), (UiRect{15, 15, 15, 15}));
  cornered.MaximizedOrRestored(true);
  EXPECT_EQ(cornered.GetShadowCorner(), (UiRect{}));
  cornered.MaximizedOrRestored(false);
  EXPECT_EQ(cornered.GetShadowCorner(), (UiRect{15, 15, 15, 15}));
}

TEST_F(ShadowTest, RepaintInsideTheRootLeavesTheShadowAlone) {
  GlobalManager::AddTextColor(u"blue", 0xFF0000FF);
  RenderFactory_GdiPlus factory;
  std::unique_ptr<IRenderContext> canvas = factory.CreateRenderContext();
  ASSERT_TRUE(canvas->Resize(100, 100, true));
  ShadowBox box;
  box.GetLayout()->SetPadding(UiRect{14, 14, 14, 14}, false);
  box.SetBkColor(u"blue");
  box.SetPos(UiRect{0, 0, 100, 100});

  box.PaintContent(canvas.get(), UiRect{20, 20, 80, 80});
  EXPECT_EQ(PixelAt(*canvas, 50, 50), 0u) << "content only: the box paints nothing";
  box.PaintContent(canvas.get(), UiRect{14, 14, 86, 86});
  EXPECT_EQ(PixelAt(*canvas, 50, 50), 0u) << "the whole root is still inside";
  box.PaintContent(canvas.get(), UiRect{10, 20, 80, 80});
  EXPECT_EQ(PixelAt(*canvas, 50, 50), 0xFF0000FFu) << "reaching into the shadow repaints it";
  GlobalManager::RemoveAllTextColors();
}

}  // namespace
}  // namespace ui::testing
