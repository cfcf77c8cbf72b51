// The tab box: which page is shown after "selectedid", adding, inserting and
// removing; the "select" event; and the slide of "fadeswitch" over fake-clock
// time, read back as render offsets and as pixels.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "tests/ui/control_tree_fixture.h"
#include "tests/ui/pixel_fixture.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/tab_box.h"
#include "ui/widget_factory.h"

namespace ui::testing {
namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr int kWidth = 200;
constexpr int kHeight = 100;

class TabBoxTest : public ControlTreeTest {
 protected:
  void SetUp() override {
    GlobalManager::AddTextColor(u"red", kRed);
    GlobalManager::AddTextColor(u"green", kGreen);
    GlobalManager::AddTextColor(u"blue", kBlue);
    canvas_ = factory_.CreateRenderContext();
    ASSERT_TRUE(canvas_->Resize(kWidth, kHeight, true));
  }
  void TearDown() override {
    GlobalManager::RemoveAllTextColors();
    ControlTreeTest::TearDown();
  }

  // A tab box from its tag with the attribute list, holding pages of the
  // given colours, as the root of the window and placed.
  TabBox* Build(const std::u16string& attributes,
                std::vector<const char16_t*> colours = {u"red", u"green", u"blue"}) {
    auto* tab = static_cast<TabBox*>(WidgetFactory::GetInstance().Create(u"TabBox"));
    tab->ApplyAttributeList(attributes);
    for (const char16_t* colour : colours) {
      auto* page = new Box();
      page->SetBkColor(colour);
      tab->Add(page);
    }
    window_.AttachRoot(tab);
    tab->SetPos(UiRect{0, 0, kWidth, kHeight});
    tab->AttachEvent(kEventSelect, [this](EventArgs* event) {
      selects_.emplace_back(static_cast<int>(event->wParam), static_cast<int>(event->lParam));
      return true;
    });
    return tab;
  }

  static bool Shown(Control* page) {
    auto* box = static_cast<Box*>(page);
    return page->IsVisible() && page->GetAlpha() == 255 && page->IsMouseEnabled() &&
           box->IsMouseChildEnabled();
  }
  // Hidden with the fade switch: still visible, but transparent and deaf.
  static bool Transparent(Control* page) {
    auto* box = static_cast<Box*>(page);
    return page->IsVisible() && page->GetAlpha() == 0 && !page->IsMouseEnabled() &&
           !box->IsMouseChildEnabled();
  }

  // Lays out what asked for it, as the window's paint does, then paints.
  uint32_t PaintAndRead(TabBox* tab, int x, int y) {
    window_.ArrangePending(UiRect{0, 0, kWidth, kHeight});
    canvas_->Clear();
    tab->Paint(canvas_.get(), UiRect{0, 0, kWidth, kHeight});
    return PixelAt(*canvas_, x, y);
  }

  void Settle() {
    for (int i = 0; i < 40; ++i) Advance(16);
  }

