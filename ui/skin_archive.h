// The process-wide skin archive: the open skin package from which the
// framework reads its layouts, images and language tables. It is set by the
// launcher when it picks the package, and used on the UI thread only.
#ifndef UI_SKIN_ARCHIVE_H_
#define UI_SKIN_ARCHIVE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/zip_reader.h"

namespace ui {

class SkinArchive {
 public:
  // What a member read takes at most unless told otherwise: the bound of a
  // layout or a language table.
  static constexpr uint64_t kMaxLayoutSize = 4ull << 20;

  // Makes the handle the skin archive; a previous one is closed first.
  static void Set(std::unique_ptr<ZipHandle> handle);
  // Closes the skin archive; nothing without one. The last zip result
  // becomes kZipOk, or kZipWrongMode for a handle that is no unzip handle.
  static void Close();
  static ZipHandle* Get();

  // Reads the member named by a skin path ("\\" or "/", "." and ".."
  // segments allowed) whole, at most |max_size| bytes. False without an
  // archive, for a missing member, for one larger than |max_size|, or for
  // one that cannot be read whole with its declared size and CRC; the cause
  // stays in the last zip result. A member of length 0 reads as empty bytes.
  static bool ReadEntry(std::u16string_view path, std::string* out,
                        uint64_t max_size = kMaxLayoutSize);

  // The member name of a skin path: "/" separators, no empty, "." or ".."
  // segments (a ".." removes the segment before it), never a leading "/".
  static std::u16string NormalizeZipPath(std::u16string_view path);
};

}  // namespace ui

#endif  // UI_SKIN_ARCHIVE_H_
