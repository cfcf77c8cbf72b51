// Reads a zip archive (the skin package) over minizip: from an open file
// descriptor, a file name or a memory block. Members are found by name
// (case-insensitively), described, and extracted into a caller's buffer,
// in chunks when the buffer is smaller than the member.
//
// An extraction delivers exactly the member's declared size and checks its
// CRC: a short, over-long or damaged member is kZipCorrupt, never a partly
// filled buffer reported as complete. Member names are sanitised so that none
// reaches above the archive's root.
#ifndef UI_ZIP_READER_H_
#define UI_ZIP_READER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum ZipResult : uint32_t {
  kZipOk = 0,
  kZipNoFile = 0x200,          // cannot be opened, or no zip archive
  kZipNotFound = 0x500,        // no member of that name
  kZipMoreData = 0x600,        // the buffer is full and more data remains
  kZipCorruptHeader = 0x700,   // the member's local header does not check
  kZipReadError = 0x800,       // the local extra field cannot be read
  kZipPassword = 0x1000,       // the password does not open the member
  kZipBadArgument = 0x10000,   // bad argument, index out of range, no archive
  kZipWrongMode = 0x80000,     // the handle is not an unzip handle
  kZipAlreadyOpen = 0x1000000, // the reader already holds an archive
  kZipNotSeekable = 0x2000000, // the descriptor cannot report its position
  kZipCorrupt = 0x5000000,     // damaged data, wrong size or checksum
  kZipTooLarge = 0x6000000,    // the member is larger than the reader's bound
};

// Where OpenZipArchive takes the archive from.
enum ZipSourceKind : int {
  kZipFromHandle = 1,    // source points at an int: an open file descriptor
  kZipFromFileName = 2,  // source is a terminated UTF-16 file name
  kZipFromMemory = 3,    // source is a memory block of the given length
};

// Windows file attribute bits of ZipEntry::attributes.
inline constexpr uint32_t kZipAttributeReadOnly = 0x01;
inline constexpr uint32_t kZipAttributeHidden = 0x02;
inline constexpr uint32_t kZipAttributeSystem = 0x04;
inline constexpr uint32_t kZipAttributeDirectory = 0x10;
inline constexpr uint32_t kZipAttributeArchive = 0x20;

// Times are FILETIME values: 100-nanosecond intervals since 1601-01-01 UTC.
struct ZipEntry {
  int index = -1;  // the member count when described with index -1
  std::u16string name;
  uint32_t attributes = 0;
  uint64_t access_time = 0;
  uint64_t creation_time = 0;
  uint64_t modification_time = 0;
  uint64_t compressed_size = 0;
  uint64_t uncompressed_size = 0;
};

class ZipReader {
 public:
  // The largest member read whole into memory.
  static constexpr uint64_t kMaxMemberSize = 64ull << 20;
  // Member names are at most this long (UTF-8 bytes as stored, UTF-16 units
  // as described).
  static constexpr size_t kMaxNameLength = 260;

  ZipReader();
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // The password (may be null) is kept for every member opened later.
  ZipResult Open(const void* source, size_t length, int kind, const char* password);
  void Close();

  int GetEntryCount() const;

  // Locates a member by name, case-insensitively. Both the query and the
  // stored names are cleaned by SanitizeMemberName first, so the name an entry
  // is described by finds it, and so does its stored form. Either output may
  // be null.
  ZipResult FindEntry(std::u16string_view name, int* index, ZipEntry* entry);
  ZipResult GetEntryInfo(int index, ZipEntry* entry);
  // Reads the next part of the member into the buffer: kZipMoreData while
  // more remains, kZipOk once the whole member (of its declared size and
  // correct CRC) has been delivered. Calls with the same index continue.
  ZipResult ExtractEntry(int index, void* buffer, size_t size);
  // Reads the whole member into out, refusing members above max_size.
  ZipResult ReadEntry(int index, std::string* out, uint64_t max_size = kMaxMemberSize);

  // The name rules applied to stored member names: "\\" becomes "/", drive
  // prefixes, leading slashes and "." or ".." segments that would lead
  // outside the archive are removed.
  static std::u16string SanitizeMemberName(std::u16string name);

 private:
  struct Source;
  struct Member;

  void CloseOpenMember();
  ZipResult MoveTo(int index);
  ZipResult FinishMember();
  ZipResult FailMember();

  std::unique_ptr<Source> source_;
  void* archive_ = nullptr;  // unzFile
  std::vector<Member> members_;
  std::string password_;
  bool has_password_ = false;

  int open_index_ = -1;
  uint64_t open_delivered_ = 0;
  uint64_t open_size_ = 0;
  bool open_encrypted_ = false;

  ZipEntry cached_entry_;
  int cached_index_ = -1;
};

// The archive handle; kind 1 is an unzip handle, the only kind made.
struct ZipHandle {
  int kind = 1;
  std::unique_ptr<ZipReader> reader;
};

// Opens an archive; null on failure. The result becomes the last zip result.
std::unique_ptr<ZipHandle> OpenZipArchive(const void* source, size_t length, int kind,
                                          const char* password);

// Looks a name up in the process-wide skin archive (SkinArchive); either
// output may be null. The result becomes the last zip result.
ZipResult FindZipEntry(std::u16string_view name, int* index, ZipEntry* entry);

ZipResult GetLastZipResult();
void SetLastZipResult(ZipResult result);

}  // namespace ui

#endif  // UI_ZIP_READER_H_