  Window window_;
  std::vector<std::pair<int, int>> selects_;
  RenderFactory_GdiPlus factory_;
  std::unique_ptr<IRenderContext> canvas_;
};

TEST_F(TabBoxTest, SelectedIdGivenBeforeThePagesDecidesWhichIsShown) {
  TabBox* tab = Build(u"selectedid=\"1\"");
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_FALSE(tab->GetItemAt(0)->IsVisible());
  EXPECT_TRUE(Shown(tab->GetItemAt(1)));
  EXPECT_FALSE(tab->GetItemAt(2)->IsVisible());
  EXPECT_EQ(PaintAndRead(tab, 100, 50), kGreen);
}

TEST_F(TabBoxTest, WithoutSelectedIdTheFirstVisiblePageIsCurrent) {
  auto* tab = new TabBox();
  auto* hidden = new Box();
  hidden->SetVisible(false);
  tab->Add(hidden);
  tab->Add(new Box());
  tab->Add(new Box());
  window_.AttachRoot(tab);
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_TRUE(tab->GetItemAt(1)->IsVisible());
  EXPECT_FALSE(tab->GetItemAt(2)->IsVisible());
}

TEST_F(TabBoxTest, SelectItemSwitchesAndFiresSelectOnlyOnAChange) {
  TabBox* tab = Build(u"");
  EXPECT_TRUE(tab->SelectItem(0));
  EXPECT_TRUE(selects_.empty()) << "the current page: nothing happens";
  EXPECT_FALSE(tab->SelectItem(3));
  EXPECT_FALSE(tab->SelectItem(-1));
  EXPECT_EQ(tab->GetCurSel(), 0);

  EXPECT_TRUE(tab->SelectItem(2));
  ASSERT_EQ(selects_.size(), 1u);
  EXPECT_EQ(selects_[0], std::make_pair(2, 0));
  EXPECT_FALSE(tab->GetItemAt(0)->IsVisible());
  EXPECT_FALSE(tab->GetItemAt(1)->IsVisible());
  EXPECT_TRUE(Shown(tab->GetItemAt(2)));
  EXPECT_EQ(PaintAndRead(tab, 100, 50), kBlue);
}

TEST_F(TabBoxTest, InsertingAndRemovingKeepTheShownPageCurrent) {
  TabBox* tab = Build(u"selectedid=\"1\"");
  Control* green = tab->GetItemAt(1);
  auto* inserted = new Box();
  ASSERT_TRUE(tab->AddAt(inserted, 0));
  EXPECT_EQ(tab->GetCurSel(), 2);
  EXPECT_EQ(tab->GetItemAt(2), green);
  EXPECT_TRUE(Shown(green));
  EXPECT_FALSE(inserted->IsVisible());

  // Removing a page before the current one moves the index back.
  ASSERT_TRUE(tab->Remove(inserted));
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_EQ(tab->GetItemAt(1), green);

  // Removing the current page shows the one now at index 0.
  ASSERT_TRUE(tab->RemoveAt(1));
  EXPECT_EQ(tab->GetCurSel(), 0);
  EXPECT_TRUE(Shown(tab->GetItemAt(0)));
  EXPECT_FALSE(tab->GetItemAt(1)->IsVisible());
  EXPECT_EQ(PaintAndRead(tab, 100, 50), kRed);

  EXPECT_FALSE(tab->Remove(nullptr));
  tab->RemoveAll();
  EXPECT_EQ(tab->GetCurSel(), -1);
}

TEST_F(TabBoxTest, FadeSwitchSlidesTheNewPageInAndTheOldOneOut) {
  TabBox* tab = Build(u"fadeswitch=\"true\"");
  Control* red = tab->GetItemAt(0);
  Control* blue = tab->GetItemAt(2);
  EXPECT_TRUE(Transparent(tab->GetItemAt(1)));
  ASSERT_TRUE(tab->SelectItem(2));
  // The offset moves the origin: a higher page starts a box width to the
  // right and the old page leaves to the left.
  EXPECT_EQ(blue->GetRenderOffset().x, -kWidth);
  EXPECT_EQ(red->GetRenderOffset().x, 0);
  EXPECT_TRUE(Shown(blue));
  EXPECT_EQ(red->GetAlpha(), 255) << "the old page stays shown while it slides";

  int last_in = blue->GetRenderOffset().x;
  int last_out = red->GetRenderOffset().x;
  bool checked_middle = false;
  for (int step = 0; step < 40; ++step) {
    Advance(16);
    const int in = blue->GetRenderOffset().x;
    const int out = red->GetRenderOffset().x;
    EXPECT_GE(in, last_in);
    EXPECT_GE(out, last_out);
    EXPECT_LE(in, 0);
    EXPECT_LE(out, kWidth);
    if (!checked_middle && in > -kWidth + 20 && in < -20 && red->GetAlpha() == 255) {
      // Mid-way the old page fills the left part and the new one the right.
      checked_middle = true;
      EXPECT_EQ(PaintAndRead(tab, 2, 50), kRed);
      EXPECT_EQ(PaintAndRead(tab, kWidth - 3, 50), kBlue);
    }
    last_in = in;
    last_out = out;
  }
  EXPECT_TRUE(checked_middle);
  EXPECT_EQ(blue->GetRenderOffset().x, 0);
  EXPECT_EQ(red->GetRenderOffset().x, kWidth);
  EXPECT_TRUE(Transparent(red)) << "at rest the old page is transparent, not invisible";
  EXPECT_TRUE(Shown(blue));
  for (int x : {0, 50, 100, 199}) EXPECT_EQ(PaintAndRead(tab, x, 50), kBlue) << x;

  // Back to a lower page: it comes in from the left, the old one leaves right.
  ASSERT_TRUE(tab->SelectItem(0));
  EXPECT_EQ(red->GetRenderOffset().x, kWidth);
  Settle();
  EXPECT_EQ(red->GetRenderOffset().x, 0);
  EXPECT_EQ(blue->GetRenderOffset().x, -kWidth);
  EXPECT_TRUE(Transparent(blue));
  EXPECT_EQ(PaintAndRead(tab, 100, 50), kRed);
  // The pages after it are still visible but deaf: the mouse reaches the
  // shown page.
  EXPECT_EQ(window_.FindControlAtPoint(UiPoint{100, 50}), red);
}

TEST_F(TabBoxTest, SwitchingBackDuringASlideOutLeavesThePageShown) {
  TabBox* tab = Build(u"fadeswitch=\"true\"");
  Control* red = tab->GetItemAt(0);
  ASSERT_TRUE(tab->SelectItem(1));
  Advance(48);
  ASSERT_TRUE(tab->SelectItem(0));
  Settle();
  EXPECT_TRUE(Shown(red));
  EXPECT_EQ(red->GetRenderOffset().x, 0);
  EXPECT_TRUE(Transparent(tab->GetItemAt(1)));
  EXPECT_EQ(PaintAndRead(tab, 100, 50), kRed);
}

TEST_F(TabBoxTest, SlideOutEndHidesTheSamePageAfterAnInsertion) {
  TabBox* tab = Build(u"fadeswitch=\"true\"");
  Control* red = tab->GetItemAt(0);
  Control* green = tab->GetItemAt(1);
  ASSERT_TRUE(tab->SelectItem(1));
  Advance(48);
  ASSERT_TRUE(tab->AddAt(new Box(), 0));
  EXPECT_EQ(tab->GetCurSel(), 2);
  Settle();
  EXPECT_TRUE(Transparent(red)) << "the page that slid out, wherever it now is";
  EXPECT_TRUE(Shown(green));
}

TEST_F(TabBoxTest, RemovingTheCurrentPageShowsASlidAwayPageAtRest) {
  TabBox* tab = Build(u"fadeswitch=\"true\"");
  ASSERT_TRUE(tab->SelectItem(1));
  Settle();
  ASSERT_EQ(tab->GetItemAt(0)->GetRenderOffset().x, kWidth);
  ASSERT_TRUE(tab->RemoveAt(1));
  EXPECT_EQ(tab->GetCurSel(), 0);
  EXPECT_TRUE(Shown(tab->GetItemAt(0)));
  EXPECT_EQ(tab->GetItemAt(0)->GetRenderOffset().x, 0);
  EXPECT_EQ(PaintAndRead(tab, 100, 50), kRed);
}

TEST_F(TabBoxTest, TagsMakeTabBoxesWithTheirLayouts) {
  for (const char16_t* tag : {u"TabBox", u"HTabBox", u"VTabBox"}) {
    std::unique_ptr<Control> made(WidgetFactory::GetInstance().Create(tag));
    EXPECT_NE(dynamic_cast<TabBox*>(made.get()), nullptr);
  }
}

}  // namespace
}  // namespace ui::testing
