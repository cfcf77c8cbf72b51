// The virtual list: a fixed set of elements placed on the rows around the
// view and refilled by the data provider while scrolling, and its behaviour
// when the row height, the element count or the scroll bar do not suit it.
#include "ui/controls/virtual_list_box.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "ui/controls/list_container_element.h"

namespace ui::testing {
namespace {

constexpr int kRowHeight = 10;

// Rows named by their index; remembers which row each element shows.
class CountingProvider : public VirtualListDataProvider {
 public:
  explicit CountingProvider(int rows) : rows_(rows) {}
  Control* CreateElement() override {
    ++created_;
    auto* element = new ListContainerElement();
    element->SetAttribute(u"height", u"10");
    return element;
  }
  void FillElement(Control* element, int index) override {
    ++fills_;
    shown_[element] = index;
  }
  int GetElementCount() override { return rows_; }

  int rows_;
  int created_ = 0;
  int fills_ = 0;
  std::map<Control*, int> shown_;
};

class VirtualListBoxTest : public WidgetTest {
 protected:
  // A list 100 pixels high (room for 10 rows) over the provider's rows.
  VirtualListBox* MakeList(int elements, int row_height = kRowHeight, bool scroll_bar = true) {
    list_ = new VirtualListBox();
    if (scroll_bar) list_->SetAttribute(u"vscrollbar", u"true");
    list_->SetDataProvider(&provider_);
    list_->SetElementHeight(row_height);
    window_.AttachRoot(list_);
    list_->InitElements(elements);
    list_->SetPos(UiRect{0, 0, 200, 100});
    return list_;
  }
  // The row each element stands on, from its position, in child order.
  std::vector<int> PlacedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < list_->GetCount(); ++i) {
      rows.push_back(list_->GetItemAt(static_cast<size_t>(i))->GetPos().top / kRowHeight);
    }
    return rows;
  }
  // The element placed on |row| shows that row's data.
  void ExpectFilled(int first_row, int last_row) {
    for (int i = 0; i < list_->GetCount(); ++i) {
      Control* element = list_->GetItemAt(static_cast<size_t>(i));
      const int row = element->GetPos().top / kRowHeight;
      if (row < first_row || row > last_row) continue;
      ASSERT_TRUE(provider_.shown_.count(element)) << "row " << row << " never filled";
      EXPECT_EQ(provider_.shown_[element], row) << "element " << i;
    }
  }
  static std::vector<int> Range(int from, int to) {
    std::vector<int> rows;
    for (int r = from; r <= to; ++r) rows.push_back(r);
    return rows;
  }
  static void Key(Control* control, char16_t key) {
    EventArgs event;
    event.Type = kEventKeyDown;
    event.pSender = control;
    event.chKey = key;
    control->HandleEvent(event);
  }

  CountingProvider provider_{1000};
  Window window_;
  VirtualListBox* list_ = nullptr;
};

TEST_F(VirtualListBoxTest, ElementsAreReusedAndRefilledWhileScrolling) {
  MakeList(12);
  EXPECT_EQ(list_->GetCount(), 12);
  EXPECT_EQ(list_->GetScrollRange().cy, 1000 * kRowHeight - 100) << "range covers all rows";
  std::vector<int> expected = Range(0, 10);
  expected.insert(expected.begin(), -1);
  EXPECT_EQ(PlacedRows(), expected) << "one spare above row 0, the rest on rows 0 to 10";
  ExpectFilled(0, 10);

  const int fills = provider_.fills_;
  list_->SetScrollPos(UiSize{0, kRowHeight});
  EXPECT_EQ(provider_.fills_, fills) << "row 10 still reaches the bottom: nothing moves";
  EXPECT_EQ(PlacedRows(), expected);

  list_->SetScrollPos(UiSize{0, 3 * kRowHeight});
  EXPECT_EQ(PlacedRows(), Range(3, 14));
  ExpectFilled(3, 14);

  list_->SetScrollPos(UiSize{0, 2 * kRowHeight});
  EXPECT_EQ(PlacedRows(), Range(1, 12)) << "the spare goes above the first visible row";
  ExpectFilled(1, 12);

  list_->SetScrollPos(UiSize{0, 500 * kRowHeight + 5});
  EXPECT_EQ(PlacedRows(), Range(500, 511)) << "a jump down places from the first visible row";
  ExpectFilled(500, 511);
  list_->SetScrollPos(UiSize{0, 200 * kRowHeight});
  std::vector<int> around = Range(200, 210);
  around.insert(around.begin(), 199);
  EXPECT_EQ(PlacedRows(), around) << "a jump up places a spare above";
  ExpectFilled(199, 210);
  EXPECT_EQ(provider_.created_, 12) << "scrolling never creates elements";
  EXPECT_EQ(list_->GetCount(), 12);
}

