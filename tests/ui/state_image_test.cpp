#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/pixel_fixture.h"
#include "tests/ui/zip_fixture.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/string_util.h"

namespace ui {
namespace {

using testing::ControlTreeTest;

// A 10x10 control over a 10x10 surface, and an opaque green picture on disk.
class StateImageTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    const std::string png = testing::GridPng(10, 1, 1, {0xFF00FF00});
    file_ = Utf8ToUtf16(dir_.Write("green.png", png).string());
    context_ = factory_.CreateRenderContext();
    context_->Resize(10, 10);
    control_.SetPos(UiRect{0, 0, 10, 10});
  }
  void TearDown() override {
    GlobalManager::RemoveAllImages();
    ControlTreeTest::TearDown();
  }

  // The opacity the control paints at its centre.
  int PaintedAlpha() {
    context_->Clear();
    control_.Paint(context_.get(), UiRect{0, 0, 10, 10});
    return testing::AlphaAt(*context_, 5, 5);
  }

  std::u16string Image(const char16_t* extra) { return u"file='" + file_ + u"' " + extra; }
  uint8_t StoredFade(ControlState state) {
    return control_.GetStateImageMap().GetStateImage(kStateImageBk)[state].imageAttribute.bFade;
  }

  testing::TempDir dir_;
  std::u16string file_;
  RenderFactory_GdiPlus factory_;
  std::unique_ptr<IRenderContext> context_;
  Control control_;
};

TEST_F(StateImageTest, PushedFallsBackToHotAtFullOpacityForThatDrawOnly) {
  control_.SetAttribute(u"hotimage", Image(u"fade='100'"));
  control_.SetAttribute(u"state", u"pushed");
  EXPECT_EQ(PaintedAlpha(), 255);
  EXPECT_EQ(StoredFade(kControlStateHot), 100) << "the hot image keeps its own fade";
  control_.SetAttribute(u"state", u"hot");  // hot alpha 255
  EXPECT_NEAR(PaintedAlpha(), 100, 1);
}

TEST_F(StateImageTest, HotFadeBlendsOneDrawOfTheSameFile) {
  control_.SetAttribute(u"normalimage", Image(u""));
  control_.SetAttribute(u"hotimage", Image(u"fade='100'"));
  control_.SetHotAlpha(128);
  // (1 - 128/255) x 255 + 100 x 128/255 = 177, drawn once.
  EXPECT_NEAR(PaintedAlpha(), 177, 1);
  control_.SetHotAlpha(0);
  EXPECT_EQ(PaintedAlpha(), 255);
}

TEST_F(StateImageTest, MissingStatesFallBackToNormal) {
  control_.SetAttribute(u"normalimage", Image(u"fade='60'"));
  for (const char16_t* state : {u"pushed", u"disabled"}) {
    control_.SetAttribute(u"state", state);
    EXPECT_NEAR(PaintedAlpha(), 60, 1);
  }
}

TEST_F(StateImageTest, FadeIsClampedAndAMissingFileIsForgotten) {
  control_.SetAttribute(u"normalimage", Image(u"fade='300'"));
  EXPECT_EQ(StoredFade(kControlStateNormal), 255);
  control_.SetAttribute(u"normalimage", Image(u"fade='-4'"));
  EXPECT_EQ(StoredFade(kControlStateNormal), 0);
  control_.SetBkImage(u"file='/nonexistent/x.png'");
  EXPECT_FALSE(control_.DrawImage(context_.get(), control_.GetBkImageRecord()));
  EXPECT_EQ(control_.GetBkImageRecord().imageAttribute.sImageName, u"")
      << "later paints skip it at once";
}

TEST_F(StateImageTest, AutoSizeFollowsTheImage) {
  Control sized;
  sized.SetAttribute(u"width", u"auto");
  sized.SetAttribute(u"height", u"auto");
  sized.SetAttribute(u"bkimage", file_);  // a plain path names the file
  EXPECT_EQ(sized.EstimateSize(UiSize{100, 100}), (UiSize{10, 10}));
  sized.SetAttribute(u"bkimage", Image(u"source='0,0,4,6'"));
  EXPECT_EQ(sized.EstimateSize(UiSize{100, 100}), (UiSize{4, 6}));
  EXPECT_EQ(sized.GetFixedWidth(), 4) << "a full source becomes the fixed size";
}

}  // namespace
}  // namespace ui
