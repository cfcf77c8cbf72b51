// The scroll bar's parts, range and position, its press, hold and drag on
// the fake clock, and the scrollable box: ranges from the content, clamped
// positions, wheel, keys, touch, the end bounce, "holdend", "scrollchange"
// and hit testing of scrolled children.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/window/window_messages.h"
#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/pixel_fixture.h"
#include "tests/ui/zip_fixture.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/wide_text.h"
#include "ui/scroll_bar.h"
#include "ui/scrollable_box.h"
#include "ui/vlayout.h"

namespace ui::testing {
namespace {

EventArgs Press(int type, UiPoint point) {
  EventArgs event;
  event.Type = type;
  event.ptMouse = point;
  return event;
}

class ScrollBarTest : public ControlTreeTest {
 protected:
  // A vertical bar of 16 x |height| at the origin.
  std::unique_ptr<ScrollBar> MakeBar(int height, int64_t range, int64_t position = 0) {
    auto bar = std::make_unique<ScrollBar>();
    bar->SetScrollRange(range);
    bar->SetScrollPos(position);
    bar->SetPos(UiRect{0, 0, 16, height});
    return bar;
  }

  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) Advance(static_cast<int>(ScrollBar::kRepeatIntervalMs));
  }
};

TEST_F(ScrollBarTest, PartsFollowRangeAndPosition) {
  struct Case {
    const char* what;
    int height;
    int64_t range;
    int64_t position;
    int thumb_min;
    UiRect thumb;
    UiRect button2;
  };
  const std::vector<Case> cases = {
      {"start", 200, 100, 0, 30, {0, 16, 16, 128}, {0, 184, 16, 200}},
      {"end", 200, 100, 100, 30, {0, 72, 16, 184}, {0, 184, 16, 200}},
      {"no range fills the rail", 200, 0, 0, 30, {0, 16, 16, 184}, {0, 184, 16, 200}},
      {"minimum longer than the rail", 200, 100, 0, 300, {0, -116, 16, 184}, {0, 184, 16, 200}},
      {"huge range keeps the minimum", 200, int64_t{1} << 40, int64_t{1} << 39, 30, {0, 85, 16, 115},
       {0, 184, 16, 200}},
      {"too short for a thumb", 40, 100, 0, 30, {0, 0, 0, 0}, {0, 24, 16, 40}},
      {"shorter than two buttons", 20, 100, 0, 30, {0, 0, 0, 0}, {0, 10, 16, 20}},
      {"no length at all", 0, 100, 50, 30, {0, 0, 0, 0}, {0, 0, 16, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto bar = std::make_unique<ScrollBar>();
    bar->SetThumbMinLength(c.thumb_min);
    bar->SetScrollRange(c.range);
    bar->SetScrollPos(c.position);
    bar->SetPos(UiRect{0, 0, 16, c.height});
    EXPECT_EQ(bar->GetThumbRect(), c.thumb);
    EXPECT_EQ(bar->GetButton2Rect(), c.button2);
  }
}

TEST_F(ScrollBarTest, HorizontalBarSwapsTheAxes) {
  auto bar = std::make_unique<ScrollBar>();
  bar->SetHorizontal(true);
  EXPECT_EQ(bar->GetFixedHeight(), 16);
  EXPECT_EQ(bar->GetFixedWidth(), 0);
  bar->SetScrollRange(100);
  bar->SetScrollPos(100);
  bar->SetPos(UiRect{10, 50, 210, 66});
  EXPECT_EQ(bar->GetButton1Rect(), (UiRect{10, 50, 26, 66}));
  EXPECT_EQ(bar->GetThumbRect(), (UiRect{82, 50, 194, 66}));
}

TEST_F(ScrollBarTest, RangeAndPositionClamp) {
  auto bar = MakeBar(200, 100, 80);
  bar->SetScrollRange(-5);
  EXPECT_EQ(bar->GetScrollRange(), 0);
  EXPECT_EQ(bar->GetScrollPos(), 0);
  EXPECT_FALSE(bar->IsVisible()) << "a bar without range hides";
  bar->SetScrollRange(50);
  bar->SetScrollPos(70);
  EXPECT_EQ(bar->GetScrollPos(), 50);
  bar->SetScrollPos(-3);
  EXPECT_EQ(bar->GetScrollPos(), 0);
}

TEST_F(ScrollBarTest, AttributesAreReadExactly) {
  auto bar = std::make_unique<ScrollBar>();
  bar->SetAttribute(u"showbutton1", u"True");
  bar->SetAttribute(u"range", u"40");
  bar->SetAttribute(u"value", u"55");
  bar->SetAttribute(u"linesize", u"5");
  bar->SetAttribute(u"autohidescroll", u"false");
  EXPECT_FALSE(bar->IsShowButton1()) << "only the exact text true is true";
  EXPECT_EQ(bar->GetScrollRange(), 40);
  EXPECT_EQ(bar->GetScrollPos(), 40);
  EXPECT_EQ(bar->GetLineSize(), 5);
  EXPECT_FALSE(bar->IsAutoHideScroll());
}

TEST_F(ScrollBarTest, HeldArrowRepeatsFromTheSixthTickAndStopsOnRelease) {
  auto bar = MakeBar(200, 1000);
  EventArgs press = Press(kEventMouseButtonDown, UiPoint{8, 190});
  bar->HandleEvent(press);
  EXPECT_EQ(bar->GetScrollPos(), 8) << "the press itself moves one line";
  Tick(5);
  EXPECT_EQ(bar->GetScrollPos(), 8);
  Tick();
  EXPECT_EQ(bar->GetScrollPos(), 16);
  Tick();
  EXPECT_EQ(bar->GetScrollPos(), 24);
  EventArgs release = Press(kEventMouseButtonUp, UiPoint{8, 190});
  bar->HandleEvent(release);
  Tick(3);
  EXPECT_EQ(bar->GetScrollPos(), 24);
}

TEST_F(ScrollBarTest, ThumbDragMovesThePositionOnTheNextTick) {
  auto bar = MakeBar(200, 100);  // thumb 16..128, free track 200 - 112 - 32 = 56
  EventArgs press = Press(kEventMouseButtonDown, UiPoint{8, 50});
  bar->HandleEvent(press);
  EXPECT_EQ(bar->GetThumbState(), kControlStatePushed);
  EventArgs move = Press(kEventMouseMove, UiPoint{8, 78});
  bar->HandleEvent(move);
  EXPECT_EQ(bar->GetScrollPos(), 0) << "the position waits for the tick";
  Tick();
  EXPECT_EQ(bar->GetScrollPos(), 50);
  move.ptMouse.y = 500;
  bar->HandleEvent(move);
  Tick();
  EXPECT_EQ(bar->GetScrollPos(), 100) << "clamped to the range";
  EventArgs release = Press(kEventMouseButtonUp, UiPoint{8, 500});
  bar->HandleEvent(release);
  EXPECT_EQ(bar->GetThumbState(), kControlStateNormal);
}

TEST_F(ScrollBarTest, DragOnABarWithNoFreeTrackMovesNothing) {
  auto bar = std::make_unique<ScrollBar>();
  bar->SetThumbMinLength(18);
  bar->SetScrollRange(100);
  bar->SetPos(UiRect{0, 0, 16, 50});  // rail of 18, thumb of 18: no free track
  ASSERT_EQ(bar->GetThumbRect().Height(), 18);
  EventArgs press = Press(kEventMouseButtonDown, UiPoint{8, 20});
  bar->HandleEvent(press);
  EventArgs move = Press(kEventMouseMove, UiPoint{8, 45});
  bar->HandleEvent(move);
  Tick();
  EXPECT_EQ(bar->GetScrollPos(), 0);
}

TEST_F(ScrollBarTest, PressOnTheRailPagesTowardsThePointer) {
  auto bar = MakeBar(200, 1000);
  EventArgs press = Press(kEventMouseButtonDown, UiPoint{8, 150});
  bar->HandleEvent(press);
  EXPECT_EQ(bar->GetScrollPos(), 200) << "one page of the bar's height";
}

// A box that counts the steps its bar asks for.
class CountingBox : public ScrollableBox {
 public:
  CountingBox() : ScrollableBox(new VLayout) {}
  void LineDown(int amount, bool animated) override {
    ++line_downs;
    ScrollableBox::LineDown(amount, animated);
  }
  int line_downs = 0;
};

class ScrollableBoxTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    box_ = new CountingBox;
    box_->EnableScrollBar(true, false);
    content_ = new Control;
    content_->SetFixedHeight(500, false);
    box_->Add(content_);
    ASSERT_TRUE(window_.AttachRoot(box_));
    box_->SetPos(UiRect{0, 0, 100, 300});
  }

  void Finish() {
    for (int i = 0; i < 200 && box_->GetScrollAnimation().IsPlaying(); ++i) Advance(16);
    for (int i = 0; i < 200 && box_->GetBounceAnimation().IsPlaying(); ++i) Advance(16);
  }

  Window window_;
  CountingBox* box_ = nullptr;
  Control* content_ = nullptr;
};

