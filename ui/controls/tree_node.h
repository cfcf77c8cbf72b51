// A row of a tree view: a list row that knows its tree, its parent node, its
// child nodes and its depth, and whether its children are shown. A node
// counts as visible only while every ancestor node is expanded and visible.
// UI thread only.
#ifndef UI_CONTROLS_TREE_NODE_H_
#define UI_CONTROLS_TREE_NODE_H_

#include <vector>

#include "ui/controls/list_container_element.h"

namespace ui {

class TreeView;

class TreeNode : public ListContainerElement {
 public:
  TreeNode() = default;
  // Unlinks the node from its parent and its children (which it does not
  // own), so none of them is left pointing at it.
  ~TreeNode() override;

  void SetWindow(Window* window, Box* parent, bool init) override;
  bool IsVisible() const override;
  void SetInternalVisible(bool visible) override;

  // An event handler: flips the expanded flag of the node that sent the
  // event and re-arranges that node's tree. A node of no tree only flips.
  // Always true (handling goes on).
  virtual bool OnToggleExpand(EventArgs* event);

  // Links |child| below this node: its parent, tree and depth follow this
  // node's. The node keeps no ownership; false for null, this node itself,
  // or a node that has a parent already.
  bool AddChildNode(TreeNode* child);

  int GetDepth() const { return depth_; }
  bool IsExpanded() const { return expanded_; }
  void SetExpanded(bool expanded) { expanded_ = expanded; }
  TreeView* GetTreeView() const { return tree_view_; }
  void SetTreeView(TreeView* tree) { tree_view_ = tree; }
  TreeNode* GetParentNode() const { return parent_node_; }
  const std::vector<TreeNode*>& GetChildNodes() const { return children_; }

 private:
  int depth_ = -1;
  bool expanded_ = true;
  TreeView* tree_view_ = nullptr;
  TreeNode* parent_node_ = nullptr;
  std::vector<TreeNode*> children_;
};

}  // namespace ui

#endif  // UI_CONTROLS_TREE_NODE_H_
