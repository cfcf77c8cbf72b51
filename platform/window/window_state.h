// What the window layer keeps for each window beside the message core's
// record: its class, styles, title, owner, native window, named properties
// and the part waiting to be painted. Changed on the window's thread; read
// from any thread under the state's lock.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window/window_api.h"

namespace platform {

struct WindowState {
  // Fixed at creation.
  HWND hwnd = nullptr;
  std::u16string class_name;
  uint32_t class_style = 0;
  CursorKind class_cursor = CursorKind::kArrow;
  bool message_only = false;
  HWND owner = nullptr;
  NativeWindow native = 0;

  std::mutex lock;  // guards what follows
  uint32_t style = 0;
  uint32_t ex_style = 0;
  bool enabled = true;
  std::u16string title;
  std::map<std::u16string, uintptr_t> properties;
  Rect update;  // client coordinates; empty: nothing to paint
};

class WindowStateTable {
 public:
  static WindowStateTable& Instance();

  void Add(const std::shared_ptr<WindowState>& state);
  std::shared_ptr<WindowState> Find(HWND hwnd);
  std::shared_ptr<WindowState> Remove(HWND hwnd);
  // Top-level windows, in creation order.
  std::vector<std::shared_ptr<WindowState>> TopLevel();

 private:
  WindowStateTable() = default;

  std::mutex lock_;
  std::map<HWND, std::shared_ptr<WindowState>> states_;
  std::vector<HWND> order_;
};

}  // namespace platform