TEST_F(ScrollableBoxTest, RangeComesFromTheContentAndShrinkingHidesTheBar) {
  EXPECT_EQ(box_->GetScrollRange().cy, 200);
  box_->SetScrollPos(UiSize{0, 150});
  content_->SetFixedHeight(280, false);
  box_->SetPos(UiRect{0, 0, 100, 300});
  EXPECT_EQ(box_->GetScrollRange().cy, 0);
  EXPECT_EQ(box_->GetScrollPos().cy, 0);
  EXPECT_FALSE(box_->GetVScrollBar()->IsVisible());
}

TEST_F(ScrollableBoxTest, PositionsClampAndAnOutOfRangeRequestStopsTheAnimation) {
  box_->SetScrollPos(UiSize{0, 900});
  EXPECT_EQ(box_->GetScrollPos().cy, 200);
  box_->LineUp(100, true);
  ASSERT_TRUE(box_->GetScrollAnimation().IsPlaying());
  box_->SetScrollPos(UiSize{0, -40});
  EXPECT_EQ(box_->GetScrollPos().cy, 0);
  EXPECT_FALSE(box_->GetScrollAnimation().IsPlaying());
  box_->LineUp(30, false);
  EXPECT_EQ(box_->GetScrollPos().cy, 0) << "nothing above the top";
}

