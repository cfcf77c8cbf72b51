// Lists and their rows driven by the events the window gives them: mouse
// selection, keys, the wheel, double click and return, rows coming and
// going, and the selected row scrolled into view.
#include "ui/controls/list_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/control_widgets.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/hlayout.h"
#include "ui/tile_layout.h"
#include "ui/vlayout.h"
#include "ui/widget_factory.h"

namespace ui::testing {
namespace {

constexpr char16_t kEnd = 0x23;
constexpr char16_t kHome = 0x24;
constexpr char16_t kUp = 0x26;
constexpr char16_t kDown = 0x28;
constexpr int kRowHeight = 20;

class ListBoxTest : public WidgetTest {
 protected:
  // A 100-pixel high vertical list of |rows| rows of 20 pixels, in a window.
  ListBox* MakeList(int rows) {
    list_ = new ListBox(new VLayout());
    list_->SetAttribute(u"vscrollbar", u"true");
    for (int i = 0; i < rows; ++i) {
      auto* row = new ListContainerElement();
      row->SetAttribute(u"height", u"20");
      row->SetName(u"row" + ToU16(i));
      list_->Add(row);
    }
    window_.AttachRoot(list_);
    list_->SetPos(UiRect{0, 0, 200, 100});
    return list_;
  }
  static std::u16string ToU16(int i) {
    const std::string s = std::to_string(i);
    return std::u16string(s.begin(), s.end());
  }
  ListContainerElement* Row(int i) {
    return static_cast<ListContainerElement*>(list_->GetItemAt(static_cast<size_t>(i)));
  }
  // Records "who:event" for select, unselect and click of the list and rows.
  void Record() {
    auto name_of = [this](Control* c) {
      return c == list_ ? std::string("list") : "row" + std::to_string(list_->GetItemIndex(c));
    };
    auto attach = [&](Control* c) {
      c->AttachEvent(kEventSelect, [this, c, name_of](EventArgs* e) {
        std::string entry = name_of(c) + ":select";
        if (c == list_) {
          entry += "(" + std::to_string(e->wParam) + "," +
                   std::to_string(static_cast<long long>(e->lParam)) + ")";
        }
        log_.push_back(entry);
        return true;
      });
      c->AttachEvent(kEventUnSelect, [this, c, name_of](EventArgs*) {
        log_.push_back(name_of(c) + ":unselect");
        return true;
      });
      c->AttachEvent(kEventClick, [this, c, name_of](EventArgs*) {
        log_.push_back(name_of(c) + ":click");
        return true;
      });
    };
    attach(list_);
    for (int i = 0; i < list_->GetCount(); ++i) attach(list_->GetItemAt(static_cast<size_t>(i)));
  }
  static void Send(Control* control, int type, char16_t key = 0, platform::WPARAM wparam = 0) {
    EventArgs event;
    event.Type = type;
    event.pSender = control;
    event.chKey = key;
    event.wParam = wparam;
    control->HandleEvent(event);
  }

  Window window_;
  ListBox* list_ = nullptr;
  std::vector<std::string> log_;
};

TEST_F(ListBoxTest, MouseSelectionFiresClickUnselectAndSelectInOrder) {
  MakeList(5);
  Record();
  Row(1)->Activate();
  EXPECT_EQ(list_->GetCurSel(), 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"row1:click", "row1:select", "list:select(1,-1)"}));
  log_.clear();
  Row(3)->Activate();
  EXPECT_EQ(log_, (std::vector<std::string>{"row3:click", "row1:unselect", "row3:select",
                                            "list:select(3,1)"}));
  EXPECT_FALSE(Row(1)->IsSelected());
  EXPECT_TRUE(Row(3)->IsSelected());
  log_.clear();
  Row(3)->Activate();
  EXPECT_EQ(log_, (std::vector<std::string>{"row3:click", "row3:unselect", "row3:select",
                                            "list:select(3,3)"}))
      << "the selected row again unselects and reselects it";
  log_.clear();
  // A press and release of the mouse inside row 0 (at 0..20).
  for (int type : {kEventMouseButtonDown, kEventMouseButtonUp}) {
    EventArgs event;
    event.Type = type;
    event.pSender = Row(0);
    event.ptMouse = UiPoint{10, 10};
    Row(0)->HandleEvent(event);
  }
  EXPECT_EQ(list_->GetCurSel(), 0);
  EXPECT_EQ(log_, (std::vector<std::string>{"row0:click", "row3:unselect", "row0:select",
                                            "list:select(0,3)"}));
}

TEST_F(ListBoxTest, HiddenOrDisabledRowsCannotBeSelected) {
  MakeList(5);
  ASSERT_TRUE(list_->SelectItem(0, false, true));
  Row(2)->SetEnabled(false);
  Row(3)->SetVisible(false);
  EXPECT_FALSE(list_->SelectItem(2, false, true));
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_FALSE(Row(0)->IsSelected());
  EXPECT_FALSE(list_->SelectItem(3, false, true));
  EXPECT_FALSE(list_->SelectItem(7, false, true));
  EXPECT_FALSE(list_->SelectItem(-1, false, true));
  EXPECT_EQ(list_->GetCurSel(), -1);
}

