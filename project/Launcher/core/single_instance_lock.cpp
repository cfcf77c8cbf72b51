#include "project/Launcher/core/single_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

SingleInstanceLock::SingleInstanceLock(const std::string& name) : path_(LockFolder() + "/" + name) {}

SingleInstanceLock::~SingleInstanceLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

std::string SingleInstanceLock::LockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return runtime;
  return "/tmp";
}

SingleInstanceLock::Result SingleInstanceLock::Acquire() {
  if (fd_ >= 0) return Result::kAcquired;
  // No symbolic link is followed: in a shared folder such as /tmp the name
  // could otherwise point anywhere.
  int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Result::kUnavailable;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Result::kUnavailable;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? Result::kHeldByOther : Result::kUnavailable;
  }
  fd_ = fd;
  return Result::kAcquired;
}
