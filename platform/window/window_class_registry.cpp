#include "platform/window/window_class_registry.h"

namespace platform {

WindowClassRegistry& WindowClassRegistry::Instance() {
  static WindowClassRegistry* registry = new WindowClassRegistry;  // outlives static destruction
  return *registry;
}

bool WindowClassRegistry::Register(const WNDCLASS& window_class, uint32_t* error) {
  if (window_class.lpszClassName.empty() || !window_class.lpfnWndProc) {
    *error = ERROR_INVALID_PARAMETER;
    return false;
  }
  std::lock_guard<std::mutex> lock(lock_);
  if (!classes_.emplace(window_class.lpszClassName, window_class).second) {
    *error = ERROR_CLASS_ALREADY_EXISTS;
    return false;
  }
  return true;
}

bool WindowClassRegistry::Unregister(const std::u16string& name) {
  std::lock_guard<std::mutex> lock(lock_);
  return classes_.erase(name) != 0;
}

std::optional<WNDCLASS> WindowClassRegistry::Find(const std::u16string& name) {
  std::lock_guard<std::mutex> lock(lock_);
  auto it = classes_.find(name);
  if (it == classes_.end()) return std::nullopt;
  return it->second;
}

}  // namespace platform
