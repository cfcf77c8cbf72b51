// File operations in place of the system's ReadFile, CopyFile, MoveFileEx and
// DeleteFile: every file the program reads whole, rewrites, copies, moves or
// deletes goes through here, so they all behave the same way.
//
// Rewriting, copying and the copy half of a move work through a temporary
// file beside the destination: the data is written, flushed to the disk
// (fsync) and only then renamed over the destination. A crash or a full disk
// therefore leaves either the old file or the whole new one, never a part.
//
// File mode: a rewritten file keeps the mode of the file it replaces (a new
// file gets 0666 less the umask); a copy takes the mode of its source, so an
// executable stays executable.
//
// Paths are UTF-8, or UTF-16 where an overload takes a std::u16string. The
// functions keep no state and may be called on any thread for distinct files.
#pragma once

#include <cstdint>
#include <istream>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

inline constexpr uint64_t kUnboundedRead = std::numeric_limits<uint64_t>::max();

// Everything from the stream's position to its end; false, with `out`
// unchanged, on a read error.
bool ReadStreamToString(std::istream& stream, std::string& out);

// The whole content of a regular file of at most `maxBytes`; false, with
// `out` unchanged, when it cannot be read, is no regular file or is larger.
bool ReadFileToString(const std::string& path, std::string& out,
                      uint64_t maxBytes = kUnboundedRead);
bool ReadFileToString(const std::u16string& path, std::string& out,
                      uint64_t maxBytes = kUnboundedRead);

// Reads exactly `count` bytes from the descriptor into a buffer of count + 1
// bytes; none when fewer arrive, a read fails or memory runs out. The
// descriptor is closed in every case; `size` (when given) gets the count.
std::unique_ptr<uint8_t[]> ReadWholeFileHandle(int fd, uint64_t count, uint64_t* size);

// Replaces the file's content with `bytes` through a temporary file (see
// above). True when the new content is in place; otherwise the old file is
// untouched, no temporary file is left and `error` (when given) gets the
// errno of the step that failed.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, int* error = nullptr);
bool WriteFileAtomically(const std::u16string& path, std::string_view bytes,
                         int* error = nullptr);

// Copies `from` over `to` through a temporary file beside `to`; `to` is the
// old file or the whole copy, with the source's mode. Errors as above.
bool CopyFileAtomically(const std::string& from, const std::string& to, int* error = nullptr);

// Renames `from` over `to`. Across file systems the file is copied atomically
// and the source deleted afterwards. Errors as above.
bool MoveFileReplacing(const std::string& from, const std::string& to, int* error = nullptr);

// Deletes the file when there is one. True when no file is left at `path`
// (deleted, or there was none); false when it could not be deleted.
bool RemoveFileIfPresent(const std::string& path);

}  // namespace platform
