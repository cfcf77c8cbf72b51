#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/control_tree_fixture.h"
#include "ui/event_args.h"

namespace ui {
namespace {

using testing::ControlTreeTest;
using testing::CountedControl;

class EventDispatchTest : public ControlTreeTest {};

// Which handlers run and whether the default handling (here: buttondown
// makes the control pushed) follows, for each answer of the attached ones.
TEST_F(EventDispatchTest, AttachedHandlersDecideWhatFollows) {
  struct Case {
    bool has_exact;
    bool exact_result;
    bool has_all;
    bool all_result;
    bool xml_runs;
  };
  const Case cases[] = {
      {true, false, false, true, false},  // false stops XML handlers and the default
      {true, true, false, true, true},
      {true, false, true, true, true},    // "all" runs anyway and its answer wins
      {true, true, true, false, false},
      {false, true, true, false, false},
      {false, true, false, true, true},
  };
  for (const Case& c : cases) {
    Control control;
    std::vector<std::string> order;
    if (c.has_exact) {
      control.AttachEvent(kEventMouseButtonDown, [&order, &c](EventArgs*) {
        order.push_back("exact");
        return c.exact_result;
      });
    }
    if (c.has_all) {
      control.AttachAllEvents([&order, &c](EventArgs*) {
        order.push_back("all");
        return c.all_result;
      });
    }
    control.AttachXmlEvent(kEventMouseButtonDown, [&order](EventArgs*) {
      order.push_back("xml");
      return true;
    });
    control.FireEvent(kEventMouseButtonDown);
    std::vector<std::string> expected;
    if (c.has_exact) expected.push_back("exact");
    if (c.has_all) expected.push_back("all");
    if (c.xml_runs) expected.push_back("xml");
    EXPECT_EQ(order, expected);
    EXPECT_EQ(control.GetState() == kControlStatePushed, c.xml_runs);
  }
}

TEST_F(EventDispatchTest, XmlHandlerFalseStopsTheDefault) {
  Control control;
  control.AttachXmlEvent(kEventAll, [](EventArgs*) { return false; });
  control.FireEvent(kEventMouseButtonDown);
  EXPECT_EQ(control.GetState(), kControlStateNormal);
}

TEST_F(EventDispatchTest, InternalFocusEventsSkipTheMaps) {
  Control control;
  int seen = 0;
  control.AttachAllEvents([&seen](EventArgs*) { return ++seen, false; });
  control.AttachXmlEvent(kEventAll, [&seen](EventArgs*) { return ++seen, false; });
  control.FireEvent(kEventInternalSetFocus);
  EXPECT_EQ(seen, 0);
  EXPECT_TRUE(control.IsFocused());
  EXPECT_EQ(control.GetState(), kControlStateHot);
  EXPECT_EQ(control.GetHotAlpha(), 255);
  control.FireEvent(kEventInternalKillFocus);
  EXPECT_EQ(seen, 0);
  EXPECT_FALSE(control.IsFocused());
  EXPECT_EQ(control.GetState(), kControlStateNormal);
}

TEST_F(EventDispatchTest, EventsBubbleToTheRootPastTheParentsOwnMaps) {
  Window window;
  Box& root = *new Box();
  Box* middle = new Box();
  Control* leaf = new Control();
  root.Add(middle);
  middle->Add(leaf);
  window.AttachRoot(&root);
  int middle_own = 0;
  middle->AttachEvent(kEventSelect, [&middle_own](EventArgs*) { return ++middle_own, true; });
  middle->AttachXmlEvent(kEventAll, [&middle_own](EventArgs*) { return ++middle_own, true; });
  std::vector<Control*> middle_bubbled;
  middle->AttachBubbledEvent(kEventSelect, [&middle_bubbled](EventArgs* e) {
    middle_bubbled.push_back(e->pSender);
    return true;
  });
  std::vector<Control*> root_bubbled;
  root.AttachBubbledEvent(kEventAll, [&root_bubbled](EventArgs* e) {
    root_bubbled.push_back(e->pSender);
    return true;
  });
  leaf->FireEvent(kEventSelect, 3);
  EXPECT_EQ(middle_own, 0) << "a parent's own maps are only for its own events";
  EXPECT_EQ(middle_bubbled, std::vector<Control*>{leaf});
  EXPECT_EQ(root_bubbled, std::vector<Control*>{leaf});
  // A bubbled handler that answers false keeps the event from going higher.
  middle->AttachBubbledEvent(kEventAll, [](EventArgs*) { return false; });
  leaf->FireEvent(kEventSelect);
  EXPECT_EQ(root_bubbled.size(), 1u);
}

TEST_F(EventDispatchTest, MouseEventsOfAMouseDisabledControlGoToItsParent) {
  Window window;
  Box& root = *new Box();
  Control* leaf = new Control();
  leaf->SetMouseEnabled(false);
  root.Add(leaf);
  window.AttachRoot(&root);
  int seen = 0;
  root.AttachBubbledEvent(kEventMouseButtonDown, [&seen](EventArgs*) { return ++seen, true; });
  leaf->FireEvent(kEventMouseButtonDown);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(leaf->GetState(), kControlStateNormal);
  EXPECT_EQ(root.GetState(), kControlStatePushed) << "the parent is pressed in its place";
}

TEST_F(EventDispatchTest, HandlerDeletingItsControlEndsTheDispatch) {
  for (bool in_all : {false, true}) {
    int deletions = 0;
    int later = 0;
    auto* control = new CountedControl(&deletions);
    control->AttachEvent(kEventClick, [control](EventArgs*) {
      delete control;
      return true;
    });
    if (in_all) control->AttachAllEvents([&later](EventArgs*) { return ++later, true; });
    control->AttachXmlEvent(kEventClick, [&later](EventArgs*) { return ++later, true; });
    control->FireEvent(kEventClick);
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(later, 0);
  }
}

TEST_F(EventDispatchTest, BoxDeletedByItsOwnHandler) {
  Window window;
  auto* root = new Box();
  root->SetDelayedDestroy(false);
  auto* box = new Box();
  box->Add(new Control());
  root->Add(box);
  window.AttachRoot(root);
  box->AttachBubbledEvent(kEventClick, [root, box](EventArgs*) {
    root->Remove(box);  // deletes it at once, with the control that fired
    return true;
  });
  int later = 0;
  box->AttachXmlBubbledEvent(kEventClick, [&later](EventArgs*) { return ++later, true; });
  box->GetItemAt(0)->FireEvent(kEventClick);
  EXPECT_EQ(later, 0);
  EXPECT_EQ(root->GetCount(), 0);
}

TEST_F(EventDispatchTest, ChildRemovedInItsOwnHandlerGoesAfterTheMessage) {
  Window window;
  Box* root = new Box();
  int deletions = 0;
  auto* child = new CountedControl(&deletions);
  root->Add(child);
  window.AttachRoot(root);
  bool alive_after_remove = false;
  child->AttachEvent(kEventClick, [&](EventArgs* e) {
    root->Remove(e->pSender);
    alive_after_remove = deletions == 0;
    e->pSender->SetDataId(u"still usable");
    return true;
  });
  child->FireEvent(kEventClick);
  EXPECT_TRUE(alive_after_remove);
  EXPECT_EQ(deletions, 0);
  EXPECT_EQ(root->GetCount(), 0);
  RunUntilIdle();
  EXPECT_EQ(deletions, 1);
}

TEST_F(EventDispatchTest, FireEventTakesTheLastMousePointWhenNoneIsGiven) {
  Window window;
  Box* root = new Box();
  window.AttachRoot(root);
  window.SetLastMousePos(UiPoint{12, 34});
  UiPoint seen;
  root->AttachEvent(kEventClick, [&seen](EventArgs* e) { return seen = e->ptMouse, true; });
  root->FireEvent(kEventClick);
  EXPECT_EQ(seen, (UiPoint{12, 34}));
  root->FireEvent(kEventClick, 0, 0, 0, UiPoint{5, 6});
  EXPECT_EQ(seen, (UiPoint{5, 6}));
  Control orphan;
  orphan.AttachEvent(kEventClick, [&seen](EventArgs* e) { return seen = e->ptMouse, true; });
  orphan.FireEvent(kEventClick);
  EXPECT_EQ(seen, (UiPoint{0, 0}));
}

TEST_F(EventDispatchTest, ButtonUpOutsideLeavesTheControlNormal) {
  int clicks = 0;
  struct Clicker : Control {
    int* clicks;
    explicit Clicker(int* c) : clicks(c) {}
    void Activate() override { ++*clicks; }
  } clicker(&clicks);
  clicker.SetPos(UiRect{0, 0, 10, 10});
  clicker.FireEvent(kEventMouseButtonDown, 0, 0, 0, UiPoint{5, 5});
  EXPECT_EQ(clicker.GetState(), kControlStatePushed);
  clicker.FireEvent(kEventMouseButtonUp, 0, 0, 0, UiPoint{50, 5});
  EXPECT_EQ(clicker.GetState(), kControlStateNormal);
  EXPECT_EQ(clicks, 0);
  clicker.FireEvent(kEventMouseButtonDown, 0, 0, 0, UiPoint{5, 5});
  clicker.FireEvent(kEventMouseButtonUp, 0, 0, 0, UiPoint{6, 6});
  EXPECT_EQ(clicker.GetState(), kControlStateHot);
  EXPECT_EQ(clicks, 1);
}

TEST_F(EventDispatchTest, ResizeFiresOncePerChangeAndNeverNested) {
  Window window;
  Box* root = new Box();
  Control* control = new Control();
  root->Add(control);
  window.AttachRoot(root);
  int resizes = 0;
  control->AttachResize([&resizes, control](EventArgs*) {
    ++resizes;
    control->SetPos(UiRect{0, 0, 7, 7});  // moving itself from the handler
    return true;
  });
  control->SetPos(UiRect{0, 0, 10, 10});
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(control->GetPos(), (UiRect{0, 0, 7, 7}));
  control->SetPos(UiRect{0, 0, 7, 7});
  EXPECT_EQ(resizes, 1) << "the same rectangle fires nothing";
  control->SetPos(UiRect{5, 5, 1, 1});
  EXPECT_EQ(control->GetPos(), (UiRect{0, 0, 7, 7})) << "the handler moved it back";
  EXPECT_EQ(resizes, 2);
}

TEST_F(EventDispatchTest, EventNames) {
  EXPECT_EQ(EventTypeFromName(u"Click"), kEventNone);
  EXPECT_EQ(EventTypeFromName(u"click"), kEventNone);
  EXPECT_EQ(EventTypeFromName(u"buttondown"), kEventMouseButtonDown);
  EXPECT_EQ(EventTypeFromName(u"all"), kEventAll);
  EXPECT_EQ(EventTypeFromName(u"valuechange"), kEventValueChange);
}

}  // namespace
}  // namespace ui
