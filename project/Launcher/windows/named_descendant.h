#pragma once
// Finding a control by name below one box, not in the whole window: rows of
// one list may carry the same names ("tab_name" in every tab label).

#include <string>

#include "ui/box.h"

// The first control named |name| below |box| (depth first), or null.
ui::Control* FindNamedDescendant(const ui::Box* box, const std::u16string& name);

// The same, only when the control is a T.
template <typename T>
T* FindNamed(const ui::Box* box, const std::u16string& name) {
  return dynamic_cast<T*>(FindNamedDescendant(box, name));
}
