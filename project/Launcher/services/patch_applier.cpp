#include "project/Launcher/services/patch_applier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

#include "base/util/string_util.h"
#include "project/Launcher/services/exit_request.h"
#include "platform/files/file_operations.h"
#include "project/Launcher/services/patch_stream.h"

namespace {

constexpr uint64_t kHeaderBytes = 32;
constexpr char kMagic[8] = {'B', 'S', 'D', 'I', 'F', 'N', '4', '0'};

// zlib cannot pack better than about 1032:1; a raw size beyond that for the
// packed bytes present is a lie, refused before anything is allocated.
constexpr uint64_t kMaxZlibRatio = 1040;

// A file briefly held by another process is tried again.
constexpr int kOpenAttempts = 3;
constexpr auto kOpenRetryWait = std::chrono::milliseconds(150);

uint32_t LoadUint32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Decodes an 8-byte integer: magnitude in bytes 0..3 (below 2^31), sign in
// bit 7 of byte 7, all other bits zero. False for any other pattern.
bool DecodeInteger(const uint8_t* p, int64_t& value) {
  const uint32_t magnitude = LoadUint32(p);
  if ((magnitude & 0x80000000u) != 0 || p[4] != 0 || p[5] != 0 || p[6] != 0 ||
      (p[7] & 0x7f) != 0) {
    return false;
  }
  value = (p[7] & 0x80) != 0 ? -static_cast<int64_t>(magnitude) : magnitude;
  return true;
}

struct PatchHeader {
  int64_t controlLength = 0;
  int64_t diffLength = 0;
  int64_t newSize = 0;
};

// Length, magic and three non-negative well-formed lengths.
bool ReadHeader(const uint8_t* patch, uint64_t length, PatchHeader& header) {
  if (length < kHeaderBytes || std::memcmp(patch, kMagic, sizeof(kMagic)) != 0) return false;
  return DecodeInteger(patch + 8, header.controlLength) &&
         DecodeInteger(patch + 16, header.diffLength) &&
         DecodeInteger(patch + 24, header.newSize) && header.controlLength >= 0 &&
         header.diffLength >= 0 && header.newSize >= 0;
}

// Reads exactly `n` bytes: n, fewer at the end of the file, or -1 (errno set).
int64_t ReadFully(int fd, void* buffer, uint64_t n) {
  uint64_t done = 0;
  while (done < n) {
    ssize_t got = read(fd, static_cast<uint8_t*>(buffer) + done, n - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<uint64_t>(got);
  }
  return static_cast<int64_t>(done);
}

bool IsTransientOpenError(int error) {
  return error == EACCES || error == EBUSY || error == ETXTBSY || error == EAGAIN;
}

// open() tried up to three times when the failure may pass.
int OpenWithRetries(const std::string& path, int flags, uint32_t& error) {
  for (int attempt = 1;; ++attempt) {
    int fd = open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    error = static_cast<uint32_t>(errno);
    if (attempt == kOpenAttempts || !IsTransientOpenError(errno)) return -1;
    std::this_thread::sleep_for(kOpenRetryWait);
  }
}

int64_t FileSize(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return -1;
  return st.st_size;
}

// Reads the patch file at `path`; false when it cannot be opened or read.
bool LoadPatch(const std::string& path, std::unique_ptr<uint8_t[]>& data, uint64_t& length,
               uint32_t& detail) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    detail = static_cast<uint32_t>(errno);
    return false;
  }
  const int32_t result = ReadPackedPatch(fd, data, length, detail);
  close(fd);
  return result == 1;
}

// One bounded cursor per block of the unpacked patch.
struct PatchBlocks {
  PatchStream control;
  PatchStream diff;
  PatchStream extra;
};

PatchBlocks BlocksOf(const uint8_t* patch, uint64_t length, const PatchHeader& header) {
  const uint64_t diff_start = kHeaderBytes + static_cast<uint64_t>(header.controlLength);
  const uint64_t extra_start = diff_start + static_cast<uint64_t>(header.diffLength);
  return PatchBlocks{PatchStream(patch, diff_start, kHeaderBytes),
                     PatchStream(patch, extra_start, diff_start),
                     PatchStream(patch, length, extra_start)};
}

enum class TripleRead { kOk, kShort, kInvalid };

