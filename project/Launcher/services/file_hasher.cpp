#include "project/Launcher/services/file_hasher.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "project/Launcher/services/md5_context.h"

namespace {
constexpr int64_t kBlockBytes = int64_t{1} << 20;
// Bytes read back are queued once this much more of the file is final (and
// at its end): waking the thread for every received chunk costs more than it
// gains.
constexpr int64_t kReadBackStep = int64_t{1} << 20;
// Parts other than the one at the prefix wait once this much waits in memory.
constexpr int64_t kHoldOthersBytes = int64_t{4} << 20;
}  // namespace

FileHasher::FileHasher(std::string path, int64_t size)
    : path_(std::move(path)), size_(size), thread_([this] { Run(); }) {}

FileHasher::~FileHasher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  stopping_.store(true, std::memory_order_relaxed);
  work_.notify_all();
  changed_.notify_all();
  thread_.join();
}

// --- the worker's side ---

void FileHasher::Push(Segment segment) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(segment));
  }
  work_.notify_one();
}

void FileHasher::PushPartialBlock() {
  if (!partial_.block || partial_fill_ == 0) return;
  partial_.length = partial_fill_;
  Push(std::move(partial_));
  partial_ = Segment();
  partial_fill_ = 0;
}

std::unique_ptr<char[]> FileHasher::TakeBlock() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!free_blocks_.empty()) {
      auto block = std::move(free_blocks_.back());
      free_blocks_.pop_back();
      return block;
    }
  }
  return std::unique_ptr<char[]>(new char[kBlockBytes]);
}

void FileHasher::Advance(int64_t prefix) {
  prefix = std::min(prefix, size_);
  if (prefix <= given_) return;
  if (prefix < size_ && prefix - given_ < kReadBackStep) return;
  QueueReadBack(prefix);
}

void FileHasher::QueueReadBack(int64_t until) {
  PushPartialBlock();  // its bytes come before the ones read back
  Segment readBack;
  readBack.offset = given_;
  readBack.length = until - given_;
  given_ = until;
  Push(std::move(readBack));
}

void FileHasher::Feed(int64_t offset, const char* data, size_t n) {
  const int64_t end = std::min(offset + static_cast<int64_t>(n), size_);
  if (end <= given_ || offset >= end) return;
  // Everything before |offset| is final: a gap is read back first.
  if (offset > given_) QueueReadBack(offset);
  data += given_ - offset;
  while (given_ < end) {
    const int64_t room = kMemoryBytes - memory_backlog();
    if (room <= 0) return;  // the rest is read back later
    if (!partial_.block) {
      partial_.block = TakeBlock();
      partial_.offset = given_;
      partial_fill_ = 0;
    }
    const int64_t take = std::min({end - given_, kBlockBytes - partial_fill_, room});
    std::memcpy(partial_.block.get() + partial_fill_, data, static_cast<size_t>(take));
    partial_fill_ += take;
    given_ += take;
    memory_given_ += take;
    data += take;
    if (partial_fill_ == kBlockBytes || given_ == size_) PushPartialBlock();
  }
}

void FileHasher::Flush() {
  if (!partial_.block || partial_fill_ == 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!queue_.empty()) return;  // the block fills further while the thread works
  }
  PushPartialBlock();
}

int64_t FileHasher::memory_backlog() const {
  return memory_given_ - memory_hashed_.load(std::memory_order_acquire);
}

bool FileHasher::Holds(bool atPrefix) const {
  if (done_.load(std::memory_order_acquire)) return false;
  const int64_t hashed = hashed_.load(std::memory_order_acquire);
  if (hashed < present_) return false;  // the transfers need not wait for that
  if (atPrefix) return memory_backlog() >= kMemoryBytes;
  return given_ - hashed >= kHoldOthersBytes;
}

void FileHasher::StartAfterPresentBytes(int64_t prefix) {
  present_ = std::min(prefix, size_);
  if (present_ > given_) QueueReadBack(present_);
}

// --- any thread ---

bool FileHasher::Finished(std::string* md5) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (finished_) *md5 = md5_;
  return finished_;
}

void FileHasher::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return finished_ || stop_; });
}

// --- the hashing thread ---

void FileHasher::Run() {
  Md5Context context;
  std::unique_ptr<char[]> readBuffer;
  int fd = -1;
  int64_t hashed = 0;
  bool failed = false;
  while (!failed && hashed < size_) {
    Segment segment;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_.wait(lock, [&] { return stop_ || !queue_.empty(); });
      if (stop_) break;
      segment = std::move(queue_.front());
      queue_.pop_front();
    }
    if (segment.offset != hashed) {  // never a byte twice or out of order
      failed = true;
      break;
    }
    if (segment.block) {
      context.Update(segment.block.get(), static_cast<uint64_t>(segment.length));
      memory_hashed_.fetch_add(segment.length, std::memory_order_release);
      hashed += segment.length;
      hashed_.store(hashed, std::memory_order_release);
      std::lock_guard<std::mutex> lock(mutex_);
      free_blocks_.push_back(std::move(segment.block));
      continue;
    }
    // Read back a MiB at a time; progress shows after each read, and a
    // stopping hasher ends a long read early.
    if (fd < 0) fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (!readBuffer) readBuffer.reset(new char[kBlockBytes]);
    const int64_t end = segment.offset + segment.length;
    while (hashed < end && !stopping_.load(std::memory_order_relaxed)) {
      const size_t want = static_cast<size_t>(std::min(kBlockBytes, end - hashed));
      const ssize_t n = fd < 0 ? -1 : pread(fd, readBuffer.get(), want, hashed);
      if (n <= 0) {
        failed = true;
        break;
      }
      context.Update(readBuffer.get(), static_cast<uint64_t>(n));
      hashed += n;
      read_back_.fetch_add(n, std::memory_order_release);
      hashed_.store(hashed, std::memory_order_release);
    }
    if (hashed < end && !failed) break;  // stopped
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failed && hashed == size_) {
      context.finished = true;
      context.Final();
      md5_ = Md5DigestToHex(context.digest);
    }
    // A stopped hasher never reports a digest; one that failed reports none.
    finished_ = failed || hashed == size_;
  }
  done_.store(true, std::memory_order_release);
  if (fd >= 0) close(fd);
  changed_.notify_all();
}
