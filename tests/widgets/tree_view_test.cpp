// The tree view and its nodes: a node is visible only while every ancestor
// is expanded and visible, toggling re-arranges the node's tree, a node of
// no tree can be toggled, and the tree keeps no box children.
#include "ui/controls/tree_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/widgets/widget_fixture.h"
#include "ui/controls/control_widgets.h"
#include "ui/controls/tree_node.h"
#include "ui/layout_builder.h"
#include "ui/vlayout.h"
#include "ui/widget_factory.h"

namespace ui::testing {
namespace {

class TreeViewTest : public WidgetTest {
 protected:
  // root
  // ├── a
  // │   ├── a1
  // │   │   └── a1x
  // │   └── a2
  // └── b
  //     └── b1
  void MakeTree() {
    tree_ = std::make_unique<TreeView>();
    for (auto* node : {&a_, &a1_, &a1x_, &a2_, &b_, &b1_}) *node = std::make_unique<TreeNode>();
    TreeNode* root = tree_->GetRootNode();
    ASSERT_TRUE(root->AddChildNode(a_.get()));
    ASSERT_TRUE(root->AddChildNode(b_.get()));
    ASSERT_TRUE(a_->AddChildNode(a1_.get()));
    ASSERT_TRUE(a_->AddChildNode(a2_.get()));
    ASSERT_TRUE(a1_->AddChildNode(a1x_.get()));
    ASSERT_TRUE(b_->AddChildNode(b1_.get()));
  }
  std::vector<bool> Visibility() const {
    return {a_->IsVisible(), a1_->IsVisible(), a1x_->IsVisible(), a2_->IsVisible(), b_->IsVisible(),
            b1_->IsVisible()};
  }
  static bool Toggle(TreeNode* node) {
    EventArgs event;
    event.Type = kEventClick;
    event.pSender = node;
    return node->OnToggleExpand(&event);
  }