TEST_F(VirtualListBoxTest, HomeAndEndScrollWithoutMovingTheSelection) {
  MakeList(12);
  Key(list_, 0x23);
  EXPECT_EQ(list_->GetScrollPos().cy, list_->GetScrollRange().cy);
  ExpectFilled(990, 999);
  Key(list_, 0x28);
  EXPECT_EQ(list_->GetCurSel(), -1);
  Key(list_, 0x24);
  EXPECT_EQ(list_->GetScrollPos().cy, 0);
  ExpectFilled(0, 10);
}

TEST_F(VirtualListBoxTest, FewRowsMakeAnOrdinaryList) {
  provider_.rows_ = 5;
  MakeList(12);
  EXPECT_FALSE(list_->IsVirtual());
  EXPECT_EQ(list_->GetCount(), 5);
  EXPECT_EQ(PlacedRows(), Range(0, 4));
  ExpectFilled(0, 4);
}

TEST_F(VirtualListBoxTest, RefreshAfterTheRowsShrinkKeepsOneElementPerRow) {
  provider_.rows_ = 100;
  MakeList(12);
  provider_.rows_ = 3;
  list_->Refresh();
  EXPECT_EQ(list_->GetCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(provider_.shown_[list_->GetItemAt(static_cast<size_t>(i))], i);
  provider_.rows_ = 1000;
  list_->Refresh();
  EXPECT_EQ(list_->GetCount(), 12) << "grows back only up to the maximum";
}

TEST_F(VirtualListBoxTest, ARowHeightOfZeroStacksTheElementsInsteadOfDividingByIt) {
  MakeList(12, 0);
  EXPECT_FALSE(list_->IsVirtual());
  EXPECT_EQ(list_->GetCount(), 12);
  list_->SetScrollPos(UiSize{0, 50});
  Key(list_, 0x23);
  EXPECT_EQ(PlacedRows()[1], 1) << "stacked by their own height";
  EXPECT_EQ(provider_.created_, 12);
}

TEST_F(VirtualListBoxTest, TooFewElementsForTheViewPlaceNoSpares) {
  MakeList(5);
  ASSERT_TRUE(list_->IsVirtual());
  EXPECT_EQ(PlacedRows(), Range(0, 4)) << "no element above the first row";
  ExpectFilled(0, 4);
  list_->SetScrollPos(UiSize{0, 20 * kRowHeight});
  EXPECT_EQ(PlacedRows(), Range(20, 24));
  ExpectFilled(20, 24);
}

TEST_F(VirtualListBoxTest, WithoutAVerticalScrollBarTheListShowsTheFirstRows) {
  MakeList(12, kRowHeight, false);
  EXPECT_EQ(list_->GetVScrollBar(), nullptr);
  list_->SetScrollPos(UiSize{0, 300});
  Key(list_, 0x23);
  Key(list_, 0x24);
  EXPECT_EQ(list_->GetScrollPos().cy, 0);
  ExpectFilled(0, 10);
  list_->RemoveAll();
  EXPECT_EQ(list_->GetCount(), 0);
}

TEST_F(VirtualListBoxTest, RemoveAllResetsTheScrollPosition) {
  MakeList(12);
  list_->SetScrollPos(UiSize{0, 300});
  list_->RemoveAll();
  EXPECT_EQ(list_->GetCount(), 0);
  EXPECT_EQ(list_->GetScrollPos().cy, 0);
  list_->InitElements(12);
  list_->SetPos(UiRect{0, 0, 200, 101});
  ExpectFilled(0, 10);
}

}  // namespace
}  // namespace ui::testing
