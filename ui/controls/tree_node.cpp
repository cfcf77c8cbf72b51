#include "ui/controls/tree_node.h"

#include "ui/controls/tree_view.h"

#include <algorithm>

namespace ui {

TreeNode::~TreeNode() {
  for (TreeNode* child : children_) child->parent_node_ = nullptr;
  if (parent_node_ != nullptr) std::erase(parent_node_->children_, this);
}

void TreeNode::SetWindow(Window* window, Box* parent, bool init) {
  for (TreeNode* child : children_) child->SetWindow(window, this, init);
  // The list row's SetWindow is the box's followed by joining the option
  // group, as a node does.
  ListContainerElement::SetWindow(window, parent, init);
}

bool TreeNode::IsVisible() const {
  if (!visible_ || !internal_visible_) return false;
  if (parent_node_ == nullptr) return true;
  return parent_node_->IsExpanded() && parent_node_->IsVisible();
}

void TreeNode::SetInternalVisible(bool visible) {
  Control::SetInternalVisible(visible);
  // The node's own flags, not its ancestors': the children follow the node.
  const bool shown = visible_ && internal_visible_;
  for (Control* child : items_) child->SetInternalVisible(shown);
}

bool TreeNode::OnToggleExpand(EventArgs* event) {
  auto* node = event != nullptr ? dynamic_cast<TreeNode*>(event->pSender) : nullptr;
  if (node == nullptr) return true;
  node->expanded_ = !node->expanded_;
  if (node->tree_view_ != nullptr) node->tree_view_->Arrange();
  return true;
}

bool TreeNode::AddChildNode(TreeNode* child) {
  if (child == nullptr || child == this || child->parent_node_ != nullptr) return false;
  child->parent_node_ = this;
  child->tree_view_ = tree_view_;
  child->depth_ = depth_ + 1;
  children_.push_back(child);
  return true;
}

}  // namespace ui
