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
#include <optional>
#include <thread>

#include "base/util/string_util.h"
#include "project/Launcher/services/exit_request.h"
#include "platform/files/file_operations.h"
#include "project/Launcher/services/patch_inflater.h"
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

TripleRead ReadTriple(PatchBlockReader& control, int64_t triple[3]) {
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


// A diff run needs no more bytes than the new file, so smaller files take
// smaller buffers; larger ones take one chunk's worth whatever their size.
struct WorkBuffers {
  std::unique_ptr<uint8_t, FreeBuffer> patch;
  std::unique_ptr<uint8_t, FreeBuffer> old;
  uint64_t size = 0;

  // 0, or -10/-11 when a buffer cannot be had.
  int32_t Allocate(int64_t newSize) {
    size = std::max<uint64_t>(
        1, std::min<uint64_t>(PatchBlockReader::kChunkBytes, static_cast<uint64_t>(newSize)));
    patch.reset(AllocateBytes(size));
    if (!patch) return -10;
    old.reset(AllocateBytes(size));
    if (!old) return -11;
    return 0;
  }

  PatchRunTarget Target(int oldFile, int64_t oldSize, int newFile) const {
    return PatchRunTarget{oldFile, oldSize, newFile, patch.get(), old.get(), size};
  }
};

// -8/-9 when the control or diff block runs past the unpacked patch.
int32_t CheckBlockBounds(const PatchHeader& header, uint64_t length) {
  const uint64_t diff_start = kHeaderBytes + static_cast<uint64_t>(header.controlLength);
  if (diff_start > length) return -8;
  if (diff_start + static_cast<uint64_t>(header.diffLength) > length) return -9;
  return 0;
}

// The streaming applier works in two passes over the control block so that
// it never needs the diff and extra blocks at once: a packed patch holds them
// one after the other in a single stream. The first pass writes the diff runs
// and checks every extra run against the new size and what the extra block
// holds; the second writes the extra runs the first pass accepted. The new
// file ends as the one-pass order would leave it, stop codes included.
struct FirstPassResult {
  int32_t detail = 0;        // 0, or the stop detail -1..-6
  uint64_t extraRuns = 0;    // triples whose extra run is to be written
};

FirstPassResult ApplyDiffRuns(PatchBlockReader& control, PatchBlockReader& diff,
                              const PatchRunTarget& target, int64_t newSize,
                              uint64_t extraLength) {
  FirstPassResult result;
  int64_t new_pos = 0;
  int64_t old_pos = 0;
  while (new_pos < newSize) {
    int64_t triple[3];
    const TripleRead read = ReadTriple(control, triple);
    if (read == TripleRead::kShort) {
      result.detail = -1;
      break;
    }
    const int64_t x = triple[0], y = triple[1], z = triple[2];
    if (read == TripleRead::kInvalid || x < 0 || y < 0 || new_pos + x > newSize) {
      result.detail = -2;
      break;
    }
    if (!diff.ApplyDiffRun(target, old_pos, new_pos, x)) {
      result.detail = -3;
      break;
    }
    if (new_pos + x + y > newSize) {
      result.detail = -4;
      break;
    }
    if (static_cast<uint64_t>(y) > extraLength) {
      result.detail = -5;
      break;
    }
    extraLength -= static_cast<uint64_t>(y);
    ++result.extraRuns;
    if (ExitRequested()) {
      result.detail = -6;
      break;
    }
    old_pos += x + z;
    new_pos += x + y;
  }
  return result;
}

// Replays the accepted triples from the start of the control block and
// writes their extra runs; the first pass's detail, or -5 when an extra run
// cannot be written, or -6 on an exit request between triples. After an exit
// request that stopped the first pass, a run cut short by it (between whole
// chunks) ends the pass with -6 at once.
int32_t ApplyExtraRuns(PatchBlockReader& control, PatchBlockReader& extra,
                       const PatchRunTarget& target, const FirstPassResult& first) {
  PatchRunTarget without_old = target;
  without_old.oldFile = -1;
  int64_t new_pos = 0;
  for (uint64_t run = 0; run < first.extraRuns; ++run) {
    int64_t triple[3];
    if (ReadTriple(control, triple) != TripleRead::kOk) return -5;  // unpacked differently
    const int64_t x = triple[0], y = triple[1];
    if (!extra.ApplyDiffRun(without_old, 0, new_pos + x, y)) return first.detail == -6 ? -6 : -5;
    new_pos += x + y;
    if (first.detail == 0 && ExitRequested()) return -6;
  }
  return first.detail;
}

}  // namespace