TEST_F(ScrollableBoxTest, QuickWheelNotchesAddUp) {
  content_->SetFixedHeight(1000, false);
  box_->SetPos(UiRect{0, 0, 100, 300});
  for (int notch = 0; notch < 3; ++notch) {
    EventArgs wheel;
    wheel.Type = kEventMouseScrollWheel;
    wheel.pSender = box_;
    wheel.wParam = static_cast<platform::WPARAM>(-120);
    box_->HandleEvent(wheel);
    Advance(16);
  }
  EXPECT_EQ(box_->GetScrollAnimation().GetEndValue(), 360);
  Finish();
  EXPECT_EQ(box_->GetScrollPos().cy, 360);
}

TEST_F(ScrollableBoxTest, EndKeyScrollsToTheEndAndTheBounceFinishes) {
  EventArgs key;
  key.Type = kEventKeyDown;
  key.pSender = box_;
  key.chKey = static_cast<char16_t>(platform::VK_END);
  box_->HandleEvent(key);
  EXPECT_EQ(box_->GetScrollPos().cy, 200);
  EXPECT_TRUE(box_->GetBounceAnimation().IsPlaying());
  EXPECT_LE(box_->GetBounceAnimation().GetTotalMillSeconds(), ScrollableBox::kBounceMaxMillSeconds);
  Advance(ScrollableBox::kBounceMaxMillSeconds + 50);
  Finish();
  EXPECT_FALSE(box_->GetBounceAnimation().IsPlaying());
  EXPECT_EQ(box_->GetRenderOffset().y, 0);
}

TEST_F(ScrollableBoxTest, ScrollChangeFiresOnlyWhenThePositionMoves) {
  int changes = 0;
  box_->AttachEvent(kEventScrollChange, [&changes](EventArgs*) {
    ++changes;
    return true;
  });
  box_->SetScrollPos(UiSize{0, 50});
  box_->SetScrollPos(UiSize{0, 50});
  EXPECT_EQ(changes, 1);
  box_->SetScrollChangeSuppressed(true);
  box_->SetScrollPos(UiSize{0, 60});
  EXPECT_EQ(changes, 1);
}

