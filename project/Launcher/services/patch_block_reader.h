// A read cursor over one block (control, diff or extra) of an unpacked
// patch, and the chunked runs of the streaming applier that read from it.
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

class PatchBlockReader {
 public:
  // Runs are cut into chunks of this many bytes; the exit request is looked
  // at after every whole chunk. Small enough that the work buffers stay in
  // the caches and the memory taken does not grow with the file.
  static constexpr uint64_t kChunkBytes = 2ull << 20;

  virtual ~PatchBlockReader() = default;

  // Bytes left in the block.
  virtual uint64_t Remaining() const = 0;

  // Copies the next `n` bytes; false, moving nothing, when fewer are left in
  // the block. A reader over a packed stream also fails when the stream
  // turns out damaged (see broken()).
  virtual bool Read(void* out, uint64_t n) = 0;

  // True once the bytes under the block could not be read or unpacked; the
  // patch is then unreadable rather than inconsistent.
  virtual bool broken() const { return false; }

  // Writes `count` bytes to the new file at `newPos`: the block's next bytes
  // plus, with an old file, the old bytes from `oldPos` (bytes outside the
  // old file count as 0). False when a chunk fails or the exit request
  // arrives between whole chunks.
  bool ApplyDiffRun(const PatchRunTarget& target, int64_t oldPos, int64_t newPos, int64_t count);

  // One chunk of a run (n <= the buffers' room): n on success, -1 the block
  // has fewer bytes, -2 the old file cannot be read, -3 it gave fewer bytes,
  // -4 the new file cannot be written, -5 it took fewer bytes.
  int64_t AddDiffChunk(const PatchRunTarget& target, int64_t oldPos, int64_t newPos, uint64_t n);
};

// Called after every chunk written by a streaming run with the new file's
// position after it; tests use it to act in the middle of a long apply.
void SetPatchChunkObserverForTesting(std::function<void(int64_t newPos)> observer);