TripleRead ReadTriple(PatchStream& control, int64_t triple[3]) {
  uint8_t bytes[24];
  if (!control.Read(bytes, sizeof(bytes))) return TripleRead::kShort;
  for (int i = 0; i < 3; ++i) {
    if (!DecodeInteger(bytes + 8 * i, triple[i])) return TripleRead::kInvalid;
  }
  return TripleRead::kOk;
}

struct FreeBuffer {
  void operator()(uint8_t* p) const { ::operator delete[](p, std::nothrow); }
};

uint8_t* AllocateBytes(uint64_t n) {
  if (n >= SIZE_MAX) return nullptr;
  return static_cast<uint8_t*>(::operator new[](static_cast<size_t>(n), std::nothrow));
}

// Writes all of `data` to the descriptor; the count written.
uint64_t WriteFully(int fd, const uint8_t* data, uint64_t n) {
  uint64_t done = 0;
  while (done < n) {
    ssize_t put = write(fd, data + done, n - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<uint64_t>(put);
  }
  return done;
}

}  // namespace

int32_t ReadPackedPatch(int patchFile, std::unique_ptr<uint8_t[]>& data, uint64_t& length,
                        uint32_t& detail) {
  uint8_t field[4];
  int64_t got = ReadFully(patchFile, field, 4);
  if (got < 0) {
    detail = static_cast<uint32_t>(errno);
    return -1;
  }
  if (got < 4) return -2;
  const uint64_t raw_size = LoadUint32(field);

  got = ReadFully(patchFile, field, 4);
  if (got < 0) {
    detail = static_cast<uint32_t>(errno);
    return -3;
  }
  if (got < 4) return -4;
  const uint64_t packed_size = LoadUint32(field);

  // The packed bytes cannot be more than the file still holds.
  const int64_t file_size = FileSize(patchFile);
  if (file_size >= 0 && packed_size > static_cast<uint64_t>(std::max<int64_t>(file_size - 8, 0))) {
    return -6;
  }
  std::unique_ptr<uint8_t[]> packed(new (std::nothrow) uint8_t[packed_size + 1]);
  if (!packed) {
    detail = kPatchDetailOutOfMemory;
    return -5;
  }
  got = ReadFully(patchFile, packed.get(), packed_size);
  if (got < 0) {
    detail = static_cast<uint32_t>(errno);
    return -5;
  }
  if (static_cast<uint64_t>(got) < packed_size) return -6;

  if (raw_size > (packed_size + 64) * kMaxZlibRatio) return -7;
  // One byte of room beyond the raw size tells a stream that unpacks to more.
  std::unique_ptr<uint8_t[]> unpacked(new (std::nothrow) uint8_t[raw_size + 1]);
  if (!unpacked) {
    detail = kPatchDetailOutOfMemory;
    return -7;
  }
  uLongf unpacked_length = static_cast<uLongf>(raw_size + 1);
  uLong source_length = static_cast<uLong>(packed_size);
  const int z = uncompress2(unpacked.get(), &unpacked_length, packed.get(), &source_length);
  if (z != Z_OK || unpacked_length != raw_size) return -7;

  data = std::move(unpacked);
  length = raw_size;
  return 1;
}

int32_t ApplyPatchStreamed(int oldFile, int64_t oldSize, int newFile, int64_t newSize,
                           const uint8_t* patch, uint64_t length, int32_t& detail) {
  detail = 0;
  PatchHeader header;
  if (patch == nullptr || !ReadHeader(patch, length, header) || header.newSize != newSize ||
      oldSize < 0) {
    return -6;
  }
  if (kHeaderBytes + static_cast<uint64_t>(header.controlLength) > length) return -8;
  if (kHeaderBytes + static_cast<uint64_t>(header.controlLength) +
          static_cast<uint64_t>(header.diffLength) >
      length) {
    return -9;
  }
  PatchBlocks blocks = BlocksOf(patch, length, header);

  // A run never exceeds the new size, so smaller files need smaller buffers.
  const uint64_t buffer_size =
      std::max<uint64_t>(1, std::min<uint64_t>(PatchStream::kChunkBytes, newSize));
  std::unique_ptr<uint8_t, FreeBuffer> patch_buffer(AllocateBytes(buffer_size));
  if (!patch_buffer) return -10;
  std::unique_ptr<uint8_t, FreeBuffer> old_buffer(AllocateBytes(buffer_size));
  if (!old_buffer) return -11;

  PatchRunTarget with_old{oldFile, oldSize, newFile, patch_buffer.get(), old_buffer.get(),
                          buffer_size};
  PatchRunTarget without_old = with_old;
  without_old.oldFile = -1;

  int64_t new_pos = 0;
  int64_t old_pos = 0;
  while (new_pos < newSize) {
    int64_t triple[3];
    const TripleRead read = ReadTriple(blocks.control, triple);
    if (read == TripleRead::kShort) {
      detail = -1;
      break;
    }
    const int64_t x = triple[0], y = triple[1], z = triple[2];
    if (read == TripleRead::kInvalid || x < 0 || y < 0 || new_pos + x > newSize) {
      detail = -2;
      break;
    }
    if (!blocks.diff.ApplyDiffRun(with_old, old_pos, new_pos, x)) {
      detail = -3;
      break;
    }
    if (new_pos + x + y > newSize) {
      detail = -4;
      break;
    }
    if (!blocks.extra.ApplyDiffRun(without_old, 0, new_pos + x, y)) {
      detail = -5;
      break;
    }
    if (ExitRequested()) {
      detail = -6;
      break;
    }
    old_pos += x + z;
    new_pos += x + y;
  }
  return detail < 0 ? -12 : 0;
}

