#include "project/Launcher/services/relative_name.h"

bool IsSafeRelativeName(std::string_view name) {
  if (name.empty()) return false;
  if (name.find('\0') != std::string_view::npos) return false;
  if (name.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of("/\\", start);
    std::string_view component =
        name.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (component.empty() || component == "." || component == "..") return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool IsBareFileName(std::string_view name) {
  return IsSafeRelativeName(name) && name.find_first_of("/\\") == std::string_view::npos;
}
