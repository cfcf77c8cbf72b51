// The poster carousel on a window built from the shipped main layout: pages
// and dots from the poster list, the 2-second advance on the UI timer, the
// pause after a user's choice, the arrows, the poster's link, and the tick
// ending with the window.
#include "project/Launcher/windows/poster_carousel.h"

#include <memory>

#include "project/Launcher/windows/scroll_dot.h"
#include "project/Launcher/windows/scroll_page.h"
#include "tests/windows/main_skin_window.h"
#include "ui/controls/list_box.h"

namespace windows_test {
namespace {

using MainComponents::PosterCarousel;
using MainComponents::ScrollDot;
using MainComponents::ScrollPage;

std::vector<PosterEntry> Posters(int count) {
  std::vector<PosterEntry> posters;
  for (int i = 0; i < count; ++i) {
    posters.push_back(PosterEntry{"poster_" + std::to_string(i) + ".png", "link_" + std::to_string(i)});
  }
  return posters;
}

class PosterCarouselTest : public MainSkinWindowTest {
 protected:
  void OpenWith(const std::vector<PosterEntry>& posters) {
    carousel_ = std::make_unique<PosterCarousel>([this](const std::string& key) { opened_.push_back(key); });
    ASSERT_TRUE(Open([this, posters](MainSkinWindow* window) { carousel_->Init(window, posters); },
                     [this] { carousel_.reset(); }));
    pages_ = dynamic_cast<ui::ListBox*>(Named(u"scroll_pages"));
    dots_ = dynamic_cast<ui::ListBox*>(Named(u"dot_list"));
    ASSERT_NE(pages_, nullptr);
    ASSERT_NE(dots_, nullptr);
  }
  ScrollDot* Dot(int i) const { return dynamic_cast<ScrollDot*>(dots_->GetItemAt(static_cast<size_t>(i))); }
  ScrollPage* Page(int i) const { return dynamic_cast<ScrollPage*>(pages_->GetItemAt(static_cast<size_t>(i))); }
  // Which dots show as the current page's (their picture disabled).
  std::vector<bool> FilledDots() const {
    std::vector<bool> filled;
    for (int i = 0; i < dots_->GetCount(); ++i) filled.push_back(Dot(i)->dot() && !Dot(i)->dot()->IsEnabled());
    return filled;
  }
  // Two seconds: one tick of the carousel; the scroll animation has ended
  // long before the next one.
  void Tick() { Advance(PosterCarousel::kTickIntervalMs); }
  void Settle() {
    for (int i = 0; i < 60; ++i) Advance(16);
  }

