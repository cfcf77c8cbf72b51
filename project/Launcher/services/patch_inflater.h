// Reads one block of a packed patch file by unpacking its zlib stream as it
// goes, so a patch of any size is applied in a few hundred KiB. Each reader
// keeps its own inflate state and its own place in the file; the applier
// uses one for the control block and one that passes the diff block and then
// the extra block, so every byte of the stream is unpacked once (the small
// control block twice).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "project/Launcher/services/patch_block_reader.h"

class PatchInflater : public PatchBlockReader {
 public:
  // The stream lies at [packedOffset, packedOffset + packedSize) of the open
  // file `fd` (not closed here) and must unpack to exactly `rawSize` bytes.
  PatchInflater(int fd, uint64_t packedOffset, uint64_t packedSize, uint64_t rawSize);
  ~PatchInflater() override;
  PatchInflater(const PatchInflater&) = delete;
  PatchInflater& operator=(const PatchInflater&) = delete;

  // Takes the inflate state and the input buffer; false when out of memory.
  bool Init();

  // Bounds reads to the unpacked bytes [begin, end), unpacking and dropping
  // what lies before `begin`. A region behind the current place starts the
  // stream over.
  void SetRegion(uint64_t begin, uint64_t end);

  uint64_t Remaining() const override { return end_ - position_; }
  bool Read(void* out, uint64_t n) override;
  bool broken() const override { return broken_; }

  // Unpacks what is left and checks that the stream ends exactly at the raw
  // size; false (and broken) when it does not.
  bool Finish();

  // errno of a failed read of the file, or 0 when the stream itself is bad.
  int error() const { return error_; }

 private:
  bool Restart();
  bool Skip(uint64_t n);
  // Unpacks exactly `n` bytes into `out`; false marks the reader broken.
  bool Inflate(uint8_t* out, uint64_t n);
  bool Refill();
  bool Fail(int error);

  int fd_;
  uint64_t packed_begin_;
  uint64_t packed_end_;
  uint64_t raw_size_;
  uint64_t next_input_ = 0;  // file offset of the next packed bytes
  uint64_t position_ = 0;    // unpacked bytes produced so far
  uint64_t end_ = 0;
  bool initialised_ = false;
  bool ended_ = false;  // the stream's end has been seen
  bool broken_ = false;
  int error_ = 0;
  z_stream stream_{};
  std::unique_ptr<uint8_t[]> input_;
};
