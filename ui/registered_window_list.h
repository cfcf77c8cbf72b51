// The framework's windows in creation order, searched by their handle. The
// list does not own them; each window adds itself when its handle is made and
// removes itself when it goes away.
#ifndef UI_REGISTERED_WINDOW_LIST_H_
#define UI_REGISTERED_WINDOW_LIST_H_

#include <vector>

#include "platform/message/message_types.h"

namespace ui {

class Window;

class RegisteredWindowList {
 public:
  struct Entry {
    Window* window = nullptr;
    platform::HWND hwnd = nullptr;
  };

  static RegisteredWindowList& GetInstance();

  // Appends the window; a window already listed moves to the end (it became
  // the most recent again).
  void Add(Window* window, platform::HWND hwnd);
  void Remove(Window* window);
  Window* Find(platform::HWND hwnd) const;
  const std::vector<Entry>& entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace ui

#endif  // UI_REGISTERED_WINDOW_LIST_H_
