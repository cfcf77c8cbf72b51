#include "project/Launcher/services/file_hasher.h"

#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "project/Launcher/services/md5_context.h"

namespace {
constexpr size_t kReadBlock = 1 << 20;
// The thread is woken once this much more of the file is final (and at its
// end): waking it for every received chunk costs more than it gains.
constexpr int64_t kWakeStep = 1 << 20;
}

FileHasher::FileHasher(std::string path, int64_t size)
    : path_(std::move(path)), size_(size), thread_([this] { Run(); }) {}

FileHasher::~FileHasher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void FileHasher::Advance(int64_t prefix) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (prefix <= prefix_) return;
    prefix_ = std::min(prefix, size_);
    if (prefix_ < size_ && prefix_ - woken_at_ < kWakeStep) return;
    woken_at_ = prefix_;
  }
  changed_.notify_all();
}

bool FileHasher::Finished(std::string* md5) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (finished_) *md5 = md5_;
  return finished_;
}

void FileHasher::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return finished_ || stop_; });
}

int64_t FileHasher::hashed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hashed_;
}

void FileHasher::Run() {
  Md5Context context;
  std::unique_ptr<char[]> buffer(new char[kReadBlock]);
  int fd = -1;
  int64_t hashed = 0;
  bool failed = false;
  for (;;) {
    int64_t prefix;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || prefix_ > hashed || hashed == size_; });
      if (stop_) break;
      prefix = prefix_;
    }
    if (fd < 0) fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) failed = true;
    while (!failed && hashed < prefix) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(kReadBlock, prefix - hashed));
      const ssize_t n = pread(fd, buffer.get(), want, hashed);
      if (n <= 0) {
        failed = true;
        break;
      }
      context.Update(buffer.get(), static_cast<uint64_t>(n));
      hashed += n;
      std::lock_guard<std::mutex> lock(mutex_);
      hashed_ = hashed;
      if (stop_) break;
    }
    if (failed || hashed == size_) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!failed) {
        context.finished = true;
        context.Final();
        md5_ = Md5DigestToHex(context.digest);
      }
      finished_ = true;
      break;
    }
  }
  if (fd >= 0) close(fd);
  changed_.notify_all();
}