int32_t ApplyPatchInMemory(const uint8_t* oldData, int64_t oldSize, uint8_t* newData,
                           int64_t newSize, const uint8_t* patch, uint64_t length) {
  if (patch == nullptr || length < kHeaderBytes) {
    std::printf("fread(%s)", "patchfile");
    return -1;
  }
  if (std::memcmp(patch, kMagic, sizeof(kMagic)) != 0) {
    std::printf("Corrupt patch\n");
    return -1;
  }
  PatchHeader header;
  const bool header_ok = ReadHeader(patch, length, header);
  if (header_ok && header.newSize != newSize) {
    std::printf("Corrupt param of newsize\n");
    return -1;
  }
  if (!header_ok || newSize < 0 || oldSize < 0) {
    std::printf("Corrupt patch\n");
    return -1;
  }
  const uint64_t diff_start = kHeaderBytes + static_cast<uint64_t>(header.controlLength);
  const uint64_t extra_start = diff_start + static_cast<uint64_t>(header.diffLength);
  if (diff_start > length || extra_start > length) {
    std::printf("fseeko(%s, %lld)", "patchfile",
                static_cast<long long>(diff_start > length ? diff_start : extra_start));
    return -1;
  }
  PatchBlocks blocks = BlocksOf(patch, length, header);

  int64_t new_pos = 0;
  int64_t old_pos = 0;
  while (new_pos < newSize) {
    int64_t triple[3];
    if (ReadTriple(blocks.control, triple) != TripleRead::kOk) {
      std::printf("Corrupt patch\n");
      return -1;
    }
    const int64_t x = triple[0], y = triple[1], z = triple[2];
    if (x < 0 || new_pos + x > newSize || !blocks.diff.Read(newData + new_pos, x)) {
      std::printf("Corrupt patch\n");
      return -1;
    }
    // Only old bytes inside the old file are added; the rest count as 0.
    const int64_t begin = std::max<int64_t>(old_pos, 0);
    const int64_t end = std::min<int64_t>(old_pos + x, oldSize);
    if (end > begin) {
      uint8_t* target = newData + new_pos + (begin - old_pos);
      const uint8_t* source = oldData + begin;
      for (int64_t i = 0, n = end - begin; i < n; ++i) {
        target[i] = static_cast<uint8_t>(target[i] + source[i]);
      }
    }
    new_pos += x;
    if (y < 0 || new_pos + y > newSize || !blocks.extra.Read(newData + new_pos, y)) {
      std::printf("Corrupt patch\n");
      return -1;
    }
    old_pos += x + z;
    new_pos += y;
  }
  return 0;
}

