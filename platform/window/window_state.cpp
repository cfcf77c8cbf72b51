#include "platform/window/window_state.h"

#include <algorithm>

namespace platform {

WindowStateTable& WindowStateTable::Instance() {
  static WindowStateTable* table = new WindowStateTable;  // outlives static destruction
  return *table;
}

void WindowStateTable::Add(const std::shared_ptr<WindowState>& state) {
  std::lock_guard<std::mutex> lock(lock_);
  states_[state->hwnd] = state;
  order_.push_back(state->hwnd);
}

std::shared_ptr<WindowState> WindowStateTable::Find(HWND hwnd) {
  std::lock_guard<std::mutex> lock(lock_);
  auto it = states_.find(hwnd);
  return it == states_.end() ? nullptr : it->second;
}

std::shared_ptr<WindowState> WindowStateTable::Remove(HWND hwnd) {
  std::lock_guard<std::mutex> lock(lock_);
  auto it = states_.find(hwnd);
  if (it == states_.end()) return nullptr;
  std::shared_ptr<WindowState> state = std::move(it->second);
  states_.erase(it);
  order_.erase(std::remove(order_.begin(), order_.end(), hwnd), order_.end());
  return state;
}

std::vector<std::shared_ptr<WindowState>> WindowStateTable::TopLevel() {
  std::lock_guard<std::mutex> lock(lock_);
  std::vector<std::shared_ptr<WindowState>> result;
  for (HWND hwnd : order_) {
    const auto& state = states_[hwnd];
    if (!state->message_only) result.push_back(state);
  }
  return result;
}

}  // namespace platform
