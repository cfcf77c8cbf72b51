#pragma once
// Reads what a child program wrote into a FIFO: blocks until one writer has
// written and closed it.

#include <fcntl.h>
#include <unistd.h>

#include <string>

inline std::string ReadRecordFromFifo(const std::string& fifo) {
  int fd = ::open(fifo.c_str(), O_RDONLY);
  if (fd < 0) return {};
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  ::close(fd);
  return text;
}
