#include "ui/registered_window_list.h"

#include <algorithm>

namespace ui {

RegisteredWindowList& RegisteredWindowList::GetInstance() {
  static RegisteredWindowList list;
  return list;
}

void RegisteredWindowList::Add(Window* window, platform::HWND hwnd) {
  Remove(window);
  entries_.push_back({window, hwnd});
}

void RegisteredWindowList::Remove(Window* window) {
  std::erase_if(entries_, [window](const Entry& entry) { return entry.window == window; });
}

Window* RegisteredWindowList::Find(platform::HWND hwnd) const {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [hwnd](const Entry& entry) { return entry.hwnd == hwnd; });
  return it == entries_.end() ? nullptr : it->window;
}

}  // namespace ui
