#include "project/Launcher/core/bounded_file.h"

#include "platform/files/file_operations.h"

bool ReadBoundedFile(const std::string& path, uint64_t maxBytes, std::string* bytes) {
  return platform::ReadFileToString(path, *bytes, maxBytes);
}