TEST_F(ScrollableBoxTest, TouchDragFollowsTheFinger) {
  box_->SetScrollPos(UiSize{0, 100});
  for (auto [type, y] : {std::pair{kEventTouchDown, 150}, std::pair{kEventTouchMove, 140}}) {
    EventArgs touch = Press(type, UiPoint{50, y});
    touch.pSender = box_;
    box_->HandleEvent(touch);
  }
  EXPECT_EQ(box_->GetScrollPos().cy, 110) << "a finger moving up scrolls down";
}

TEST_F(ScrollableBoxTest, HoldEndKeepsTheViewAtTheEndAsContentGrows) {
  box_->SetAttribute(u"holdend", u"true");
  box_->EndDown(false, false);
  content_->SetFixedHeight(800, false);
  box_->SetPos(UiRect{0, 0, 100, 300});
  EXPECT_EQ(box_->GetScrollRange().cy, 500);
  EXPECT_EQ(box_->GetScrollPos().cy, 500);
}

TEST_F(ScrollableBoxTest, ChildrenAreFoundAndDrawnAtTheirScrolledPlaces) {
  auto* second = new Control;
  second->SetFixedHeight(300, false);
  box_->Add(second);
  box_->SetPos(UiRect{0, 0, 100, 300});
  EXPECT_EQ(box_->GetScrollRange().cy, 500);
  box_->SetScrollPos(UiSize{0, 250});
  EXPECT_EQ(window_.FindControlAtPoint(UiPoint{20, 200}), content_);
  EXPECT_EQ(window_.FindControlAtPoint(UiPoint{20, 260}), second);
  EXPECT_EQ(second->GetAncestorScrollOffset(), (UiSize{0, 250}));
  EXPECT_EQ(box_->GetChildOffsets(), (std::vector<int>{0, 500}));
}

TEST_F(ScrollableBoxTest, HeldBarArrowStepsTheOwnerFromTheSixthTickUntilRelease) {
  ScrollBar* bar = box_->GetVScrollBar();
  ASSERT_EQ(bar->GetOwner(), box_);
  const UiRect arrow = bar->GetButton2Rect();
  EventArgs press = Press(kEventMouseButtonDown, UiPoint{arrow.left + 2, arrow.top + 2});
  bar->HandleEvent(press);
  EXPECT_EQ(box_->line_downs, 1);
  for (int tick = 1; tick <= 5; ++tick) Advance(50);
  EXPECT_EQ(box_->line_downs, 1);
  Advance(50);
  EXPECT_EQ(box_->line_downs, 2);
  Advance(50);
  EXPECT_EQ(box_->line_downs, 3);
  EventArgs release = Press(kEventMouseButtonUp, press.ptMouse);
  bar->HandleEvent(release);
  Advance(200);
  EXPECT_EQ(box_->line_downs, 3);
}

TEST_F(ScrollableBoxTest, DraggedThumbScrollsTheOwner) {
  ScrollBar* bar = box_->GetVScrollBar();
  const UiRect thumb = bar->GetThumbRect();
  ASSERT_FALSE(thumb.IsEmpty());
  EventArgs press = Press(kEventMouseButtonDown, UiPoint{thumb.left + 2, thumb.top + 2});
  bar->HandleEvent(press);
  EventArgs move = Press(kEventMouseMove, UiPoint{thumb.left + 2, thumb.top + 1000});
  bar->HandleEvent(move);
  Advance(50);
  EXPECT_EQ(box_->GetScrollPos().cy, 200);
}

TEST_F(ScrollableBoxTest, AutoHidingBarShowsWhileThePointerIsOverTheBox) {
  ScrollBar* bar = box_->GetVScrollBar();
  ASSERT_TRUE(bar->IsAutoHideScroll());
  EXPECT_FALSE(bar->IsVisible()) << "a range alone does not show an auto-hiding bar";
  EventArgs enter = Press(kEventMouseEnter, UiPoint{50, 50});
  enter.pSender = box_;
  EXPECT_TRUE(box_->MouseEnter(enter));
  EXPECT_TRUE(bar->IsVisible());
  EventArgs leave = Press(kEventMouseLeave, UiPoint{500, 50});
  leave.pSender = box_;
  EXPECT_TRUE(box_->MouseLeave(leave));
  EXPECT_FALSE(bar->IsVisible());

  bar->SetAutoHideScroll(false);
  box_->SetScrollPos(UiSize{0, 0});
  content_->SetFixedHeight(100, false);
  box_->SetPos(UiRect{0, 0, 100, 300});
  content_->SetFixedHeight(600, false);
  box_->SetPos(UiRect{0, 0, 100, 300});
  EXPECT_TRUE(bar->IsVisible()) << "a bar that does not hide shows with its range";
}

class ScrollPaintTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    GlobalManager::Startup(u"/nonexistent/", nullptr, u"", u"en");
    GlobalManager::AddTextColor(u"red", kRed);
    GlobalManager::AddTextColor(u"blue", kBlue);
    canvas_ = factory_.CreateRenderContext();
    ASSERT_TRUE(canvas_->Resize(100, 200, true));
  }
  void TearDown() override {
    GlobalManager::RemoveAllTextColors();
    GlobalManager::Shutdown();
    ControlTreeTest::TearDown();
  }
  uint32_t At(int x, int y) { return PixelAt(*canvas_, x, y); }

  static constexpr uint32_t kRed = 0xFFFF0000;
  static constexpr uint32_t kBlue = 0xFF0000FF;
  RenderFactory_GdiPlus factory_;
  std::unique_ptr<IRenderContext> canvas_;
};

TEST_F(ScrollPaintTest, ChildrenPaintShiftedByTheScrollPositionInsideTheBox) {
  ScrollableBox box(new VLayout);
  box.EnableScrollBar(true, false);
  for (const char16_t* colour : {u"red", u"blue"}) {
    auto* child = new Control;
    child->SetBkColor(colour);
    child->SetFixedHeight(100, false);
    box.Add(child);
  }
  box.SetPos(UiRect{0, 0, 100, 100});
  box.SetScrollPos(UiSize{0, 50});
  box.Paint(canvas_.get(), UiRect{0, 0, 100, 200});
  EXPECT_EQ(At(20, 25), kRed);
  EXPECT_EQ(At(20, 75), kBlue);
  EXPECT_EQ(At(20, 150), 0u) << "nothing outside the box";
}

TEST_F(ScrollPaintTest, BarPaintsItsThumbImageAtTheThumb) {
  TempDir dir;
  const std::filesystem::path thumb = dir.Write("thumb.png", GridPng(4, 1, 1, {kBlue}));
  ScrollBar bar;
  bar.SetAttribute(u"thumbnormalimage", Utf8ToUtf16("file='" + thumb.string() + "'"));
  bar.SetScrollRange(100);
  bar.SetScrollPos(100);
  bar.SetPos(UiRect{0, 0, 16, 200});  // thumb 72..184
  bar.Paint(canvas_.get(), UiRect{0, 0, 100, 200});
  EXPECT_EQ(At(8, 100), kBlue);
  EXPECT_EQ(At(8, 60), 0u);
}

// A control that tells whether its images are loaded.
class CacheProbe : public Control {
 public:
  void LoadImageCache() override { loaded = true; }
  void UnloadImageCache() override { loaded = false; }
  bool loaded = true;
};

TEST_F(ScrollableBoxTest, OnlyChildrenNearTheViewKeepTheirImages) {
  content_->SetFixedHeight(10, false);
  std::vector<CacheProbe*> probes;
  for (int i = 0; i < 4; ++i) {
    probes.push_back(new CacheProbe);
    probes.back()->SetFixedHeight(1000, false);
    box_->Add(probes.back());
  }
  box_->SetPos(UiRect{0, 0, 100, 300});
  box_->SetScrollPos(UiSize{0, 2000});  // view 2000..2300, kept 1270..3030
  EXPECT_FALSE(probes[0]->loaded);      // 10..1010
  EXPECT_TRUE(probes[1]->loaded);       // 1010..2010
  EXPECT_TRUE(probes[2]->loaded);       // 2010..3010
  EXPECT_TRUE(probes[3]->loaded);       // 3010..4010
  box_->SetScrollPos(UiSize{0, 0});     // kept -730..1030
  EXPECT_TRUE(probes[0]->loaded);
  EXPECT_TRUE(probes[1]->loaded);
  EXPECT_FALSE(probes[2]->loaded);
  EXPECT_FALSE(probes[3]->loaded);
}

}  // namespace
}  // namespace ui::testing
