#include "project/Launcher/services/patch_block_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include "project/Launcher/services/exit_request.h"

namespace {

std::mutex g_observer_lock;
std::function<void(int64_t)> g_observer;

void NotifyChunkWritten(int64_t newPos) {
  std::function<void(int64_t)> observer;
  {
    std::lock_guard<std::mutex> lock(g_observer_lock);
    observer = g_observer;
  }
  if (observer) observer(newPos);
}

// The hot loop of the applier; written plainly so the compiler vectorises it.
void AddBytes(uint8_t* __restrict target, const uint8_t* __restrict source, uint64_t n) {
  for (uint64_t i = 0; i < n; ++i) target[i] = static_cast<uint8_t>(target[i] + source[i]);
}

// pread until `n` bytes or the end of the file; -1 on a read error.
int64_t ReadAt(int fd, uint8_t* buffer, uint64_t n, int64_t offset) {
  uint64_t done = 0;
  while (done < n) {
    ssize_t got = pread(fd, buffer + done, n - done, offset + static_cast<int64_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<uint64_t>(got);
  }
  return static_cast<int64_t>(done);
}

int64_t WriteAt(int fd, const uint8_t* buffer, uint64_t n, int64_t offset) {
  uint64_t done = 0;
  while (done < n) {
    ssize_t put = pwrite(fd, buffer + done, n - done, offset + static_cast<int64_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return -1;
    if (put == 0) break;
    done += static_cast<uint64_t>(put);
  }
  return static_cast<int64_t>(done);
}

}  // namespace

bool PatchBlockReader::ApplyDiffRun(const PatchRunTarget& target, int64_t oldPos, int64_t newPos,
                                    int64_t count) {
  if (count < 0) return false;
  const uint64_t chunk = std::min(kChunkBytes, target.bufferSize);
  uint64_t left = static_cast<uint64_t>(count);
  while (left > 0) {
    const uint64_t n = std::min(chunk, left);
    if (AddDiffChunk(target, oldPos, newPos, n) != static_cast<int64_t>(n)) return false;
    oldPos += static_cast<int64_t>(n);
    newPos += static_cast<int64_t>(n);
    left -= n;
    NotifyChunkWritten(newPos);
    if (n == kChunkBytes && ExitRequested()) return false;
  }
  return true;
}

int64_t PatchBlockReader::AddDiffChunk(const PatchRunTarget& target, int64_t oldPos,
                                       int64_t newPos, uint64_t n) {
  if (n > target.bufferSize) return -1;
  if (!Read(target.patchBuffer, n)) return -1;
  if (target.oldFile >= 0) {
    // Only the part of [oldPos, oldPos + n) inside the old file is read.
    const int64_t begin = std::max<int64_t>(oldPos, 0);
    const int64_t end = std::min<int64_t>(oldPos + static_cast<int64_t>(n), target.oldSize);
    if (end > begin) {
      const uint64_t m = static_cast<uint64_t>(end - begin);
      const int64_t got = ReadAt(target.oldFile, target.oldBuffer, m, begin);
      if (got < 0) return -2;
      if (static_cast<uint64_t>(got) != m) return -3;
      AddBytes(target.patchBuffer + (begin - oldPos), target.oldBuffer, m);
    }
  }
  const int64_t put = WriteAt(target.newFile, target.patchBuffer, n, newPos);
  if (put < 0) return -4;
  if (static_cast<uint64_t>(put) != n) return -5;
  return static_cast<int64_t>(n);
}

void SetPatchChunkObserverForTesting(std::function<void(int64_t newPos)> observer) {
  std::lock_guard<std::mutex> lock(g_observer_lock);
  g_observer = std::move(observer);
}
