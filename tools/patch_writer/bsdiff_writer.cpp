#include "tools/patch_writer/bsdiff_writer.h"

#include <zlib.h>

#include <stdexcept>

std::string EncodePatchInteger(int64_t value) {
  uint64_t magnitude = value < 0 ? static_cast<uint64_t>(-value) : static_cast<uint64_t>(value);
  std::string bytes(8, '\0');
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((magnitude >> (8 * i)) & 0xff);
  if (value < 0) bytes[7] = static_cast<char>(bytes[7] | 0x80);
  return bytes;
}

std::string BuildUnpackedPatch(const std::vector<ControlTriple>& control, const std::string& diff,
                               const std::string& extra, int64_t newSize) {
  std::string block;
  for (const ControlTriple& t : control) {
    block += EncodePatchInteger(t.x) + EncodePatchInteger(t.y) + EncodePatchInteger(t.z);
  }
  return "BSDIFN40" + EncodePatchInteger(static_cast<int64_t>(block.size())) +
         EncodePatchInteger(static_cast<int64_t>(diff.size())) + EncodePatchInteger(newSize) +
         block + diff + extra;
}

std::string MakeUnpackedPatch(const std::string& oldData, const std::string& newData,
                              const std::vector<ControlTriple>& control) {
  std::string diff, extra;
  int64_t old_pos = 0;
  size_t new_pos = 0;
  const int64_t old_size = static_cast<int64_t>(oldData.size());
  for (const ControlTriple& t : control) {
    if (new_pos + static_cast<size_t>(t.x + t.y) > newData.size()) {
      throw std::invalid_argument("control runs past the new data");
    }
    const size_t diff_start = diff.size();
    diff.append(newData, new_pos, static_cast<size_t>(t.x));
    for (int64_t i = 0; i < t.x; ++i) {
      const int64_t o = old_pos + i;
      if (o >= 0 && o < old_size) {
        char& d = diff[diff_start + static_cast<size_t>(i)];
        d = static_cast<char>(static_cast<uint8_t>(d) - static_cast<uint8_t>(oldData[o]));
      }
    }
    extra.append(newData, new_pos + static_cast<size_t>(t.x), static_cast<size_t>(t.y));
    old_pos += t.x + t.z;
    new_pos += static_cast<size_t>(t.x + t.y);
  }
  if (new_pos != newData.size()) throw std::invalid_argument("control does not cover the new data");
  return BuildUnpackedPatch(control, diff, extra, static_cast<int64_t>(newData.size()));
}

std::string PackPatch(const std::string& unpacked, int level) {
  uLongf packed_length = compressBound(static_cast<uLong>(unpacked.size()));
  std::string packed(packed_length, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_length,
                reinterpret_cast<const Bytef*>(unpacked.data()),
                static_cast<uLong>(unpacked.size()), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  packed.resize(packed_length);
  std::string file(8, '\0');
  const uint32_t sizes[2] = {static_cast<uint32_t>(unpacked.size()),
                             static_cast<uint32_t>(packed.size())};
  for (int f = 0; f < 2; ++f) {
    for (int i = 0; i < 4; ++i) file[4 * f + i] = static_cast<char>((sizes[f] >> (8 * i)) & 0xff);
  }
  return file + packed;
}

std::string PatternBytes(size_t count, uint32_t seed) {
  std::string bytes(count, '\0');
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    for (int k = 0; k < 8; ++k) bytes[i + k] = static_cast<char>(x >> (8 * k));
  }
  for (; i < count; ++i) bytes[i] = static_cast<char>(i * 7 + seed);
  return bytes;
}