TEST_F(ListBoxTest, KeysMoveTheSelectionOverFiftyRowsAndFireSelectOncePerChange) {
  MakeList(50);
  int list_selects = 0;
  list_->AttachEvent(kEventSelect, [&](EventArgs*) { return ++list_selects, true; });
  struct Step {
    char16_t key;
    int expected;
  };
  const Step steps[] = {{kDown, 0}, {kDown, 1}, {kEnd, 49}, {kUp, 48},
                        {kHome, 0}, {kUp, 0},   {kEnd, 49}, {kDown, 49}};
  int n = 0;
  for (const Step& step : steps) {
    Send(list_, kEventKeyDown, step.key);
    ++n;
    EXPECT_EQ(list_->GetCurSel(), step.expected) << "step " << n;
    EXPECT_EQ(list_selects, n) << "one list select per key, step " << n;
    int selected_rows = 0;
    for (int i = 0; i < 50; ++i) selected_rows += Row(i)->IsSelected() ? 1 : 0;
    EXPECT_EQ(selected_rows, 1);
  }
}

TEST_F(ListBoxTest, HomeSkipsADisabledFirstRowAndUpStaysOnIt) {
  MakeList(5);
  Row(0)->SetEnabled(false);
  Send(list_, kEventKeyDown, kHome);
  EXPECT_EQ(list_->GetCurSel(), 1);
  Send(list_, kEventKeyDown, kUp);
  EXPECT_EQ(list_->GetCurSel(), 1);
}

TEST_F(ListBoxTest, SelectionScrollsIntoViewBothWays) {
  MakeList(50);
  ASSERT_GT(list_->GetScrollRange().cy, 0);
  Send(list_, kEventKeyDown, kEnd);
  EXPECT_EQ(list_->GetScrollPos().cy, 50 * kRowHeight - 100) << "last row at the bottom";
  Send(list_, kEventKeyDown, kHome);
  EXPECT_EQ(list_->GetScrollPos().cy, 0);
  list_->SelectItem(10, false, false);
  EXPECT_EQ(list_->GetScrollPos().cy, 11 * kRowHeight - 100);
  list_->SelectItem(8, false, false);
  EXPECT_EQ(list_->GetScrollPos().cy, 11 * kRowHeight - 100) << "already in view: no scroll";
  list_->SelectItem(2, false, false);
  EXPECT_EQ(list_->GetScrollPos().cy, 2 * kRowHeight) << "row 2 at the top";
}

TEST_F(ListBoxTest, WheelMovesTheSelectionOnlyWithScrollSelect) {
  MakeList(50);
  list_->SelectItem(5, false, false);
  Send(list_, kEventMouseScrollWheel, 0, static_cast<platform::WPARAM>(-120));
  EXPECT_EQ(list_->GetCurSel(), 5) << "without scrollselect the wheel scrolls";
  list_->SetAttribute(u"scrollselect", u"true");
  Send(list_, kEventMouseScrollWheel, 0, 120);
  EXPECT_EQ(list_->GetCurSel(), 4);
  Send(list_, kEventMouseScrollWheel, 0, static_cast<platform::WPARAM>(-120));
  EXPECT_EQ(list_->GetCurSel(), 5);
  list_->SetAttribute(u"scrollselect", u"yes");
  EXPECT_FALSE(list_->IsScrollSelect());
}

TEST_F(ListBoxTest, DoubleClickAndReturnFireFromTheRow) {
  MakeList(3);
  int double_clicks = 0;
  int returns = 0;
  Row(1)->AttachEvent(kEventMouseDoubleClick, [&](EventArgs*) { return ++double_clicks, true; });
  Row(1)->AttachEvent(kEventReturn, [&](EventArgs*) { return ++returns, true; });
  Send(Row(1), kEventInternalDoubleClick);
  EXPECT_EQ(double_clicks, 1);
  Send(Row(1), kEventKeyDown, 13);
  EXPECT_EQ(returns, 1);
  EXPECT_EQ(list_->GetCurSel(), -1) << "return does not select";
  Row(1)->SetEnabled(false);
  Send(Row(1), kEventKeyDown, 13);
  EXPECT_EQ(returns, 1) << "a disabled row ignores return";
}

TEST_F(ListBoxTest, TheMenuEventSelectsTheRowAndFiresMenu) {
  MakeList(3);
  int menus = 0;
  Row(2)->AttachEvent(kEventMouseMenu, [&](EventArgs*) { return ++menus, true; });
  Send(Row(2), kEventInternalMenu);
  EXPECT_EQ(list_->GetCurSel(), 2);
  EXPECT_EQ(menus, 1);
}

