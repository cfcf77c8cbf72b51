// A read cursor over one block of a patch unpacked in memory.
#pragma once

#include <cstdint>

#include "project/Launcher/services/patch_block_reader.h"

class PatchStream : public PatchBlockReader {
 public:
  // A cursor over data[position, end): reads never pass `end`, the end of
  // the block the cursor belongs to.
  PatchStream(const uint8_t* data, uint64_t end, uint64_t position)
      : data_(data), end_(end), position_(position) {}

  uint64_t Remaining() const override { return end_ - position_; }
  uint64_t position() const { return position_; }

  bool Read(void* out, uint64_t n) override;

 private:
  const uint8_t* data_;
  uint64_t end_;
  uint64_t position_;
};
