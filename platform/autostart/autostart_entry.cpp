#include "platform/autostart/autostart_entry.h"

#include "platform/files/file_operations.h"
#include "platform/system/machine_registry.h"

namespace platform {

std::string AutostartEntryPath(const std::string& name) {
  return UserConfigFolder() + "/autostart/" + name + ".desktop";
}

bool RemoveAutostartEntry(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      name.find('\0') != std::string::npos) {
    return false;
  }
  return RemoveFileIfPresent(AutostartEntryPath(name));
}

}  // namespace platform