TEST_F(ListBoxTest, RemovingTheSelectedRowSelectsTheOneThatTakesItsPlace) {
  MakeList(5);
  list_->SelectItem(3, false, false);
  Record();
  ASSERT_TRUE(list_->RemoveAt(3));
  EXPECT_EQ(list_->GetCurSel(), 3);
  EXPECT_EQ(Row(3)->GetName(), u"row4");
  EXPECT_TRUE(Row(3)->IsSelected());
  EXPECT_EQ(log_, (std::vector<std::string>{"row2:unselect", "row3:select", "list:select(3,2)"}));
  for (int i = 0; i < list_->GetCount(); ++i) {
    EXPECT_EQ(Row(i)->GetIndex(), i);
    EXPECT_EQ(Row(i)->GetOwner(), list_);
  }
  list_->SetSelectNextWhenActiveRemoved(false);
  ASSERT_TRUE(list_->Remove(Row(3)));
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_FALSE(list_->RemoveAt(9));
}

TEST_F(ListBoxTest, RemovingTheOnlyRowLeavesNoSelection) {
  MakeList(1);
  list_->SelectItem(0, false, false);
  ASSERT_TRUE(list_->RemoveAt(0));
  EXPECT_EQ(list_->GetCurSel(), -1);
}

TEST_F(ListBoxTest, InsertingAndMovingRowsKeepsTheSameRowSelected) {
  MakeList(5);
  list_->SelectItem(2, false, false);
  auto* added = new ListContainerElement();
  added->SetName(u"new");
  ASSERT_TRUE(list_->AddAt(added, 0));
  EXPECT_EQ(list_->GetCurSel(), 3);
  EXPECT_EQ(Row(3)->GetName(), u"row2");
  EXPECT_EQ(added->GetOwner(), list_);
  ASSERT_TRUE(list_->SetItemIndex(Row(3), 5));
  EXPECT_EQ(list_->GetCurSel(), 5);
  EXPECT_EQ(Row(5)->GetName(), u"row2");
  for (int i = 0; i < list_->GetCount(); ++i) EXPECT_EQ(Row(i)->GetIndex(), i);
  EXPECT_FALSE(list_->SetItemIndex(Row(0), 6));
  list_->RemoveAll();
  EXPECT_EQ(list_->GetCurSel(), -1);
}

TEST_F(ListBoxTest, ARowThatFadesOutWhileSelectedDropsTheSelection) {
  MakeList(3);
  list_->SelectItem(1, false, false);
  Row(1)->SetFadeVisible(false);
  EXPECT_EQ(list_->GetCurSel(), -1);
  EXPECT_FALSE(Row(1)->IsSelected());
}

TEST_F(ListBoxTest, ScrollItemToTopAndTopItem) {
  MakeList(50);
  EXPECT_TRUE(list_->ScrollItemToTopByName(u"row10"));
  EXPECT_EQ(list_->GetScrollPos().cy, 10 * kRowHeight);
  list_->SetScrollPos(UiSize{0, 10 * kRowHeight + 10});
  EXPECT_EQ(list_->GetTopItem(), Row(10)) << "the first row still partly in view";
  list_->SetScrollPos(UiSize{0, 0});
  EXPECT_EQ(list_->GetTopItem(), Row(0));
  list_->SetScrollPos(UiSize{0, 11 * kRowHeight});
  EXPECT_TRUE(list_->ScrollItemToTop(Row(12)));
  EXPECT_EQ(list_->GetScrollPos().cy, 12 * kRowHeight);
  ListContainerElement stranger;
  EXPECT_FALSE(list_->ScrollItemToTop(&stranger)) << "not a child";
  EXPECT_FALSE(list_->ScrollItemToTopByName(u"nothing"));
}

TEST_F(ListBoxTest, TheListTagsMakeListsWithTheirLayouts) {
  RegisterControlWidgets();
  auto make = [](const char16_t* tag) {
    return std::unique_ptr<Control>(WidgetFactory::GetInstance().Create(tag));
  };
  auto layout_of = [](const std::unique_ptr<Control>& control) {
    auto* list = dynamic_cast<ListBox*>(control.get());
    return list != nullptr ? list->GetLayout() : nullptr;
  };
  const auto plain = make(u"ListBox");
  ASSERT_NE(layout_of(plain), nullptr);
  EXPECT_EQ(dynamic_cast<VLayout*>(layout_of(plain)), nullptr);
  EXPECT_EQ(dynamic_cast<HLayout*>(layout_of(plain)), nullptr);
  EXPECT_EQ(dynamic_cast<TileLayout*>(layout_of(plain)), nullptr);
  EXPECT_NE(dynamic_cast<VLayout*>(layout_of(make(u"VListBox"))), nullptr);
  EXPECT_NE(dynamic_cast<HLayout*>(layout_of(make(u"HListBox"))), nullptr);
  EXPECT_NE(dynamic_cast<TileLayout*>(layout_of(make(u"TileListBox"))), nullptr);
  EXPECT_NE(dynamic_cast<VirtualLayout*>(layout_of(make(u"VirtualListBox"))), nullptr);
  EXPECT_NE(dynamic_cast<ListContainerElement*>(make(u"ListContainerElement").get()), nullptr);
}

}  // namespace
}  // namespace ui::testing
