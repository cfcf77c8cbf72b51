#include "project/Launcher/core/bounded_file.h"

#include <sys/stat.h>

#include "project/Launcher/services/folder_helpers.h"

bool ReadBoundedFile(const std::string& path, uint64_t maxBytes, std::string* bytes) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<uint64_t>(st.st_size) > maxBytes) {
    return false;
  }
  std::string content;
  if (!ReadFileToString(path, content) || content.size() > maxBytes) return false;
  *bytes = std::move(content);
  return true;
}
