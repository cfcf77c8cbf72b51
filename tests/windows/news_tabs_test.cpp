// The news tabs on a window built from the shipped main layout: a tab and a
// page for each category, at most four lines a page (the latest ones), the
// tab switch by press or by the list's select event, the hover colour, and
// a line's text opening its link.
#include "project/Launcher/windows/news_tabs.h"

#include <memory>

#include "project/Launcher/windows/tab_label.h"
#include "project/Launcher/windows/tab_page.h"
#include "tests/windows/main_skin_window.h"
#include "ui/controls/list_box.h"
#include "ui/tab_box.h"

namespace windows_test {
namespace {

using MainComponents::NewsTabs;
using MainComponents::TabLabel;
using MainComponents::TabPage;

NewsCategory Category(const std::string& name, int entries) {
  NewsCategory category{name, {}};
  for (int i = 1; i <= entries; ++i) {
    const std::string n = std::to_string(i);
    category.entries.push_back(NewsEntry{name + " news " + n, "12/" + n, "about " + n, name + "_" + n});
  }
  return category;
}

class NewsTabsTest : public MainSkinWindowTest {
 protected:
  void OpenWith(const std::vector<NewsCategory>& categories) {
    news_ = std::make_unique<NewsTabs>([this](const std::string& key) { opened_.push_back(key); });
    ASSERT_TRUE(Open([this, categories](MainSkinWindow* window) { news_->Init(window, categories); },
                     [this] { news_.reset(); }));
    pages_ = dynamic_cast<ui::TabBox*>(Named(u"tab_pages"));
    labels_ = dynamic_cast<ui::ListBox*>(Named(u"tab_labels"));
    ASSERT_NE(pages_, nullptr);
    ASSERT_NE(labels_, nullptr);
  }
  std::vector<std::string> Lines(int page) const {
    std::vector<std::string> lines;
    TabPage* tab_page = news_->PageAt(page);
    for (int i = 0; i < tab_page->GetCount(); ++i) {
      auto* item = dynamic_cast<TabPage::NewsItem*>(tab_page->GetItemAt(static_cast<size_t>(i)));
      lines.push_back(item->content()->GetUTF8Text() + "|" + item->date()->GetUTF8Text() + "|" + item->link_key());
    }
    return lines;
  }
  // The current tab as the labels show it: selected, name disabled, line on.
  void ExpectCurrentTab(int current) {
    EXPECT_EQ(pages_->GetCurSel(), current);
    for (int i = 0; i < news_->tab_count(); ++i) {
      SCOPED_TRACE(i);
      TabLabel* label = news_->LabelAt(i);
      EXPECT_EQ(label->IsSelected(), i == current);
      EXPECT_EQ(label->name()->IsEnabled(), i != current);
      EXPECT_EQ(label->line()->IsVisible(), i == current);
    }
  }

  std::unique_ptr<NewsTabs> news_;
  ui::TabBox* pages_ = nullptr;
  ui::ListBox* labels_ = nullptr;
};

TEST_F(NewsTabsTest, EachCategoryGetsATabAndAPageOfItsLatestFourLines) {
  OpenWith({Category("Events", 6), Category("Notices", 2), Category("Empty", 0)});
  ASSERT_EQ(news_->tab_count(), 3);
  EXPECT_EQ(labels_->GetCount(), 3);
  EXPECT_EQ(news_->LabelAt(1)->name()->GetUTF8Text(), "Notices");
  EXPECT_EQ(Lines(0), (std::vector<std::string>{"Events news 3|12/3|Events_3", "Events news 4|12/4|Events_4",
                                                 "Events news 5|12/5|Events_5", "Events news 6|12/6|Events_6"}));
  EXPECT_EQ(Lines(1), (std::vector<std::string>{"Notices news 1|12/1|Notices_1", "Notices news 2|12/2|Notices_2"}));
  EXPECT_TRUE(Lines(2).empty());
  auto* first = dynamic_cast<TabPage::NewsItem*>(news_->PageAt(1)->GetItemAt(0));
  EXPECT_EQ(first->content()->GetUtf8ToolTipText(), "about 1");
  ExpectCurrentTab(0);

  // A rebuild replaces everything and shows the first tab again.
  news_->SelectTab(2);
  news_->Build({Category("Only", 1)});
  ASSERT_EQ(news_->tab_count(), 1);
  EXPECT_EQ(labels_->GetCount(), 1);
  ExpectCurrentTab(0);
}

TEST_F(NewsTabsTest, ATabIsShownByItsPressAndByTheListsSelectEvent) {
  OpenWith({Category("A", 1), Category("B", 1), Category("C", 1)});
  Click(news_->LabelAt(2));
  ExpectCurrentTab(2);
  labels_->SelectItem(1, false, true);
  ExpectCurrentTab(1);
  news_->SelectTab(3);   // out of range
  news_->SelectTab(-1);
  ExpectCurrentTab(1);
}

TEST_F(NewsTabsTest, HoverGivesAnOtherTabsNameItsHotColourUntilThePointerLeaves) {
  OpenWith({Category("A", 1), Category("B", 1)});
  ui::Label* other = news_->LabelAt(1)->name();
  Hover(news_->LabelAt(1));
  EXPECT_EQ(other->GetState(), ui::kControlStateHot);
  EXPECT_EQ(other->GetHotAlpha(), 255);
  Hover(Named(u"btn_game"));
  EXPECT_EQ(other->GetState(), ui::kControlStateNormal);
  EXPECT_EQ(other->GetHotAlpha(), 0);

  // The current tab keeps its look when the pointer leaves it.
  ui::Label* current = news_->LabelAt(0)->name();
  Hover(news_->LabelAt(0));
  Hover(Named(u"btn_game"));
  EXPECT_EQ(current->GetState(), ui::kControlStateHot);
  EXPECT_FALSE(current->IsEnabled());
}

TEST_F(NewsTabsTest, PressingALinesTextOpensItsLinkAndItsDateDoesNothing) {
  OpenWith({Category("A", 2)});
  auto* item = dynamic_cast<TabPage::NewsItem*>(news_->PageAt(0)->GetItemAt(1));
  ASSERT_NE(item, nullptr);
  Click(item->date());
  EXPECT_TRUE(opened_.empty());
  Click(item->content());
  EXPECT_EQ(opened_, (std::vector<std::string>{"A_2"}));
}

TEST_F(NewsTabsTest, NothingIsBuiltWithoutTheNamedControls) {
  // A window whose layout lacks the tab list and the pages: every call is
  // harmless.
  news_ = std::make_unique<NewsTabs>(nullptr);
  ASSERT_TRUE(Open([this](MainSkinWindow*) {}, nullptr));
  ui::Window empty;
  news_->Init(&empty, {Category("A", 3)});
  news_->SelectTab(0);
  news_->Clear();
  EXPECT_EQ(news_->tab_count(), 0);
  EXPECT_EQ(dynamic_cast<ui::ListBox*>(Named(u"tab_labels"))->GetCount(), 0);
}

}  // namespace
}  // namespace windows_test
