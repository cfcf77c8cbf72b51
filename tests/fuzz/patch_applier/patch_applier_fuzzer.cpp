// Feeds arbitrary patches to both appliers. The first input byte chooses
// whether the rest is a packed patch file (through ReadPackedPatch) or an
// unpacked patch. Both appliers must agree on success and, when they
// succeed, write the same bytes; anything else is a crash. A packed patch
// file also goes through the file-streaming applier, which unpacks as it
// reads: it must fail whenever the file cannot be unpacked whole, and
// otherwise give what the streaming applier gives on the unpacked bytes.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "project/Launcher/services/patch_applier.h"

namespace {

constexpr int64_t kOldSize = 4096;

int MemoryFile(const void* data, size_t size) {
  int fd = memfd_create("fuzz", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
  lseek(fd, 0, SEEK_SET);
  return fd;
}

const std::vector<uint8_t>& OldData() {
  static const std::vector<uint8_t> old = [] {
    std::vector<uint8_t> bytes(kOldSize);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
    return bytes;
  }();
  return old;
}

// The new size as the header gives it, when it is well formed.
bool HeaderNewSize(const uint8_t* patch, uint64_t length, int64_t& size) {
  if (length < 32) return false;
  const uint8_t* p = patch + 24;
  uint32_t magnitude = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
  if ((magnitude & 0x80000000u) || p[4] || p[5] || p[6] || p[7]) return false;
  size = magnitude;
  return true;
}

struct Outcome {
  int32_t streamed = 0;
  int32_t detail = 0;
  std::vector<uint8_t> written;  // when applied
};

std::string FdPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::vector<uint8_t> ReadAll(int fd) {
  std::vector<uint8_t> bytes(static_cast<size_t>(lseek(fd, 0, SEEK_END)));
  if (!bytes.empty() && pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    std::abort();
  }
  return bytes;
}

Outcome ApplyBoth(const uint8_t* patch, uint64_t length) {
  int64_t new_size = 0;
  if (!HeaderNewSize(patch, length, new_size)) new_size = 0;

  static const int old_file = MemoryFile(OldData().data(), OldData().size());
  const int new_file = MemoryFile(nullptr, 0);
  int32_t detail = 0;
  const int32_t streamed =
      ApplyPatchStreamed(old_file, kOldSize, new_file, new_size, patch, length, detail);
  // Only a stopped application (-12) leaves a detail, and always one.
  if ((streamed == -12) != (detail != 0)) std::abort();

  // Each new byte comes from one patch byte, so larger sizes cannot apply.
  if (new_size <= static_cast<int64_t>(length)) {
    std::unique_ptr<uint8_t[]> out(new uint8_t[new_size + 1]);
    const int32_t in_memory =
        ApplyPatchInMemory(OldData().data(), kOldSize, out.get(), new_size, patch, length);
    if ((in_memory == 0) != (streamed == 0)) std::abort();
    if (in_memory == 0) {
      std::vector<uint8_t> written(static_cast<size_t>(new_size));
      if (pread(new_file, written.data(), written.size(), 0) != new_size) std::abort();
      if (new_size > 0 && std::memcmp(written.data(), out.get(), written.size()) != 0) std::abort();
    }
  } else if (streamed == 0) {
    std::abort();
  }
  Outcome outcome{streamed, detail, {}};
  if (streamed == 0) outcome.written = ReadAll(new_file);
  close(new_file);
  return outcome;
}

// The file-streaming applier on the packed file |fd|, against what the
// other appliers made of it (null when it cannot be unpacked whole).
void ApplyFileStreamed(int fd, const Outcome* unpacked) {
  static const int old_file = MemoryFile(OldData().data(), OldData().size());
  const int new_file = MemoryFile(nullptr, 0);
  uint32_t detail = 0;
  const int32_t result = PatchFileStreamed(FdPath(old_file), FdPath(new_file), FdPath(fd), detail);
  if (!unpacked) {
    if (result != -1) std::abort();
  } else {
    // The header checks of the two entries answer -2 and -6.
    const int32_t expected = unpacked->streamed == -6 ? -2 : unpacked->streamed;
    if (result != expected) std::abort();
    if (result == -12 && static_cast<int32_t>(detail) != unpacked->detail) std::abort();
    if (result == 0 && ReadAll(new_file) != unpacked->written) std::abort();
  }
  close(new_file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The in-memory applier reports on the standard output.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool packed = (data[0] & 1) != 0;
  ++data;
  --size;
  if (!packed) {
    ApplyBoth(data, size);
    return 0;
  }
  const int fd = MemoryFile(data, size);
  std::unique_ptr<uint8_t[]> unpacked;
  uint64_t length = 0;
  uint32_t detail = 0;
  const int32_t result = ReadPackedPatch(fd, unpacked, length, detail);
  if (result == 1) {
    const Outcome outcome = ApplyBoth(unpacked.get(), length);
    ApplyFileStreamed(fd, &outcome);
  } else {
    ApplyFileStreamed(fd, nullptr);
  }
  close(fd);
  return 0;
}
