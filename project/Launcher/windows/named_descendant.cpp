#include "project/Launcher/windows/named_descendant.h"

ui::Control* FindNamedDescendant(const ui::Box* box, const std::u16string& name) {
  if (box == nullptr) return nullptr;
  for (ui::Control* child : box->GetChildren()) {
    if (child->GetName() == name) return child;
    if (auto* inner = dynamic_cast<const ui::Box*>(child)) {
      if (ui::Control* found = FindNamedDescendant(inner, name)) return found;
    }
  }
  return nullptr;
}
