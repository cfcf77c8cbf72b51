#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/control_tree_fixture.h"
#include "ui/vbox.h"
#include "ui/widget_factory.h"

namespace ui {
namespace {

using testing::ControlTreeTest;
using testing::CountedControl;

class WindowTreeTest : public ControlTreeTest {};

TEST_F(WindowTreeTest, NamesAreRegisteredWhenTheTreeOrAChildJoins) {
  Window window;
  Box* root = new Box();
  Control* a = new Control();
  a->SetName(u"a");
  root->Add(a);
  window.AttachRoot(root);
  EXPECT_EQ(window.FindControlByName(u"a"), a);
  Box* later = new Box();
  Control* b = new Control();
  b->SetName(u"b");
  later->Add(b);
  root->Add(later);
  EXPECT_EQ(window.FindControlByName(u"b"), b);
  EXPECT_EQ(b->GetWindow(), &window);
  EXPECT_EQ(window.FindControlByName(u"nobody"), nullptr);
}

TEST_F(WindowTreeTest, ForgettingARenamedControlErasesOnlyItsOwnEntries) {
  Window window;
  Box* root = new Box();
  window.AttachRoot(root);
  root->SetDelayedDestroy(false);
  Control* renamed = new Control();
  renamed->SetName(u"old");
  root->Add(renamed);
  renamed->SetName(u"new");  // the map still knows it as "old"
  Control* namesake = new Control();
  namesake->SetName(u"new");
  root->Add(namesake);
  ASSERT_EQ(window.FindControlByName(u"old"), renamed);
  ASSERT_EQ(window.FindControlByName(u"new"), namesake);
  root->Remove(renamed);
  EXPECT_EQ(window.FindControlByName(u"old"), nullptr) << "no entry left pointing at it";
  EXPECT_EQ(window.FindControlByName(u"new"), namesake) << "another control's entry stays";
}

TEST_F(WindowTreeTest, SameNameTwiceTheLastWins) {
  Window window;
  Box* root = new Box();
  root->SetDelayedDestroy(false);
  Control* first = new Control();
  first->SetName(u"twin");
  Control* second = new Control();
  second->SetName(u"twin");
  root->Add(first);
  root->Add(second);
  window.AttachRoot(root);
  EXPECT_EQ(window.FindControlByName(u"twin"), second);
  root->Remove(first);
  EXPECT_EQ(window.FindControlByName(u"twin"), second);
  root->Remove(second);
  EXPECT_EQ(window.FindControlByName(u"twin"), nullptr);
}

TEST_F(WindowTreeTest, DestructorsThatQueueMoreAreDeletedToo) {
  Window window;
  Box* root = new Box();
  window.AttachRoot(root);
  int deletions = 0;
  // Deleting the first control removes the second from the tree, which
  // queues it while the list is being deleted.
  auto* second = new CountedControl(&deletions);
  auto* first = new CountedControl(&deletions, [&] { root->Remove(second); });
  root->Add(first);
  root->Add(second);
  root->Remove(first);
  EXPECT_EQ(window.GetDelayedDestroyCount(), 1u);
  RunUntilIdle();
  EXPECT_EQ(deletions, 2);
  EXPECT_EQ(window.GetDelayedDestroyCount(), 0u);
  EXPECT_EQ(root->GetCount(), 0);
}

TEST_F(WindowTreeTest, QueuedControlsGoWithTheWindow) {
  int deletions = 0;
  {
    Window window;
    Box* root = new Box();
    window.AttachRoot(root);
    root->Add(new CountedControl(&deletions));
    root->Add(new CountedControl(&deletions));
    root->RemoveAt(0);
    EXPECT_EQ(deletions, 0);
  }
  EXPECT_EQ(deletions, 2);
  RunUntilIdle();  // the posted deletion finds no window and does nothing
  EXPECT_EQ(deletions, 2);
}

TEST_F(WindowTreeTest, ANewRootQueuesTheOldOne) {
  Window window;
  int deletions = 0;
  auto* old_root = new Box();
  old_root->Add(new CountedControl(&deletions));
  window.AttachRoot(old_root);
  EXPECT_FALSE(window.AttachRoot(nullptr));
  EXPECT_EQ(window.GetRoot(), nullptr);
  EXPECT_EQ(deletions, 0);
  RunUntilIdle();
  EXPECT_EQ(deletions, 1);
}

TEST_F(WindowTreeTest, FocusMovesWithItsEvents) {
  Window window;
  Box* root = new Box();
  Control* a = new Control();
  Control* b = new Control();
  Control* hidden = new Control();
  hidden->SetVisible(false);
  root->Add(a);
  root->Add(b);
  root->Add(hidden);
  window.AttachRoot(root);
  std::vector<std::string> log;
  a->AttachAllEvents([&log](EventArgs* e) {
    log.push_back("a" + std::to_string(e->Type));
    return true;
  });
  b->AttachAllEvents([&log](EventArgs* e) {
    log.push_back("b" + std::to_string(e->Type));
    return true;
  });
  window.SetFocus(a);
  window.SetFocus(b);
  EXPECT_EQ(log, (std::vector<std::string>{"a36", "a37", "b36"}));
  EXPECT_FALSE(a->IsFocused());
  EXPECT_TRUE(b->IsFocused());
  window.SetFocus(hidden);
  EXPECT_EQ(window.GetFocus(), nullptr) << "the old focus goes, a hidden control cannot take it";
  window.SetFocus(b);
  b->SetVisible(false);
  EXPECT_EQ(window.GetFocus(), nullptr) << "hiding the focused control clears the focus";
  Window other;
  Control stranger;
  other.SetFocus(&stranger);
  EXPECT_EQ(other.GetFocus(), nullptr) << "a control of no window";
}

TEST_F(WindowTreeTest, DeletedFocusIsForgotten) {
  Window window;
  Box* root = new Box();
  root->SetDelayedDestroy(false);
  Control* a = new Control();
  root->Add(a);
  window.AttachRoot(root);
  window.SetFocus(a);
  root->Remove(a);
  EXPECT_EQ(window.GetFocus(), nullptr);
}

TEST_F(WindowTreeTest, OptionGroups) {
  Window window;
  Control a;
  Control b;
  EXPECT_TRUE(window.AddOptionGroup(u"g", &a));
  EXPECT_FALSE(window.AddOptionGroup(u"g", &a));
  EXPECT_TRUE(window.AddOptionGroup(u"g", &b));
  ASSERT_NE(window.GetOptionGroup(u"g"), nullptr);
  EXPECT_EQ(*window.GetOptionGroup(u"g"), (std::vector<Control*>{&a, &b}));
  window.RemoveOptionGroup(u"g", &a);
  window.RemoveOptionGroup(u"none", &a);
  EXPECT_EQ(*window.GetOptionGroup(u"g"), (std::vector<Control*>{&b}));
  window.RemoveOptionGroup(u"g", &b);
  EXPECT_EQ(window.GetOptionGroup(u"g"), nullptr);
}

TEST_F(WindowTreeTest, ResourcePathEndsInASeparator) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"main", u"main\\"}, {u"main/", u"main/"}, {u"main\\", u"main\\"}, {u"", u""}};
  Window window;
  for (const auto& [in, out] : cases) {
    window.SetResourcePath(in);
    EXPECT_EQ(window.GetResourcePath(), out);
  }
}

TEST_F(WindowTreeTest, FactoryMakesTheFrameworksTags) {
  WidgetFactory& factory = WidgetFactory::GetInstance();
  std::unique_ptr<Control> vbox(factory.Create(u"VBox"));
  ASSERT_NE(dynamic_cast<VBox*>(vbox.get()), nullptr);
  std::unique_ptr<Control> box(factory.Create(u"Box"));
  ASSERT_NE(dynamic_cast<Box*>(box.get()), nullptr);
  std::unique_ptr<Control> control(factory.Create(u"Control"));
  EXPECT_NE(control, nullptr);
  EXPECT_EQ(factory.Create(u"NoSuchTag"), nullptr);
  factory.Register(u"TestTag", [] { return new VBox(); });
  std::unique_ptr<Control> added(factory.Create(u"TestTag"));
  EXPECT_NE(dynamic_cast<VBox*>(added.get()), nullptr);
}

}  // namespace
}  // namespace ui