  std::unique_ptr<PosterCarousel> carousel_;
  ui::ListBox* pages_ = nullptr;
  ui::ListBox* dots_ = nullptr;
};

TEST_F(PosterCarouselTest, ThreePostersAdvanceEveryTwoSecondsAndWrapAround) {
  OpenWith(Posters(3));
  ASSERT_EQ(pages_->GetCount(), 3);
  ASSERT_EQ(dots_->GetCount(), 3);
  EXPECT_EQ(Page(1)->image()->GetBkImage(), u"poster_1.png");
  EXPECT_EQ(Page(2)->link_key(), "link_2");
  EXPECT_EQ(carousel_->current_page(), 0);
  EXPECT_EQ(FilledDots(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(dots_->GetCurSel(), 0);
  EXPECT_FALSE(Named(u"btn_scroll_left")->IsEnabled());
  EXPECT_TRUE(Named(u"btn_scroll_right")->IsEnabled());
  // Only the carousel moves the pages.
  EXPECT_FALSE(pages_->IsKeyboardEnabled());

  Advance(PosterCarousel::kTickIntervalMs - 1);
  EXPECT_EQ(carousel_->current_page(), 0);
  Advance(1);
  EXPECT_EQ(carousel_->current_page(), 1);
  Settle();
  EXPECT_EQ(pages_->GetScrollPos().cx, pages_->GetHorScrollUnit()) << "the list shows the second poster";
  EXPECT_EQ(FilledDots(), (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(Named(u"btn_scroll_left")->IsEnabled());

  std::vector<int> shown;
  for (int i = 0; i < 4; ++i) {
    Tick();
    shown.push_back(carousel_->current_page());
  }
  EXPECT_EQ(shown, (std::vector<int>{2, 0, 1, 2}));
  EXPECT_FALSE(Named(u"btn_scroll_right")->IsEnabled());
  Tick();
  Settle();
  EXPECT_EQ(pages_->GetScrollPos().cx, 0) << "back to the first poster";
}

TEST_F(PosterCarouselTest, AChosenDotHoldsItsPageForFourTicks) {
  OpenWith(Posters(3));
  Click(Dot(2));
  EXPECT_EQ(carousel_->current_page(), 2);
  EXPECT_EQ(carousel_->skip_count(), PosterCarousel::kSkipTicksAfterChoice);
  EXPECT_EQ(FilledDots(), (std::vector<bool>{false, false, true}));
  for (int i = 0; i < 4; ++i) {
    Tick();
    EXPECT_EQ(carousel_->current_page(), 2) << "tick " << i;
  }
  EXPECT_EQ(carousel_->skip_count(), -1);
  Tick();
  EXPECT_EQ(carousel_->current_page(), 0);
  Tick();
  EXPECT_EQ(carousel_->current_page(), 1) << "every tick advances again";
}

TEST_F(PosterCarouselTest, ArrowsStepAndPauseButDoNothingAtTheEnds) {
  OpenWith(Posters(3));
  Click(Named(u"btn_scroll_left"));  // first page: disabled, nothing
  EXPECT_EQ(carousel_->current_page(), 0);
  EXPECT_EQ(carousel_->skip_count(), -1);

  Click(Named(u"btn_scroll_right"));
  EXPECT_EQ(carousel_->current_page(), 1);
  EXPECT_EQ(carousel_->skip_count(), PosterCarousel::kSkipTicksAfterChoice);
  Tick();
  EXPECT_EQ(carousel_->skip_count(), 2);
  Click(Named(u"btn_scroll_right"));
  EXPECT_EQ(carousel_->current_page(), 2);
  EXPECT_EQ(carousel_->skip_count(), PosterCarousel::kSkipTicksAfterChoice);
  Tick();
  Click(Named(u"btn_scroll_right"));  // last page: nothing, the count goes on
  EXPECT_EQ(carousel_->current_page(), 2);
  EXPECT_EQ(carousel_->skip_count(), 2);
  Click(Named(u"btn_scroll_left"));
  EXPECT_EQ(carousel_->current_page(), 1);
}

TEST_F(PosterCarouselTest, OnePosterStaysWithBothArrowsDisabled) {
  OpenWith(Posters(1));
  EXPECT_EQ(FilledDots(), (std::vector<bool>{true}));
  EXPECT_FALSE(Named(u"btn_scroll_left")->IsEnabled());
  EXPECT_FALSE(Named(u"btn_scroll_right")->IsEnabled());
  Tick();
  Tick();
  EXPECT_EQ(carousel_->current_page(), 0);
  EXPECT_EQ(FilledDots(), (std::vector<bool>{true}));
}

TEST_F(PosterCarouselTest, NoPostersHidesTheArrowsAndTicksChangeNothing) {
  OpenWith({});
  EXPECT_EQ(pages_->GetCount(), 0);
  EXPECT_EQ(dots_->GetCount(), 0);
  EXPECT_FALSE(Named(u"btn_scroll_left")->IsVisible());
  EXPECT_FALSE(Named(u"btn_scroll_right")->IsVisible());
  Tick();
  EXPECT_EQ(carousel_->current_page(), -1);

  // Posters arrive (a rebuild): the arrows come back.
  carousel_->Build(Posters(2));
  EXPECT_TRUE(Named(u"btn_scroll_right")->IsVisible());
  EXPECT_EQ(carousel_->current_page(), 0);
}

TEST_F(PosterCarouselTest, RebuildAfterAChoiceStartsAgainAtTheFirstPage) {
  OpenWith(Posters(3));
  Click(Dot(1));
  ASSERT_EQ(carousel_->skip_count(), PosterCarousel::kSkipTicksAfterChoice);
  carousel_->Build(Posters(2));
  EXPECT_EQ(carousel_->current_page(), 0);
  EXPECT_EQ(carousel_->skip_count(), -1);
  EXPECT_EQ(dots_->GetCount(), 2);
  Tick();
  EXPECT_EQ(carousel_->current_page(), 1);
}

TEST_F(PosterCarouselTest, PressingAPosterOpensItsLink) {
  OpenWith(Posters(2));
  Click(Page(0)->image());
  EXPECT_EQ(opened_, (std::vector<std::string>{"link_0"}));
}

TEST_F(PosterCarouselTest, NoTickRunsAfterStop) {
  OpenWith(Posters(3));
  carousel_->Stop();
  Tick();
  Tick();
  EXPECT_EQ(carousel_->current_page(), 0);
}

TEST_F(PosterCarouselTest, TheTickEndsWithTheWindowThatOwnsTheCarousel) {
  OpenWith(Posters(3));
  const size_t timers = ui::TimerManager::GetInstance()->GetTaskCount();
  Close();
  EXPECT_EQ(carousel_, nullptr);
  // Its tick was due: it runs nothing against the destroyed window and
  // leaves the timer.
  Tick();
  Tick();
  EXPECT_LT(ui::TimerManager::GetInstance()->GetTaskCount(), timers);
}

}  // namespace
}  // namespace windows_test
