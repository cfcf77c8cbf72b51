// A small writer of "BSDIFN40" patches for the tests and the publisher's
// content generator: explicit control triples, the diff and extra blocks
// derived from an old and a new file, and the zlib packing with its two size
// fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ControlTriple {
  int64_t x;  // bytes added from the diff block to old bytes
  int64_t y;  // bytes copied from the extra block
  int64_t z;  // move of the old position after the triple
};

// Sign and magnitude in 8 bytes, little-endian.
std::string EncodePatchInteger(int64_t value);

// The unpacked patch from its parts.
std::string BuildUnpackedPatch(const std::vector<ControlTriple>& control, const std::string& diff,
                               const std::string& extra, int64_t newSize);

// The unpacked patch that turns `oldData` into `newData` through `control`
// (whose runs must cover newData exactly); old bytes outside the old file
// count as 0.
std::string MakeUnpackedPatch(const std::string& oldData, const std::string& newData,
                              const std::vector<ControlTriple>& control);

// raw size, packed size, zlib stream.
std::string PackPatch(const std::string& unpacked, int level = 1);

// `count` bytes of a repeatable pseudo-random pattern.
std::string PatternBytes(size_t count, uint32_t seed);
