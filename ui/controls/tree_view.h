// A list meant to show a hierarchy of tree nodes under a hidden root node.
// The tree keeps no box children: its item operations accept nothing (a
// control handed to Add is kept aside and deleted with the tree, since the
// caller was told it was taken), and nodes are linked to each other through
// TreeNode::AddChildNode. The
// "indent" attribute is stored for whoever lays nodes out. UI thread only.
#ifndef UI_CONTROLS_TREE_VIEW_H_
#define UI_CONTROLS_TREE_VIEW_H_

#include <memory>
#include <string>
#include <vector>

#include "ui/controls/list_box.h"
#include "ui/controls/tree_node.h"

namespace ui {

class TreeView : public ListBox {
 public:
  TreeView();

  void SetWindow(Window* window, Box* parent, bool init) override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;
  bool Add(Control* control) override;
  bool AddAt(Control* control, size_t index) override;
  bool Remove(Control* control) override;
  bool RemoveAt(size_t index) override;
  void RemoveAll() override;

  int GetIndent() const { return indent_; }
  TreeNode* GetRootNode() const { return root_node_.get(); }

 private:
  void KeepRefused(Control* control);

  int indent_ = 0;
  std::unique_ptr<TreeNode> root_node_;
  // Controls given to Add or AddAt, which the tree does not show.
  std::vector<std::unique_ptr<Control>> refused_;
};

}  // namespace ui

#endif  // UI_CONTROLS_TREE_VIEW_H_
