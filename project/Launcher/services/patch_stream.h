// A read cursor over one block of an unpacked patch, and the chunked runs of
// the streaming applier that read from it.
#pragma once

#include <cstdint>
#include <functional>

// The streaming applier's files and its two work buffers.
struct PatchRunTarget {
  int oldFile = -1;        // -1: no old data (extra runs)
  int64_t oldSize = 0;
  int newFile = -1;
  uint8_t* patchBuffer = nullptr;  // the patch bytes of a chunk
  uint8_t* oldBuffer = nullptr;    // the old bytes added to them
  uint64_t bufferSize = 0;         // room of each buffer
};

class PatchStream {
 public:
  // Runs are cut into chunks of this many bytes; the exit request is looked
  // at after every whole chunk.
  static constexpr uint64_t kChunkBytes = 50ull << 20;

  // A cursor over data[position, end): reads never pass `end`, the end of
  // the block the cursor belongs to.
  PatchStream(const uint8_t* data, uint64_t end, uint64_t position)
      : data_(data), end_(end), position_(position) {}

  uint64_t Remaining() const { return end_ - position_; }
  uint64_t position() const { return position_; }

  // Copies the next `n` bytes; false, moving nothing, when fewer are left.
  bool Read(void* out, uint64_t n);

  // Writes `count` bytes to the new file at `newPos`: the stream's next bytes
  // plus, with an old file, the old bytes from `oldPos` (bytes outside the
  // old file count as 0). False when a chunk fails or the exit request
  // arrives between whole chunks.
  bool ApplyDiffRun(const PatchRunTarget& target, int64_t oldPos, int64_t newPos, int64_t count);

  // One chunk of a run (n <= the buffers' room): n on success, -1 the stream
  // has fewer bytes, -2 the old file cannot be read, -3 it gave fewer bytes,
  // -4 the new file cannot be written, -5 it took fewer bytes.
  int64_t AddDiffChunk(const PatchRunTarget& target, int64_t oldPos, int64_t newPos, uint64_t n);

 private:
  const uint8_t* data_;
  uint64_t end_;
  uint64_t position_;
};

// Called after every chunk written by a streaming run with the new file's
// position after it; tests use it to act in the middle of a long apply.
void SetPatchChunkObserverForTesting(std::function<void(int64_t newPos)> observer);
