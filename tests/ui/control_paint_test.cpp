// Painting of controls into a render context: translucent layers, the cache,
// nested clips, background colours and borders, read back as pixels.
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/pixel_fixture.h"
#include "ui/render/render_factory_gdiplus.h"

namespace ui::testing {
namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;

class ControlPaintTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    GlobalManager::AddTextColor(u"red", kRed);
    GlobalManager::AddTextColor(u"blue", kBlue);
    GlobalManager::AddTextColor(u"green", kGreen);
    GlobalManager::AddTextColor(u"halfblue", 0x800000FF);
    GlobalManager::AddTextColor(u"none", 0);
    canvas_ = factory_.CreateRenderContext();
    ASSERT_TRUE(canvas_->Resize(200, 100, true));
  }
  void TearDown() override {
    GlobalManager::RemoveAllTextColors();
    ControlTreeTest::TearDown();
  }

  static std::unique_ptr<Control> Coloured(const std::u16string& colour, UiRect pos) {
    auto control = std::make_unique<Control>();
    control->SetBkColor(colour);
    control->SetPos(pos);
    return control;
  }

  void PaintAll(Control& control) { control.Paint(canvas_.get(), UiRect{0, 0, 200, 100}); }
  uint32_t At(int x, int y) { return PixelAt(*canvas_, x, y); }

  RenderFactory_GdiPlus factory_;
  std::unique_ptr<IRenderContext> canvas_;
};

