#pragma once
// One running launcher per user session: an advisory lock (flock) on a file
// named after the instance under $XDG_RUNTIME_DIR (/tmp when it is unset).
// The kernel releases the lock when its holder dies, so a crashed launcher
// never blocks the next start.

#include <string>

class SingleInstanceLock {
 public:
  enum class Result {
    kAcquired,    // this process is the running launcher
    kHeldByOther, // another launcher holds the lock
    kUnavailable, // the lock file cannot be used; nothing is known
  };

  explicit SingleInstanceLock(const std::string& name);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Takes the lock without waiting. The lock stays held until this object
  // dies or the process ends.
  Result Acquire();
  bool held() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

  // The folder the lock files live in.
  static std::string LockFolder();

 private:
  std::string path_;
  int fd_ = -1;
};