// The two size fields of a packed patch file and the checks they allow before
// anything is unpacked: the codes of ReadPackedPatch.
static int32_t ReadPackedSizes(int patchFile, uint64_t& rawSize, uint64_t& packedSize,
                               uint32_t& detail) {
  uint8_t field[4];
  int64_t got = ReadFully(patchFile, field, 4);
  if (got < 0) {
    detail = static_cast<uint32_t>(errno);
    return -1;
  }
  if (got < 4) return -2;
  rawSize = LoadUint32(field);

  got = ReadFully(patchFile, field, 4);
  if (got < 0) {
    detail = static_cast<uint32_t>(errno);
    return -3;
  }
  if (got < 4) return -4;
  packedSize = LoadUint32(field);

  // The packed bytes cannot be more than the file still holds.
  const int64_t file_size = FileSize(patchFile);
  if (file_size >= 0 && packedSize > static_cast<uint64_t>(std::max<int64_t>(file_size - 8, 0))) {
    return -6;
  }
  if (rawSize > (packedSize + 64) * kMaxZlibRatio) return -7;
  return 1;
}

int32_t ReadPackedPatch(int patchFile, std::unique_ptr<uint8_t[]>& data, uint64_t& length,
                        uint32_t& detail) {
  uint64_t raw_size = 0;
  uint64_t packed_size = 0;
  const int32_t sizes = ReadPackedSizes(patchFile, raw_size, packed_size, detail);
  if (sizes != 1) return sizes;
  std::unique_ptr<uint8_t[]> packed(new (std::nothrow) uint8_t[packed_size + 1]);
  if (!packed) {
    detail = kPatchDetailOutOfMemory;
    return -5;
  }
  int64_t got = ReadFully(patchFile, packed.get(), packed_size);
  if (got < 0) {
    detail = static_cast<uint32_t>(errno);
    return -5;
  }
  if (static_cast<uint64_t>(got) < packed_size) return -6;

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
  const int32_t bounds = CheckBlockBounds(header, length);
  if (bounds != 0) return bounds;
  PatchBlocks blocks = BlocksOf(patch, length, header);
  WorkBuffers buffers;
  const int32_t allocated = buffers.Allocate(newSize);
  if (allocated != 0) return allocated;
  const PatchRunTarget target = buffers.Target(oldFile, oldSize, newFile);

  const FirstPassResult first = ApplyDiffRuns(blocks.control, blocks.diff, target, newSize,
                                              blocks.extra.Remaining());
  PatchStream control_again = BlocksOf(patch, length, header).control;
  detail = ApplyExtraRuns(control_again, blocks.extra, target, first);
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

namespace {

constexpr uint64_t kPackedOffset = 8;

// The streamed application of an open packed patch file; see
// PatchFileStreamed for the codes.
class StreamedPatch {
 public:
  explicit StreamedPatch(int patchFile) : patch_file_(patchFile) {}

  int32_t Apply(const std::string& oldPath, const std::string& newPath, uint32_t& detail) {
    detail = 0;
    uint64_t packed_size = 0;
    if (ReadPackedSizes(patch_file_, raw_size_, packed_size, detail) != 1) return Unreadable(detail);
    control_.emplace(patch_file_, kPackedOffset, packed_size, raw_size_);
    blocks_.emplace(patch_file_, kPackedOffset, packed_size, raw_size_);
    if (!control_->Init() || !blocks_->Init()) {
      detail = kPatchDetailOutOfMemory;
      return -1;
    }
    const int32_t header = ReadStreamHeader(detail);
    if (header != 0) return header;

    const int old_file = OpenWithRetries(oldPath, O_RDONLY, detail);
    if (old_file < 0) return -3;
    const int64_t old_size = FileSize(old_file);
    const int new_file = OpenWithRetries(newPath, O_RDWR | O_CREAT | O_TRUNC, detail);
    if (new_file < 0) {
      close(old_file);
      return -4;
    }
    detail = 0;
    int32_t result = ApplyBlocks(old_file, std::max<int64_t>(old_size, 0), new_file, detail);
    close(old_file);
    if (close(new_file) != 0 && result == 0) {
      detail = static_cast<uint32_t>(errno);
      result = -4;
    }
    return result;
  }

 private:
  static int32_t Unreadable(uint32_t& detail) {
    if (detail == 0) detail = kPatchDetailUnreadable;
    return -1;
  }

  int32_t StreamBroken(const PatchInflater& reader, uint32_t& detail) {
    detail = reader.error() != 0 ? static_cast<uint32_t>(reader.error()) : kPatchDetailUnreadable;
    return -1;
  }

  // 0, or -1 when the stream is damaged, -2 when it is whole but its header
  // is short or wrong (the whole stream is checked first, as for a patch
  // read at once), -8/-9 when a block runs past its end.
  int32_t ReadStreamHeader(uint32_t& detail) {
    uint8_t bytes[kHeaderBytes];
    control_->SetRegion(0, raw_size_);
    const bool read = control_->Read(bytes, sizeof(bytes));
    if (control_->broken()) return StreamBroken(*control_, detail);
    if (!read || !ReadHeader(bytes, sizeof(bytes), header_)) {
      if (!blocks_->Finish()) return StreamBroken(*blocks_, detail);
      detail = kPatchDetailBadHeader;
      return -2;
    }
    return 0;
  }

  int32_t ApplyBlocks(int oldFile, int64_t oldSize, int newFile, uint32_t& detail) {
    const int32_t bounds = CheckBlockBounds(header_, raw_size_);
    if (bounds != 0) return blocks_->Finish() ? bounds : StreamBroken(*blocks_, detail);
    WorkBuffers buffers;
    const int32_t allocated = buffers.Allocate(header_.newSize);
    if (allocated != 0) return allocated;
    const PatchRunTarget target = buffers.Target(oldFile, oldSize, newFile);

    const uint64_t diff_start = kHeaderBytes + static_cast<uint64_t>(header_.controlLength);
    const uint64_t extra_start = diff_start + static_cast<uint64_t>(header_.diffLength);
    control_->SetRegion(kHeaderBytes, diff_start);
    blocks_->SetRegion(diff_start, extra_start);
    const FirstPassResult first =
        ApplyDiffRuns(*control_, *blocks_, target, header_.newSize, raw_size_ - extra_start);
    if (control_->broken()) return StreamBroken(*control_, detail);
    if (blocks_->broken()) return StreamBroken(*blocks_, detail);

    // The same reader passes on to the extra block: the stream is unpacked
    // once, only the control block twice.
    blocks_->SetRegion(extra_start, raw_size_);
    control_->SetRegion(kHeaderBytes, diff_start);
    const int32_t stop = ApplyExtraRuns(*control_, *blocks_, target, first);
    if (control_->broken()) return StreamBroken(*control_, detail);
    if (blocks_->broken()) return StreamBroken(*blocks_, detail);
    // A damaged stream outranks what the blocks said, as when the patch is
    // unpacked whole first; an exit request does not wait for the check.
    const bool exiting = ExitRequested();
    if (!exiting && !blocks_->Finish()) return StreamBroken(*blocks_, detail);
    detail = static_cast<uint32_t>(stop);
    return stop < 0 ? -12 : 0;
  }

  int patch_file_;
  uint64_t raw_size_ = 0;
  PatchHeader header_;
  std::optional<PatchInflater> control_;
  std::optional<PatchInflater> blocks_;
};

}  // namespace

int32_t PatchFileStreamed(const std::string& oldPath, const std::string& newPath,
                          const std::string& patchPath, uint32_t& detail) {
  detail = 0;
  const int patch_file = open(patchPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (patch_file < 0) {
    detail = static_cast<uint32_t>(errno);
    return -1;
  }
  const int32_t result = StreamedPatch(patch_file).Apply(oldPath, newPath, detail);
  close(patch_file);
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
