#include "platform/instance/instance_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// Open-file-description locks: owned by the open file (not the process, so
// threads and other descriptors of the holder do not drop it), released when
// it is closed or the holder dies, and testable with F_OFD_GETLK.
struct flock WholeFile(short type) {
  struct flock lock;
  std::memset(&lock, 0, sizeof lock);
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  return lock;
}

// No symbolic link is followed: in a shared folder such as /tmp the name
// could otherwise point anywhere.
int OpenLockFile(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return -1;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

InstanceLock::InstanceLock(const std::string& name) : path_(PathOf(name)) {}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::string InstanceLock::PathOf(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = (runtime && runtime[0] == '/') ? runtime : "/tmp";
  return folder + "/" + name + ".lock";
}

bool InstanceLock::Acquire() {
  if (fd_ >= 0) return true;
  int fd = OpenLockFile(path_, O_RDWR | O_CREAT);
  if (fd < 0) return false;
  struct flock lock = WholeFile(F_WRLCK);
  int rc;
  do {
    rc = ::fcntl(fd, F_OFD_SETLK, &lock);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool InstanceLock::IsHeld(const std::string& name) {
  // A missing file means nobody ever took the lock here.
  int fd = OpenLockFile(PathOf(name), O_RDONLY);
  if (fd < 0) return false;
  struct flock lock = WholeFile(F_WRLCK);
  bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

}  // namespace platform
