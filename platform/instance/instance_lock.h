#pragma once
// A named instance marker between processes, in place of a named mutex: an
// advisory lock on a file named after the instance under $XDG_RUNTIME_DIR
// (/tmp when it is unset). The holder keeps the lock for as long as it runs;
// the kernel drops it when the holder dies. Others test it without taking it,
// so a test never blocks a holder that starts at the same moment.

#include <string>

namespace platform {

class InstanceLock {
 public:
  explicit InstanceLock(const std::string& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock without waiting; false when another process holds it or
  // the lock file cannot be used.
  bool Acquire();
  bool held() const { return fd_ >= 0; }

  // Whether some process holds the named lock now. The lock is only
  // examined, never taken.
  static bool IsHeld(const std::string& name);
  // The file that stands for the named lock.
  static std::string PathOf(const std::string& name);

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace platform
