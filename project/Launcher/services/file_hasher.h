// The MD5 of a file in download, computed on a thread of its own while the
// file arrives: the worker tells it how far the file is final from its start,
// and it hashes up to there, so the check at the end costs only the tail and
// never blocks the transfers.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class FileHasher {
 public:
  FileHasher(std::string path, int64_t size);
  ~FileHasher();  // stops the thread and waits for it
  FileHasher(const FileHasher&) = delete;
  FileHasher& operator=(const FileHasher&) = delete;

  // Bytes [0, prefix) of the file will not change any more.
  void Advance(int64_t prefix);
  // True once the whole file is hashed (or could not be read); `md5` gets the
  // 32 lower-case hex digits, or stays empty after a read error.
  bool Finished(std::string* md5) const;
  // Waits until Finished would be true (tests, and the end of a process).
  void Wait();
  // Bytes hashed so far.
  int64_t hashed() const;

 private:
  void Run();

  const std::string path_;
  const int64_t size_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int64_t prefix_ = 0;
  int64_t hashed_ = 0;
  int64_t woken_at_ = 0;  // prefix when the thread was last woken
  bool stop_ = false;
  bool finished_ = false;
  std::string md5_;
  std::thread thread_;
};
