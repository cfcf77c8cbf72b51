#include "platform/files/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <new>

#include "platform/text/utf_conversion.h"

namespace platform {
namespace {

constexpr size_t kCopyBlock = 1 << 16;

// Unique within the process and across processes: two writers of one file
// never share a temporary file.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<uint64_t> counter{0};
  return path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
}

bool WriteAll(int fd, const char* data, size_t size) {
  size_t written = 0;
  while (written < size) {
    const ssize_t n = ::write(fd, data + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

// Streams the rest of `in` into `out`.
bool CopyDescriptor(int in, int out) {
  std::unique_ptr<char[]> buffer(new char[kCopyBlock]);
  for (;;) {
    const ssize_t n = ::read(in, buffer.get(), kCopyBlock);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(out, buffer.get(), static_cast<size_t>(n))) return false;
  }
}

void SetError(int* error, int value) {
  if (error != nullptr) *error = value;
}

// Creates a temporary file beside `path` with `mode`, lets `fill` write it,
// flushes it to the disk and renames it over `path`. On any failure the
// temporary file is deleted and the errno of the failing step reported.
template <typename Fill>
bool ReplaceThroughTemporary(const std::string& path, mode_t mode, bool exactMode, Fill fill,
                             int* error) {
  if (path.empty()) {
    SetError(error, ENOENT);
    return false;
  }
  const std::string temporary = TemporaryNameFor(path);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    SetError(error, errno);
    return false;
  }
  // open() applies the umask; a mode taken from another file is set exactly.
  bool ok = (!exactMode || ::fchmod(fd, mode) == 0) && fill(fd) && ::fsync(fd) == 0;
  int failure = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    SetError(error, failure);
  }
  return ok;
}

}  // namespace

bool ReadStreamToString(std::istream& stream, std::string& out) {
  std::string text;
  char buffer[65536];
  while (stream.read(buffer, sizeof(buffer)) || stream.gcount() > 0) {
    text.append(buffer, static_cast<size_t>(stream.gcount()));
  }
  if (stream.bad()) return false;
  out = std::move(text);
  return true;
}

bool ReadFileToString(const std::string& path, std::string& out, uint64_t maxBytes) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<uint64_t>(st.st_size) > maxBytes) {
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (!in || !ReadStreamToString(in, text) || text.size() > maxBytes) return false;
  out = std::move(text);
  return true;
}

bool ReadFileToString(const std::u16string& path, std::string& out, uint64_t maxBytes) {
  return ReadFileToString(UTF16ToUTF8(path), out, maxBytes);
}

std::unique_ptr<uint8_t[]> ReadWholeFileHandle(int fd, uint64_t count, uint64_t* size) {
  std::unique_ptr<uint8_t[]> buffer;
  if (count < SIZE_MAX) buffer.reset(new (std::nothrow) uint8_t[count + 1]);
  uint64_t done = 0;
  while (buffer && done < count) {
    const ssize_t n = ::read(fd, buffer.get() + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<uint64_t>(n);
  }
  if (fd >= 0) ::close(fd);
  if (!buffer || done != count) return nullptr;
  if (size != nullptr) *size = count;
  return buffer;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, int* error) {
  struct stat old;
  const bool replacing = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  const mode_t mode = replacing ? (old.st_mode & 07777) : 0666;
  return ReplaceThroughTemporary(
      path, mode, replacing, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); },
      error);
}

bool WriteFileAtomically(const std::u16string& path, std::string_view bytes, int* error) {
  return WriteFileAtomically(UTF16ToUTF8(path), bytes, error);
}

bool CopyFileAtomically(const std::string& from, const std::string& to, int* error) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    SetError(error, errno);
    return false;
  }
  struct stat source {};
  const int failure = ::fstat(in, &source) != 0 ? errno : (S_ISREG(source.st_mode) ? 0 : EINVAL);
  if (failure != 0) {
    ::close(in);
    SetError(error, failure);
    return false;
  }
  const bool ok = ReplaceThroughTemporary(
      to, source.st_mode & 07777, true, [&](int out) { return CopyDescriptor(in, out); }, error);
  ::close(in);
  return ok;
}

bool MoveFileReplacing(const std::string& from, const std::string& to, int* error) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EXDEV) {
    SetError(error, errno);
    return false;
  }
  // Another file system: copy, then delete the source.
  if (!CopyFileAtomically(from, to, error)) return false;
  RemoveFileIfPresent(from);
  return true;
}

bool RemoveFileIfPresent(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace platform
