#include "platform/message/window_registry.h"

namespace platform {

namespace {

uintptr_t Key(HWND hwnd) { return reinterpret_cast<uintptr_t>(hwnd); }

}  // namespace

WindowRegistry& WindowRegistry::Instance() {
  static WindowRegistry* registry = new WindowRegistry;  // outlives static destruction
  return *registry;
}

HWND WindowRegistry::Add(std::shared_ptr<WindowRecord> record) {
  std::lock_guard<std::mutex> guard(lock_);
  uintptr_t key = next_handle_;
  next_handle_ += 2;
  record->handle = reinterpret_cast<HWND>(key);
  windows_.emplace(key, std::move(record));
  return reinterpret_cast<HWND>(key);
}

std::shared_ptr<WindowRecord> WindowRegistry::Find(HWND hwnd) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = windows_.find(Key(hwnd));
  return it == windows_.end() ? nullptr : it->second;
}

std::shared_ptr<WindowRecord> WindowRegistry::Remove(HWND hwnd) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = windows_.find(Key(hwnd));
  if (it == windows_.end())
    return nullptr;
  std::shared_ptr<WindowRecord> record = std::move(it->second);
  windows_.erase(it);
  return record;
}

}  // namespace platform
