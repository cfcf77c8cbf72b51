#include "ui/controls/tree_view.h"

#include "ui/attribute_value.h"
#include "ui/scroll_bar.h"
#include "ui/vlayout.h"

namespace ui {

TreeView::TreeView() : ListBox(new VLayout()), root_node_(std::make_unique<TreeNode>()) {
  root_node_->SetTreeView(this);
}

void TreeView::SetWindow(Window* window, Box* parent, bool init) {
  if (ScrollBar* bar = GetVScrollBar()) bar->SetWindow(window, this, init);
  if (ScrollBar* bar = GetHScrollBar()) bar->SetWindow(window, this, init);
  Box::SetWindow(window, parent, init);
  if (parent != nullptr) root_node_->SetWindow(window, parent, init);
}

void TreeView::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"indent") {
    indent_ = ParseIntValue(value);
  } else if (name == u"scrollselect") {
    SetScrollSelect(value == u"true");
  } else {
    ScrollableBox::SetAttribute(name, value);
  }
}

void TreeView::KeepRefused(Control* control) {
  if (control == nullptr || control == root_node_.get()) return;
  for (const auto& kept : refused_) {
    if (kept.get() == control) return;
  }
  refused_.emplace_back(control);
}

bool TreeView::Add(Control* control) {
  KeepRefused(control);
  return true;
}

bool TreeView::AddAt(Control* control, size_t /*index*/) {
  KeepRefused(control);
  return true;
}
bool TreeView::Remove(Control* /*control*/) { return true; }
bool TreeView::RemoveAt(size_t /*index*/) { return true; }
void TreeView::RemoveAll() {}

}  // namespace ui