// The factory the layers come from is the global one.
class ScopedRenderFactory {
 public:
  ScopedRenderFactory() { GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en"); }
  ~ScopedRenderFactory() { GlobalManager::Shutdown(); }
};

TEST_F(ControlPaintTest, TranslucentParentFadesItsChildrenWithIt) {
  ScopedRenderFactory factory;
  Box parent;
  parent.SetPos(UiRect{0, 0, 100, 100});
  parent.SetBkColor(u"blue");
  Control* child = new Control;
  ASSERT_TRUE(parent.Add(child));
  child->SetBkColor(u"red");
  child->SetPos(UiRect{50, 0, 100, 100});

  parent.SetAlpha(128);
  PaintAll(parent);
  // Both the parent's own colour and the child's come out at half alpha; a
  // child painted past the layer would stay opaque red.
  EXPECT_EQ(AlphaAt(*canvas_, 10, 10), 128);
  EXPECT_EQ(AlphaAt(*canvas_, 75, 50), 128);
  EXPECT_EQ((At(75, 50) >> 16) & 0xFF, 128u);  // premultiplied red
  EXPECT_EQ(At(150, 50), 0u);                  // nothing outside the control
  EXPECT_EQ(parent.GetLayer(), nullptr);       // each translucent paint starts afresh
}

TEST_F(ControlPaintTest, AlphaZeroPaintsNothingChildrenIncluded) {
  ScopedRenderFactory factory;
  Box parent;
  parent.SetPos(UiRect{0, 0, 100, 100});
  Control* child = new Control;
  ASSERT_TRUE(parent.Add(child));
  child->SetBkColor(u"red");
  child->SetPos(UiRect{0, 0, 100, 100});
  parent.SetAlpha(0);
  PaintAll(parent);
  EXPECT_EQ(At(50, 50), 0u);
}

TEST_F(ControlPaintTest, CachedControlRedrawsItsLayerOnlyAfterInvalidate) {
  ScopedRenderFactory factory;
  Box parent;
  parent.SetPos(UiRect{0, 0, 100, 100});
  parent.SetCacheEnabled(true);
  parent.SetBkColor(u"red");
  Control* child = new Control;
  ASSERT_TRUE(parent.Add(child));
  child->SetBkColor(u"green");
  child->SetPos(UiRect{50, 0, 100, 100});
  PaintAll(parent);
  EXPECT_EQ(At(10, 10), kRed);
  EXPECT_EQ(At(75, 10), kGreen);

  // The colour table changes behind the controls' back: the cached layer
  // keeps the old look, the children repaint every time.
  GlobalManager::AddTextColor(u"red", kBlue);
  GlobalManager::AddTextColor(u"green", kRed);
  canvas_->Clear();
  PaintAll(parent);
  EXPECT_EQ(At(10, 10), kRed);
  EXPECT_EQ(At(75, 10), kRed);

  parent.Invalidate();
  canvas_->Clear();
  PaintAll(parent);
  EXPECT_EQ(At(10, 10), kBlue);
}

TEST_F(ControlPaintTest, InnerClipEndRestoresTheOuterClip) {
  Box parent;
  parent.SetPos(UiRect{0, 0, 50, 50});
  Control* first = new Control;
  Control* second = new Control;
  ASSERT_TRUE(parent.Add(first));
  ASSERT_TRUE(parent.Add(second));
  first->SetBkColor(u"green");
  first->SetPos(UiRect{0, 0, 10, 10});
  first->SetBorderRound(UiSize{4, 4});
  // The second child reaches beyond its parent, which must still clip it
  // after the first child's own clips ended.
  second->SetBkColor(u"red");
  second->SetPos(UiRect{20, 20, 150, 100});
  PaintAll(parent);
  EXPECT_EQ(At(30, 30), kRed);
  EXPECT_EQ(At(60, 60), 0u);
  EXPECT_EQ(At(120, 30), 0u);
}

TEST_F(ControlPaintTest, BackgroundColours) {
  // An opaque colour fills the part repainted; a translucent one the whole
  // control; a colour of value 0 nothing.
  auto opaque = Coloured(u"red", UiRect{0, 0, 100, 100});
  opaque->Paint(canvas_.get(), UiRect{0, 0, 40, 100});
  EXPECT_EQ(At(20, 50), kRed);
  EXPECT_EQ(At(60, 50), 0u);

  canvas_->Clear();
  auto translucent = Coloured(u"halfblue", UiRect{0, 0, 100, 100});
  translucent->Paint(canvas_.get(), UiRect{0, 0, 40, 100});
  EXPECT_EQ(AlphaAt(*canvas_, 20, 50), 0x80);
  EXPECT_EQ(AlphaAt(*canvas_, 60, 50), 0x80);
  EXPECT_EQ(AlphaAt(*canvas_, 150, 50), 0u);  // the clip keeps to the control

  canvas_->Clear();
  auto none = Coloured(u"none", UiRect{0, 0, 100, 100});
  PaintAll(*none);
  EXPECT_EQ(At(50, 50), 0u);
}

TEST_F(ControlPaintTest, UniformAndPerSideBorders) {
  auto uniform = std::make_unique<Control>();
  uniform->SetPos(UiRect{0, 0, 100, 50});
  uniform->SetAttribute(u"bordersize", u"3");
  uniform->SetBorderColor(u"blue");
  PaintAll(*uniform);
  EXPECT_EQ(At(0, 25), kBlue);
  EXPECT_EQ(At(99, 25), kBlue);
  EXPECT_EQ(At(50, 0), kBlue);
  EXPECT_EQ(At(50, 49), kBlue);
  EXPECT_EQ(At(50, 25), 0u);
  EXPECT_EQ(At(5, 25), 0u);

  canvas_->Clear();
  auto sides = std::make_unique<Control>();
  sides->SetPos(UiRect{0, 0, 100, 50});
  sides->SetAttribute(u"bordersize", u"1,2,0,0");
  sides->SetBorderColor(u"blue");
  PaintAll(*sides);
  EXPECT_EQ(At(0, 25), kBlue);   // left, one pixel
  EXPECT_EQ(At(1, 25), 0u);
  EXPECT_EQ(At(50, 0), kBlue);   // top, two pixels
  EXPECT_EQ(At(50, 1), kBlue);
  EXPECT_EQ(At(50, 3), 0u);
  EXPECT_EQ(At(99, 25), 0u);     // no right or bottom
  EXPECT_EQ(At(50, 49), 0u);
}

}  // namespace
}  // namespace ui::testing
