// The registered window classes of the process, by name.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/window/window_api.h"

namespace platform {

class WindowClassRegistry {
 public:
  static WindowClassRegistry& Instance();

  // False when the name is taken (or empty, or the procedure missing).
  bool Register(const WNDCLASS& window_class, uint32_t* error);
  bool Unregister(const std::u16string& name);
  std::optional<WNDCLASS> Find(const std::u16string& name);

 private:
  WindowClassRegistry() = default;

  std::mutex lock_;
  std::map<std::u16string, WNDCLASS> classes_;
};

}  // namespace platform