int32_t PatchFileStreamed(const std::string& oldPath, const std::string& newPath,
                          const std::string& patchPath, uint32_t& detail) {
  detail = 0;
  std::unique_ptr<uint8_t[]> patch;
  uint64_t length = 0;
  if (!LoadPatch(patchPath, patch, length, detail)) {
    if (detail == 0) detail = kPatchDetailUnreadable;
    return -1;
  }
  PatchHeader header;
  if (!ReadHeader(patch.get(), length, header)) {
    detail = kPatchDetailBadHeader;
    return -2;
  }
  const int old_file = OpenWithRetries(oldPath, O_RDONLY, detail);
  if (old_file < 0) return -3;
  const int64_t old_size = FileSize(old_file);
  const int new_file = OpenWithRetries(newPath, O_RDWR | O_CREAT | O_TRUNC, detail);
  if (new_file < 0) {
    close(old_file);
    return -4;
  }
  detail = 0;
  int32_t apply_detail = 0;
  const int32_t result = ApplyPatchStreamed(old_file, std::max<int64_t>(old_size, 0), new_file,
                                            header.newSize, patch.get(), length, apply_detail);
  detail = static_cast<uint32_t>(apply_detail);
  close(old_file);
  if (close(new_file) != 0 && result == 0) {
    detail = static_cast<uint32_t>(errno);
    return -4;
  }
  return result;
}

int32_t PatchFileStreamedW(const std::u16string& oldPath, const std::u16string& newPath,
                           const std::u16string& patchPath, uint32_t& detail) {
  return PatchFileStreamed(kbase::UTF16ToUTF8(oldPath), kbase::UTF16ToUTF8(newPath),
                           kbase::UTF16ToUTF8(patchPath), detail);
}

int32_t PatchFileInMemory(const std::string& oldPath, const std::string& newPath,
                          const std::string& patchPath) {
  std::unique_ptr<uint8_t[]> patch;
  uint64_t length = 0;
  uint32_t detail = 0;
  if (!LoadPatch(patchPath, patch, length, detail)) return -1;
  if (length < kHeaderBytes) {
    std::printf("fread(%s)", patchPath.c_str());
    return -1;
  }
  PatchHeader header;
  if (!ReadHeader(patch.get(), length, header)) {
    std::printf("Corrupt patch\n");
    return -1;
  }

  const int old_file = open(oldPath.c_str(), O_RDONLY | O_CLOEXEC);
  const int64_t old_size = old_file >= 0 ? FileSize(old_file) : -1;
  std::unique_ptr<uint8_t[]> old_data;
  if (old_file >= 0 && old_size >= 0) {
    old_data = platform::ReadWholeFileHandle(old_file, static_cast<uint64_t>(old_size), nullptr);
  } else if (old_file >= 0) {
    close(old_file);
  }
  if (!old_data) {
    std::printf("old file: %s", oldPath.c_str());
    return -1;
  }

  // Every new byte comes from one diff or extra byte, so a new size beyond
  // what the blocks hold is refused before memory is taken for it. When the
  // blocks themselves run past the end, the applier reports that without
  // touching the new buffer.
  const uint64_t diff_start = kHeaderBytes + static_cast<uint64_t>(header.controlLength);
  const bool blocks_fit = diff_start + static_cast<uint64_t>(header.diffLength) <= length;
  if (blocks_fit && static_cast<uint64_t>(header.newSize) > length - diff_start) {
    std::printf("Corrupt patch\n");
    return -1;
  }
  const uint64_t new_room = blocks_fit ? static_cast<uint64_t>(header.newSize) + 1 : 1;
  std::unique_ptr<uint8_t[]> new_data(new (std::nothrow) uint8_t[new_room]);
  if (!new_data) {
    std::printf("Failed to allocate memory for new");
    return -1;
  }
  if (ApplyPatchInMemory(old_data.get(), old_size, new_data.get(), header.newSize, patch.get(),
                         length) != 0) {
    std::printf("bapatch failed:");
    return -1;
  }

  const int new_file = open(newPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (new_file < 0) {
    std::printf("failed to write new file: %s", newPath.c_str());
    return -1;
  }
  const uint64_t written =
      WriteFully(new_file, new_data.get(), static_cast<uint64_t>(header.newSize));
  const bool closed = close(new_file) == 0;
  if (written != static_cast<uint64_t>(header.newSize)) {
    std::printf("failed to write to new file: %s, diff size(%llu:%llu)", newPath.c_str(),
                static_cast<unsigned long long>(written),
                static_cast<unsigned long long>(header.newSize));
    return -1;
  }
  if (!closed) {
    std::printf("failed to write to new file: %s", newPath.c_str());
    return -1;
  }
  return 0;
}

int32_t PatchFileInMemoryW(const std::u16string& oldPath, const std::u16string& newPath,
                           const std::u16string& patchPath) {
  return PatchFileInMemory(kbase::UTF16ToUTF8(oldPath), kbase::UTF16ToUTF8(newPath),
                           kbase::UTF16ToUTF8(patchPath));
}
