#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/control_tree_fixture.h"
#include "ui/vbox.h"
#include "ui/vlayout.h"

namespace ui {
namespace {

using testing::ControlTreeTest;
using testing::CountedControl;

class BoxLayoutTest : public ControlTreeTest {
 protected:
  static Control* Fixed(int width, int height) {
    auto* control = new Control();
    control->SetFixedWidth(width, false, false);
    control->SetFixedHeight(height, false);
    return control;
  }
};

TEST_F(BoxLayoutTest, StretchChildrenShareTheHeightFirstOnesTakeTheRest) {
  VBox box;
  std::vector<Control*> children;
  for (int i = 0; i < 3; ++i) {
    children.push_back(new Control());
    box.Add(children.back());
  }
  box.SetPos(UiRect{0, 0, 50, 100});
  EXPECT_EQ(children[0]->GetPos(), (UiRect{0, 0, 50, 34}));
  EXPECT_EQ(children[1]->GetPos(), (UiRect{0, 34, 50, 67}));
  EXPECT_EQ(children[2]->GetPos(), (UiRect{0, 67, 50, 100}));
}

TEST_F(BoxLayoutTest, ChildMarginBetweenChildren) {
  Window window;
  auto* box = new VBox();
  box->SetAttribute(u"childmargin", u"5");
  box->Add(Fixed(10, 20));
  box->Add(Fixed(10, 20));
  window.AttachRoot(box);
  box->SetPos(UiRect{0, 0, 100, 100});
  EXPECT_EQ(box->GetItemAt(0)->GetPos(), (UiRect{0, 0, 10, 20}));
  EXPECT_EQ(box->GetItemAt(1)->GetPos(), (UiRect{0, 25, 10, 45}));
  const UiSize arranged = box->GetLayout()->ArrangeChildren(box->GetChildren(), UiRect{0, 0, 100, 100});
  EXPECT_EQ(arranged.cy, 45);
  box->SetFixedHeight(kSizeAuto, false);
  EXPECT_EQ(box->EstimateSize(UiSize{100, 100}).cy, 45);
  box->GetItemAt(0)->SetVisible(false);
  box->GetItemAt(1)->SetVisible(false);
  EXPECT_EQ(box->EstimateSize(UiSize{100, 100}).cy, 0) << "no visible child: no height";
}

TEST_F(BoxLayoutTest, FloatChildrenPlacedByMarginAndAlignment) {
  struct Case {
    const char16_t* halign;
    const char16_t* valign;
    UiRect expected;
  };
  const Case cases[] = {
      {u"left", u"top", {5, 5, 25, 15}},
      {u"right", u"bottom", {175, 85, 195, 95}},
      {u"center", u"center", {90, 45, 110, 55}},
  };
  for (const Case& c : cases) {
    VBox box;
    Control* flow = Fixed(30, 30);
    Control* floating = Fixed(20, 10);
    floating->SetAttribute(u"float", u"true");
    floating->SetAttribute(u"margin", u"5,5,5,5");
    floating->SetAttribute(u"halign", c.halign);
    floating->SetAttribute(u"valign", c.valign);
    Control* after = Fixed(30, 30);
    box.Add(flow);
    box.Add(floating);
    box.Add(after);
    box.SetPos(UiRect{0, 0, 200, 100});
    EXPECT_EQ(floating->GetPos(), c.expected);
    EXPECT_EQ(after->GetPos(), (UiRect{0, 30, 30, 60})) << "a float child takes no room";
  }
}

TEST_F(BoxLayoutTest, FreeLayoutPlacesEveryChildInTheWholeRect) {
  Box box;
  box.SetAttribute(u"padding", u"10,10,10,10");
  Control* stretch = new Control();
  Control* right = Fixed(20, 20);
  right->SetAttribute(u"halign", u"right");
  box.Add(stretch);
  box.Add(right);
  box.SetPos(UiRect{0, 0, 100, 60});
  EXPECT_EQ(stretch->GetPos(), (UiRect{10, 10, 90, 50}));
  EXPECT_EQ(right->GetPos(), (UiRect{70, 10, 90, 30}));
  EXPECT_EQ(box.GetPosWithoutPadding(), (UiRect{10, 10, 90, 50}));
}

TEST_F(BoxLayoutTest, BoxWithoutVisibleChildrenNeedsItsPaddingAlone) {
  Box empty;
  empty.SetAttribute(u"padding", u"3,4,5,6");
  empty.SetFixedWidth(kSizeAuto, false, false);
  empty.SetFixedHeight(kSizeAuto, false);
  EXPECT_EQ(empty.EstimateSize(UiSize{100, 100}), (UiSize{8, 10}));

  // In a column, its stretching sibling gets what is really left.
  VBox column;
  auto* auto_box = new Box();
  auto_box->SetAttribute(u"padding", u"0,2,0,2");
  auto_box->SetFixedHeight(kSizeAuto, false);
  auto_box->Add(Fixed(10, 10));
  auto_box->GetItemAt(0)->SetVisible(false);
  Control* stretch = new Control();
  column.Add(auto_box);
  column.Add(stretch);
  column.SetPos(UiRect{0, 0, 50, 100});
  EXPECT_EQ(auto_box->GetPos().Height(), 4);
  EXPECT_EQ(stretch->GetPos(), (UiRect{0, 4, 50, 100}));
}

TEST_F(BoxLayoutTest, MouseChildOffHitsTheBoxItself) {
  Box box;
  Control* child = new Control();
  box.Add(child);
  box.SetPos(UiRect{0, 0, 100, 100});
  auto accept = [](Control* control, void*) { return control; };
  UiPoint point{50, 50};
  EXPECT_EQ(box.FindControl(accept, &point, kFindHitTest | kFindVisible), child);
  box.SetAttribute(u"mousechild", u"false");
  EXPECT_EQ(box.FindControl(accept, &point, kFindHitTest | kFindVisible), &box);
  UiPoint outside{150, 50};
  EXPECT_EQ(box.FindControl(accept, &outside, kFindHitTest | kFindVisible), nullptr);
}

TEST_F(BoxLayoutTest, HitTestFindsTheTopmostChild) {
  Box box;
  Control* below = new Control();
  Control* above = new Control();
  box.Add(below);
  box.Add(above);
  box.SetPos(UiRect{0, 0, 100, 100});
  auto accept = [](Control* control, void*) { return control; };
  UiPoint point{10, 10};
  EXPECT_EQ(box.FindControl(accept, &point, kFindHitTest | kFindTopFirst), above);
  above->SetMouseEnabled(false);
  EXPECT_EQ(box.FindControl(accept, &point, kFindHitTest | kFindTopFirst), below);
}

TEST_F(BoxLayoutTest, AddAtAndIndexBounds) {
  Box box;
  EXPECT_FALSE(box.Add(nullptr));
  Control* first = new Control();
  EXPECT_TRUE(box.AddAt(first, 0));
  Control* second = new Control();
  EXPECT_FALSE(box.AddAt(second, 2)) << "one beyond the count";
  EXPECT_TRUE(box.AddAt(second, 1)) << "equal to the count appends";
  EXPECT_EQ(box.GetItemIndex(second), 1);
  EXPECT_FALSE(box.SetItemIndex(second, 2));
  EXPECT_TRUE(box.SetItemIndex(second, 0));
  EXPECT_EQ(box.GetItemAt(0), second);
  EXPECT_EQ(box.GetItemAt(5), nullptr);
  EXPECT_FALSE(box.RemoveAt(5));
  Control stranger;
  EXPECT_FALSE(box.Remove(&stranger));
  EXPECT_EQ(box.GetItemIndex(&stranger), -1);
}

TEST_F(BoxLayoutTest, RemoveAllQueuesOneDeletionForTheWholeBatch) {
  Window window;
  Box* root = new Box();
  window.AttachRoot(root);
  int deletions = 0;
  for (int i = 0; i < 500; ++i) root->Add(new CountedControl(&deletions));
  const size_t posts_before = window.GetDelayedDestroyPostCount();
  root->RemoveAll();
  root->Add(new CountedControl(&deletions));
  root->RemoveAt(0);
  EXPECT_EQ(deletions, 0) << "deleted after the current message";
  EXPECT_EQ(window.GetDelayedDestroyCount(), 501u);
  EXPECT_EQ(window.GetDelayedDestroyPostCount() - posts_before, 1u);
  RunUntilIdle();
  EXPECT_EQ(deletions, 501);
  EXPECT_EQ(window.GetDelayedDestroyCount(), 0u);
  // The next removal posts again.
  root->Add(new CountedControl(&deletions));
  root->RemoveAll();
  EXPECT_EQ(window.GetDelayedDestroyPostCount() - posts_before, 2u);
  RunUntilIdle();
  EXPECT_EQ(deletions, 502);
}

TEST_F(BoxLayoutTest, RemoveWithoutAutoDestroyKeepsTheChild) {
  Box box;
  box.SetAutoDestroy(false);
  int deletions = 0;
  CountedControl child(&deletions);
  box.Add(&child);
  EXPECT_TRUE(box.Remove(&child));
  EXPECT_EQ(deletions, 0);
  EXPECT_EQ(box.GetCount(), 0);
}

TEST_F(BoxLayoutTest, VisibilityAndEnablingReachTheChildren) {
  Box box;
  Box* inner = new Box();
  Control* leaf = new Control();
  inner->Add(leaf);
  box.Add(inner);
  box.SetVisible(false);
  EXPECT_FALSE(leaf->IsVisible());
  box.SetVisible(true);
  EXPECT_TRUE(leaf->IsVisible());
  box.SetEnabled(false);
  EXPECT_FALSE(leaf->IsEnabled());
  EXPECT_EQ(leaf->GetState(), kControlStateDisabled);
  box.SetEnabled(true);
  EXPECT_EQ(leaf->GetState(), kControlStateNormal);
  Box hidden;
  hidden.SetVisible(false);
  Control* added = new Control();
  hidden.Add(added);
  EXPECT_FALSE(added->IsVisible()) << "a hidden box hides what it gets";
}

TEST_F(BoxLayoutTest, AutoSizedLeafReArrangesFromItsNearestFixedAncestor) {
  Window window;
  auto* root = new VBox();
  auto* middle = new VBox();
  middle->SetFixedHeight(kSizeAuto, false);
  Control* leaf = Fixed(10, 10);
  middle->Add(leaf);
  root->Add(middle);
  root->Add(new Control());
  window.AttachRoot(root);
  window.ArrangePending(UiRect{0, 0, 100, 100});
  EXPECT_EQ(middle->GetPos(), (UiRect{0, 0, 100, 10}));
  leaf->SetFixedHeight(30, false);
  EXPECT_TRUE(window.IsArrangeNeeded());
  EXPECT_TRUE(root->NeedsArrange());
  window.ArrangePending(UiRect{0, 0, 100, 100});
  EXPECT_EQ(middle->GetPos(), (UiRect{0, 0, 100, 30}));
  EXPECT_EQ(root->GetItemAt(1)->GetPos(), (UiRect{0, 30, 100, 100}));
  EXPECT_FALSE(window.IsArrangeNeeded());
}

}  // namespace
}  // namespace ui