  std::unique_ptr<TreeView> tree_;
  std::unique_ptr<TreeNode> a_, a1_, a1x_, a2_, b_, b1_;
};

TEST_F(TreeViewTest, NodesKnowTheirTreeParentAndDepth) {
  MakeTree();
  EXPECT_EQ(tree_->GetRootNode()->GetTreeView(), tree_.get());
  EXPECT_EQ(tree_->GetRootNode()->GetDepth(), -1);
  EXPECT_EQ(a_->GetDepth(), 0);
  EXPECT_EQ(a1x_->GetDepth(), 2);
  EXPECT_EQ(a1x_->GetTreeView(), tree_.get());
  EXPECT_EQ(a1x_->GetParentNode(), a1_.get());
  EXPECT_EQ(a_->GetChildNodes(), (std::vector<TreeNode*>{a1_.get(), a2_.get()}));
  // A node has one parent; a node is not its own child.
  EXPECT_FALSE(b_->AddChildNode(a1_.get()));
  EXPECT_FALSE(b_->AddChildNode(b_.get()));
  EXPECT_FALSE(b_->AddChildNode(nullptr));
}

TEST_F(TreeViewTest, CollapsingHidesTheWholeSubtreeAndExpandingShowsOnlyExpandedBranches) {
  MakeTree();
  EXPECT_EQ(Visibility(), std::vector<bool>(6, true));

  // Collapse a1 first, then a: a's whole subtree goes, b's stays.
  EXPECT_TRUE(Toggle(a1_.get()));
  EXPECT_EQ(Visibility(), (std::vector<bool>{true, true, false, true, true, true}));
  EXPECT_TRUE(Toggle(a_.get()));
  EXPECT_FALSE(a_->IsExpanded());
  EXPECT_EQ(Visibility(), (std::vector<bool>{true, false, false, false, true, true}));

  // Expanding a again shows a1 and a2 but not a1x, whose parent stays
  // collapsed.
  EXPECT_TRUE(Toggle(a_.get()));
  EXPECT_EQ(Visibility(), (std::vector<bool>{true, true, false, true, true, true}));

  // A hidden ancestor hides its descendants even when they are expanded.
  EXPECT_TRUE(Toggle(a1_.get()));
  a_->SetVisible(false);
  EXPECT_EQ(Visibility(), (std::vector<bool>{false, false, false, false, true, true}));
  // The node's own flags still hold: showing a brings the branch back.
  a_->SetVisible(true);
  EXPECT_EQ(Visibility(), std::vector<bool>(6, true));
}

TEST_F(TreeViewTest, ToggleArrangesTheTreeAndANodeOfNoTreeOnlyFlips) {
  MakeTree();
  Window window;
  ASSERT_TRUE(window.AttachRoot(tree_.release()));
  window.SetArrange(false);
  Toggle(b_.get());
  EXPECT_TRUE(window.IsArrangeNeeded());

  TreeNode lone;
  EXPECT_EQ(lone.GetTreeView(), nullptr);
  EXPECT_TRUE(Toggle(&lone));
  EXPECT_FALSE(lone.IsExpanded());
  EXPECT_TRUE(Toggle(&lone));
  EXPECT_TRUE(lone.IsExpanded());
  // An event without a node as sender changes nothing.
  EventArgs event;
  EXPECT_TRUE(lone.OnToggleExpand(&event));
  EXPECT_TRUE(lone.OnToggleExpand(nullptr));
}

TEST_F(TreeViewTest, ADeletedNodeLeavesNoPointerBehind) {
  MakeTree();
  a1_.reset();
  EXPECT_EQ(a_->GetChildNodes(), (std::vector<TreeNode*>{a2_.get()}));
  EXPECT_EQ(a1x_->GetParentNode(), nullptr);
  EXPECT_TRUE(a1x_->IsVisible());
}

TEST_F(TreeViewTest, NodeChildrenFollowTheNodesOwnVisibility) {
  TreeNode node;
  auto* inner = new Control();
  node.Add(inner);
  node.SetInternalVisible(false);
  EXPECT_FALSE(inner->IsVisible());
  node.SetInternalVisible(true);
  EXPECT_TRUE(inner->IsVisible());
}

TEST_F(TreeViewTest, TheTreeKeepsNoItemsAndStoresItsIndent) {
  TreeView tree;
  auto* node = new TreeNode();
  EXPECT_TRUE(tree.Add(node));
  EXPECT_TRUE(tree.AddAt(new Control(), 0));
  EXPECT_EQ(tree.GetCount(), 0);
  EXPECT_TRUE(tree.Remove(node));
  EXPECT_TRUE(tree.RemoveAt(0));
  tree.RemoveAll();
  tree.SetAttribute(u"indent", u"-17");
  EXPECT_EQ(tree.GetIndent(), -17);
  tree.SetAttribute(u"scrollselect", u"true");
  EXPECT_TRUE(tree.IsScrollSelect());
  // The controls refused by Add are the tree's to delete (the leak check
  // of the sanitizer build sees to it).
}

TEST_F(TreeViewTest, TheFactoryBuildsTreesAndNodesFromALayout) {
  RegisterControlWidgets();
  ASSERT_TRUE(WidgetFactory::GetInstance().IsRegistered(u"TreeView"));
  ASSERT_TRUE(WidgetFactory::GetInstance().IsRegistered(u"TreeNode"));
  std::unique_ptr<Control> tree(WidgetFactory::GetInstance().Create(u"TreeView"));
  ASSERT_NE(dynamic_cast<TreeView*>(tree.get()), nullptr);
  EXPECT_NE(dynamic_cast<VLayout*>(static_cast<TreeView*>(tree.get())->GetLayout()), nullptr);
  std::unique_ptr<Control> node(WidgetFactory::GetInstance().Create(u"TreeNode"));
  ASSERT_NE(dynamic_cast<TreeNode*>(node.get()), nullptr);

  // Nodes a layout gives the tree are not kept and not leaked.
  Window window;
  LayoutBuilder builder;
  Control* root = builder.Create(
      u"<Window><TreeView name=\"tree\" indent=\"12\"><TreeNode/><TreeNode/></TreeView></Window>",
      {}, &window);
  ASSERT_NE(root, nullptr);
  auto* built = dynamic_cast<TreeView*>(root);
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(built->GetIndent(), 12);
  EXPECT_EQ(built->GetCount(), 0);
  EXPECT_TRUE(window.AttachRoot(root));
}

}  // namespace
}  // namespace ui::testing
