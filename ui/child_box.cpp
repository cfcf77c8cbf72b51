#include "ui/child_box.h"

#include "ui/global_manager.h"
#include "ui/layout_builder.h"

namespace ui {

void ChildBox::Init() {
  Box::Init();
  if (xml_file_.empty() || built_) return;
  built_ = true;
  if (LayoutBuilder::IsFileOnChain(xml_file_)) {
    RemoveAll();
    return;
  }
  Control* built = GlobalManager::CreateBox(xml_file_, CreateControlCallback());
  Box* box = dynamic_cast<Box*>(built);
  // Held while the tree is added: adding gives the child boxes inside it
  // their window, and so builds their files within this one.
  LayoutBuilder::ChainEntry entry(xml_file_);
  if (box != nullptr && entry.Entered()) {
    Add(box);
  } else {
    delete built;
    RemoveAll();
  }
}

void ChildBox::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"xmlfile") {
    xml_file_ = value;
  } else {
    Box::SetAttribute(name, value);
  }
}

}  // namespace ui
