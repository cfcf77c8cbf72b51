// The MD5 of a file in download, computed on a thread of its own while the
// file arrives, so the check at the end costs only the tail and never blocks
// the transfers.
//
// The worker (the thread that writes the file) hands the hasher the file in
// order, from its start. Bytes written where the file's final prefix ends
// (the lowest unfinished part) are copied to the hasher as they are written
// and hashed from memory; bytes that arrived out of order are read back from
// the file once the prefix has grown over them. Each byte enters the digest
// once, in file order: what the hasher has been handed never shrinks, and only
// bytes past it are taken.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FileHasher {
 public:
  // Bytes the hasher keeps in memory at most (received bytes not hashed yet);
  // past it, bytes are read back from the file instead.
  static constexpr int64_t kMemoryBytes = int64_t{16} << 20;

  FileHasher(std::string path, int64_t size);
  ~FileHasher();  // stops the thread and waits for it
  FileHasher(const FileHasher&) = delete;
  FileHasher& operator=(const FileHasher&) = delete;

  // --- the worker's side ---
  // The |n| bytes at |offset| have just been written, and every byte before
  // |offset| is final: they are copied for hashing when the memory bound
  // allows (what does not fit is read back later). Bytes below what the
  // hasher has already been handed are skipped.
  void Feed(int64_t offset, const char* data, size_t n);
  // Bytes [0, prefix) of the file will not change any more; those not fed are
  // read back from the file, a MiB or more at a time (all at the file's end).
  void Advance(int64_t prefix);
  // Hands over a partly filled memory block when the thread has nothing else
  // to hash, so it never waits on a block that fills slowly; while it works,
  // the block fills further (fewer, larger hand-overs).
  void Flush();
  // Received bytes handed over (or waiting in the partly filled block) and
  // not hashed yet.
  int64_t memory_backlog() const;
  // A resumed file: bytes [0, prefix) were written by an earlier run and are
  // read back first. The transfers never wait for them (that can take long on
  // a cold disk, and the network need not idle meanwhile).
  void StartAfterPresentBytes(int64_t prefix);
  // True when a transfer of this file should wait for the hasher: the part
  // at the final prefix once the memory bound is reached, any other part once
  // a few MiB wait to be hashed, so the part at the prefix takes the
  // bandwidth and the file arrives in order while the hash is the slower
  // side. Never while a resumed file's present bytes are hashed, nor once the
  // hash has ended.
  bool Holds(bool atPrefix) const;

  // --- any thread ---
  // True once the whole file is hashed (or could not be read); `md5` gets the
  // 32 lower-case hex digits, or stays empty after a read error.
  bool Finished(std::string* md5) const;
  // Waits until Finished would be true (tests, and the end of a process).
  void Wait();
  // Bytes hashed so far.
  int64_t hashed() const { return hashed_.load(std::memory_order_relaxed); }
  // Bytes the hasher read back from the file so far.
  int64_t read_back() const { return read_back_.load(std::memory_order_relaxed); }

 private:
  // A run of the file to hash: bytes in a memory block, or (without a block)
  // bytes to read back from the file.
  struct Segment {
    int64_t offset = 0;
    int64_t length = 0;
    std::unique_ptr<char[]> block;
  };

  void Run();
  // Queues the bytes [given_, until) to be read back from the file.
  void QueueReadBack(int64_t until);
  void Push(Segment segment);
  void PushPartialBlock();
  std::unique_ptr<char[]> TakeBlock();

  const std::string path_;
  const int64_t size_;

  // The worker's own state.
  int64_t given_ = 0;    // bytes [0, given_) are handed over (or in the partial block)
  int64_t present_ = 0;            // bytes of a resumed file present at the start
  int64_t memory_given_ = 0;       // bytes copied into blocks
  Segment partial_;                // the block being filled
  int64_t partial_fill_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable work_;     // the thread waits here for segments
  std::condition_variable changed_;  // Wait() waits here for the end
  std::deque<Segment> queue_;
  std::vector<std::unique_ptr<char[]>> free_blocks_;
  bool stop_ = false;
  bool finished_ = false;
  std::string md5_;

  std::atomic<bool> stopping_{false};  // stop_ without the lock, for long reads
  std::atomic<bool> done_{false};
  std::atomic<int64_t> hashed_{0};
  std::atomic<int64_t> memory_hashed_{0};
  std::atomic<int64_t> read_back_{0};
  std::thread thread_;
};
