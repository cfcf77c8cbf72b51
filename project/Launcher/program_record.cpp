#include "project/Launcher/program_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace {
std::mutex g_recordLock;
}  // namespace

ProgramRecord& ProgramRecord::Get() {
  static ProgramRecord record;
  return record;
}

void ProgramRecord::Open() {
  const char* path = std::getenv("LAUNCHER_RECORD");
  if (!path || !*path) return;
  std::lock_guard<std::mutex> hold(g_recordLock);
  if (fd_ < 0) fd_ = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
}

void ProgramRecord::Line(const std::string& line) {
  std::lock_guard<std::mutex> hold(g_recordLock);
  if (fd_ < 0) return;
  std::string text = line + "\n";
  size_t written = 0;
  while (written < text.size()) {
    ssize_t n = ::write(fd_, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    written += static_cast<size_t>(n);
  }
}
