#include "project/Launcher/services/download_trace.h"

#include <fcntl.h>
#include <unistd.h>

void DownloadTrace::Open(std::string saveFolder) {
  path_.clear();
  if (saveFolder.empty()) return;
  if (saveFolder.back() != '/') saveFolder += '/';
  path_ = saveFolder + "dltrace.log";
  const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) close(fd);
}

void DownloadTrace::Append(const std::string& line) const {
  if (path_.empty()) return;
  const int fd = open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const ssize_t written = write(fd, line.data(), line.size());
  (void)written;  // a lost trace line changes nothing else
  close(fd);
}
