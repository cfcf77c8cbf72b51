#include "platform/autostart/autostart_entry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char kEntryName[] = "VDLLauncher";

std::string ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config";
  return std::string();
}

// The Exec key takes a quoted argument in which '"', '`', '$' and '\' are
// escaped with a backslash; the desktop-entry string escaping then doubles
// every backslash once more.
std::string QuoteExecArgument(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string escaped;
  for (char c : quoted) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

bool ReadWholeFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *out = buffer.str();
  return true;
}

bool WriteFileReplacing(const std::string& path, const std::string& text) {
  std::string temp = path + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t written = 0;
  while (written < text.size()) {
    ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  bool ok = written == text.size() && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace

std::string AutostartEntryPath() {
  std::string home = ConfigHome();
  if (home.empty()) return home;
  return home + "/autostart/" + kEntryName + ".desktop";
}

std::string AutostartEntryText(const std::string& programPath) {
  return std::string("[Desktop Entry]\n") + "Type=Application\n" + "Name=" + kEntryName +
         "\n" + "Exec=" + QuoteExecArgument(programPath) + "\n" +
         "X-GNOME-Autostart-enabled=true\n";
}

int SetAutostartEntry(const std::string& programPath) {
  std::string path = AutostartEntryPath();
  if (path.empty()) return -1;
  std::string wanted = AutostartEntryText(programPath);
  std::string existing;
  if (ReadWholeFile(path, &existing) && existing == wanted) return 0;
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) return -1;
  return WriteFileReplacing(path, wanted) ? 1 : -1;
}

bool RemoveAutostartEntry() {
  std::string path = AutostartEntryPath();
  if (path.empty()) return true;
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace platform
