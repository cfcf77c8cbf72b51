#include "ui/zip_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <atomic>
#include <cstring>
#include <ctime>

#include "ui/skin_archive.h"
#include "ui/wide_text.h"

namespace ui {

namespace {

std::atomic<uint32_t> g_last_zip_result{kZipOk};

constexpr uint64_t kFileTimeUnixEpoch = 11644473600ull;  // seconds from 1601 to 1970
constexpr uint64_t kFileTimeTicksPerSecond = 10000000ull;
constexpr unsigned kReadChunk = 1u << 30;  // minizip reads at most an unsigned int

uint64_t UnixTimeToFileTime(int64_t t) {
  return static_cast<uint64_t>(t + static_cast<int64_t>(kFileTimeUnixEpoch)) *
         kFileTimeTicksPerSecond;
}

// The DOS date and time of a member are local time.
uint64_t DosTimeToFileTime(const tm_unz& dos) {
  std::tm local{};
  local.tm_year = static_cast<int>(dos.tm_year) - 1900;
  local.tm_mon = static_cast<int>(dos.tm_mon);
  local.tm_mday = static_cast<int>(dos.tm_mday);
  local.tm_hour = static_cast<int>(dos.tm_hour);
  local.tm_min = static_cast<int>(dos.tm_min);
  local.tm_sec = static_cast<int>(dos.tm_sec);
  local.tm_isdst = -1;
  const std::time_t t = std::mktime(&local);
  if (t == static_cast<std::time_t>(-1)) return 0;
  return UnixTimeToFileTime(static_cast<int64_t>(t));
}

uint32_t ReadLe16(const unsigned char* p) { return p[0] | (p[1] << 8); }
int32_t ReadLe32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) |
                              (static_cast<uint32_t>(p[3]) << 24));
}

// Applies the first extended-timestamp block ("UT") of a local extra field.
void ApplyExtendedTimestamp(const std::vector<unsigned char>& extra, ZipEntry* entry) {
  size_t pos = 0;
  while (pos + 4 <= extra.size()) {
    const bool is_timestamp = extra[pos] == 0x55 && extra[pos + 1] == 0x54;
    const size_t size = ReadLe16(&extra[pos + 2]);
    const size_t data = pos + 4;
    if (data + size > extra.size()) return;
    if (is_timestamp) {
      if (size < 1) return;
      const unsigned flags = extra[data];
      size_t at = data + 1;
      uint64_t* targets[] = {&entry->modification_time, &entry->access_time,
                             &entry->creation_time};
      for (int bit = 0; bit < 3; ++bit) {
        if ((flags & (1u << bit)) == 0) continue;
        if (at + 4 > data + size) return;
        *targets[bit] = UnixTimeToFileTime(ReadLe32(&extra[at]));
        at += 4;
      }
      return;
    }
    pos = data + size;
  }
}

uint32_t AttributesOf(const unz_file_info64& info) {
  const uint32_t external = static_cast<uint32_t>(info.external_fa);
  const uint32_t host = (info.version >> 8) & 0xFF;
  bool read_only = (external & 0x800000) == 0;  // owner-write bit of a Unix mode
  bool directory = (external & 0x40000000) != 0;  // Unix directory type bit
  bool archive = true, hidden = false, system = false;
  if (host == 0 || host == 7 || host == 11 || host == 14) {  // DOS-style hosts
    read_only = external & 0x01;
    hidden = external & 0x02;
    system = external & 0x04;
    directory = external & 0x10;
    archive = external & 0x20;
  }
  return (read_only ? kZipAttributeReadOnly : 0) | (hidden ? kZipAttributeHidden : 0) |
         (system ? kZipAttributeSystem : 0) | (directory ? kZipAttributeDirectory : 0) |
         (archive ? kZipAttributeArchive : 0);
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

// The bytes minizip reads: a descriptor (read with pread at positions
// relative to where the archive starts) or a memory block.
struct ZipReader::Source {
  bool is_memory = false;
  int fd = -1;
  bool owns_fd = false;
  int64_t start = 0;
  const unsigned char* data = nullptr;
  uint64_t length = 0;
  uint64_t position = 0;
  bool error = false;

  ~Source() {
    if (owns_fd && fd >= 0) ::close(fd);
  }

  bool End(uint64_t* end) const {
    if (is_memory) {
      *end = length;
      return true;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size < start) return false;
    *end = static_cast<uint64_t>(info.st_size - start);
    return true;
  }

  static voidpf ZCALLBACK OpenFunc(voidpf opaque, const void* /*name*/, int /*mode*/) {
    return opaque;
  }

  static uLong ZCALLBACK ReadFunc(voidpf /*opaque*/, voidpf stream, void* buffer, uLong size) {
    auto* s = static_cast<Source*>(stream);
    if (s->is_memory) {
      if (s->position >= s->length) return 0;
      const uint64_t n = std::min<uint64_t>(size, s->length - s->position);
      std::memcpy(buffer, s->data + s->position, n);
      s->position += n;
      return static_cast<uLong>(n);
    }
    uLong done = 0;
    while (done < size) {
      const ssize_t n = ::pread(s->fd, static_cast<char*>(buffer) + done, size - done,
                                static_cast<off_t>(s->start + s->position));
      if (n < 0) {
        s->error = true;
        break;
      }
      if (n == 0) break;
      done += static_cast<uLong>(n);
      s->position += static_cast<uint64_t>(n);
    }
    return done;
  }

  static uLong ZCALLBACK WriteFunc(voidpf, voidpf, const void*, uLong) { return 0; }

  static ZPOS64_T ZCALLBACK TellFunc(voidpf /*opaque*/, voidpf stream) {
    return static_cast<Source*>(stream)->position;
  }

  static long ZCALLBACK SeekFunc(voidpf /*opaque*/, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<Source*>(stream);
    uint64_t base = 0;
    switch (origin) {
      case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
      case ZLIB_FILEFUNC_SEEK_CUR: base = s->position; break;
      case ZLIB_FILEFUNC_SEEK_END:
        if (!s->End(&base)) return -1;
        break;
      default: return -1;
    }
    if (offset > UINT64_MAX - base) return -1;
    s->position = base + offset;
    return 0;
  }

  static int ZCALLBACK CloseFunc(voidpf, voidpf) { return 0; }

  static int ZCALLBACK ErrorFunc(voidpf /*opaque*/, voidpf stream) {
    return static_cast<Source*>(stream)->error ? 1 : 0;
  }
};

struct ZipReader::Member {
  unz64_file_pos position{};
  // The cleaned name the member is described by, in UTF-8: it is also the
  // name the member is found by, so a described member can always be found.
  std::string name;
};

namespace {

// The name a member is described and found by: its stored name cut to the
// described length, then sanitised.
std::u16string DescribedName(const char* stored) {
  std::u16string wide = Utf8ToUtf16(stored);
  if (wide.size() > ZipReader::kMaxNameLength - 1) wide.resize(ZipReader::kMaxNameLength - 1);
  return ZipReader::SanitizeMemberName(std::move(wide));
}

}  // namespace

ZipReader::ZipReader() = default;

ZipReader::~ZipReader() { Close(); }

int ZipReader::GetEntryCount() const { return static_cast<int>(members_.size()); }

ZipResult ZipReader::Open(const void* source, size_t length, int kind, const char* password) {
  if (archive_ != nullptr || open_index_ != -1) return kZipAlreadyOpen;
  if (password != nullptr) {
    password_ = password;
    has_password_ = true;
  }
  auto src = std::make_unique<Source>();
  switch (kind) {
    case kZipFromHandle: {
      if (source == nullptr) return kZipBadArgument;
      src->fd = *static_cast<const int*>(source);
      const off_t at = ::lseek(src->fd, 0, SEEK_CUR);
      if (at < 0) return kZipNotSeekable;
      src->start = at;
      break;
    }
    case kZipFromFileName: {
      if (source == nullptr) return kZipBadArgument;
      const std::string path = Utf16ToUtf8(static_cast<const char16_t*>(source));
      src->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (src->fd < 0) return kZipNoFile;
      src->owns_fd = true;
      break;
    }
    case kZipFromMemory:
      if (source == nullptr && length != 0) return kZipBadArgument;
      src->is_memory = true;
      src->data = static_cast<const unsigned char*>(source);
      src->length = length;
      break;
    default:
      return kZipBadArgument;
  }

  zlib_filefunc64_def functions{};
  functions.zopen64_file = &Source::OpenFunc;
  functions.zread_file = &Source::ReadFunc;
  functions.zwrite_file = &Source::WriteFunc;
  functions.ztell64_file = &Source::TellFunc;
  functions.zseek64_file = &Source::SeekFunc;
  functions.zclose_file = &Source::CloseFunc;
  functions.zerror_file = &Source::ErrorFunc;
  functions.opaque = src.get();
  unzFile archive = unzOpen2_64(src.get(), &functions);
  if (archive == nullptr) return kZipNoFile;

  // One walk of the central directory gives every member's position, so a
  // member is reached directly by its index afterwards.
  std::vector<Member> members;
  char name[kMaxNameLength + 1];
  for (int err = unzGoToFirstFile(archive); err == UNZ_OK; err = unzGoToNextFile(archive)) {
    Member member;
    unz_file_info64 info{};
    if (unzGetFilePos64(archive, &member.position) != UNZ_OK) break;
    if (unzGetCurrentFileInfo64(archive, &info, name, kMaxNameLength, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
      break;
    }
    name[std::min<uLong>(info.size_filename, kMaxNameLength)] = '\0';
    member.name = Utf16ToUtf8(DescribedName(name));
    members.push_back(std::move(member));
  }

  source_ = std::move(src);
  archive_ = archive;
  members_ = std::move(members);
  return kZipOk;
}

void ZipReader::Close() {
  CloseOpenMember();
  if (archive_ != nullptr) unzClose(static_cast<unzFile>(archive_));
  archive_ = nullptr;
  source_.reset();
  members_.clear();
  password_.clear();
  has_password_ = false;
  cached_index_ = -1;
}

void ZipReader::CloseOpenMember() {
  if (open_index_ != -1 && archive_ != nullptr) unzCloseCurrentFile(static_cast<unzFile>(archive_));
  open_index_ = -1;
  open_delivered_ = 0;
  open_size_ = 0;
  open_encrypted_ = false;
}

ZipResult ZipReader::MoveTo(int index) {
  unz64_file_pos position = members_[static_cast<size_t>(index)].position;
  if (unzGoToFilePos64(static_cast<unzFile>(archive_), &position) != UNZ_OK) {
    return kZipCorruptHeader;
  }
  return kZipOk;
}

ZipResult ZipReader::FindEntry(std::u16string_view name, int* index, ZipEntry* entry) {
  if (archive_ == nullptr) return kZipBadArgument;
  int found = -1;
  if (name.size() <= kMaxNameLength) {
    // The query is cleaned as the member names are: the stored form of a name
    // and the described form find the same member.
    const std::string wanted = Utf16ToUtf8(SanitizeMemberName(std::u16string(name)));
    for (size_t i = 0; i < members_.size(); ++i) {
      if (unzStringFileNameCompare(members_[i].name.c_str(), wanted.c_str(), 2) == 0) {
        found = static_cast<int>(i);
        break;
      }
    }
  }
  if (found < 0) {
    if (index != nullptr) *index = -1;
    if (entry != nullptr) *entry = ZipEntry();
    return kZipNotFound;
  }
  CloseOpenMember();
  if (index != nullptr) *index = found;
  if (entry != nullptr) return GetEntryInfo(found, entry);
  return kZipOk;
}

ZipResult ZipReader::GetEntryInfo(int index, ZipEntry* entry) {
  if (archive_ == nullptr || entry == nullptr) return kZipBadArgument;
  if (index < -1 || index >= GetEntryCount()) return kZipBadArgument;
  CloseOpenMember();
  if (index == cached_index_ && index != -1) {
    *entry = cached_entry_;
    return kZipOk;
  }
  if (index == -1) {
    *entry = ZipEntry();
    entry->index = GetEntryCount();
    return kZipOk;
  }
  if (const ZipResult moved = MoveTo(index); moved != kZipOk) return moved;
  unzFile archive = static_cast<unzFile>(archive_);
  unz_file_info64 info{};
  char name[kMaxNameLength + 1];
  if (unzGetCurrentFileInfo64(archive, &info, name, kMaxNameLength, nullptr, 0, nullptr, 0) !=
      UNZ_OK) {
    return kZipCorruptHeader;
  }
  name[std::min<uLong>(info.size_filename, kMaxNameLength)] = '\0';

  // Opening the member raw checks its local header and exposes its local
  // extra field, which may carry exact timestamps.
  int method = 0, level = 0;
  if (unzOpenCurrentFile2(archive, &method, &level, /*raw=*/1) != UNZ_OK) {
    return kZipCorruptHeader;
  }
  std::vector<unsigned char> extra;
  const int extra_size = unzGetLocalExtrafield(archive, nullptr, 0);
  if (extra_size < 0) {
    unzCloseCurrentFile(archive);
    return kZipReadError;
  }
  extra.resize(static_cast<size_t>(extra_size));
  if (extra_size > 0 &&
      unzGetLocalExtrafield(archive, extra.data(), static_cast<unsigned>(extra_size)) !=
          extra_size) {
    unzCloseCurrentFile(archive);
    return kZipReadError;
  }
  unzCloseCurrentFile(archive);

  ZipEntry result;
  result.index = index;
  result.name = DescribedName(name);
  result.attributes = AttributesOf(info);
  const uint64_t dos_time = DosTimeToFileTime(info.tmu_date);
  result.access_time = result.creation_time = result.modification_time = dos_time;
  ApplyExtendedTimestamp(extra, &result);
  result.compressed_size = info.compressed_size;
  result.uncompressed_size = info.uncompressed_size;

  cached_entry_ = result;
  cached_index_ = index;
  *entry = std::move(result);
  return kZipOk;
}

// A member that cannot be read whole ends its extraction. For an encrypted
// member a wrong password is the likely cause (the traditional encryption
// has no reliable password check of its own), otherwise the data is damaged.
ZipResult ZipReader::FailMember() {
  const bool encrypted = open_encrypted_;
  CloseOpenMember();
  return encrypted ? kZipPassword : kZipCorrupt;
}

// The whole member has been read: it must have its declared size and CRC.
ZipResult ZipReader::FinishMember() {
  if (open_delivered_ != open_size_) return FailMember();
  const int err = unzCloseCurrentFile(static_cast<unzFile>(archive_));
  const bool encrypted = open_encrypted_;
  open_index_ = -1;
  open_delivered_ = open_size_ = 0;
  open_encrypted_ = false;
  if (err == UNZ_OK) return kZipOk;
  return encrypted ? kZipPassword : kZipCorrupt;
}

ZipResult ZipReader::ExtractEntry(int index, void* buffer, size_t size) {
  if (archive_ == nullptr) return kZipBadArgument;
  if (index != open_index_) {
    CloseOpenMember();
    if (index < 0 || index >= GetEntryCount()) return kZipBadArgument;
    if (const ZipResult moved = MoveTo(index); moved != kZipOk) return moved;
    unzFile archive = static_cast<unzFile>(archive_);
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
      return kZipCorruptHeader;
    }
    open_encrypted_ = (info.flag & 1) != 0;
    if (open_encrypted_ && !has_password_) return kZipPassword;
    // The password is given to encrypted members only: a minizip built
    // without decryption refuses any password, and then no password opens
    // an encrypted member.
    const int err =
        unzOpenCurrentFilePassword(archive, open_encrypted_ ? password_.c_str() : nullptr);
    if (err != UNZ_OK) {
      const bool encrypted = open_encrypted_;
      open_encrypted_ = false;
      if (encrypted) return kZipPassword;
      return err == UNZ_BADZIPFILE ? kZipCorruptHeader : kZipCorrupt;
    }
    open_index_ = index;
    open_delivered_ = 0;
    open_size_ = info.uncompressed_size;
  }
  if (buffer == nullptr && size != 0) return kZipBadArgument;
  if (size == 0 && open_delivered_ < open_size_) return kZipBadArgument;

  unzFile archive = static_cast<unzFile>(archive_);
  size_t filled = 0;
  while (filled < size) {
    const unsigned want =
        static_cast<unsigned>(std::min<size_t>(size - filled, kReadChunk));
    const int n = unzReadCurrentFile(archive, static_cast<char*>(buffer) + filled, want);
    if (n < 0) return FailMember();
    if (n == 0) break;  // the member's data has ended
    filled += static_cast<size_t>(n);
    open_delivered_ += static_cast<uint64_t>(n);
    if (open_delivered_ > open_size_) return FailMember();
  }
  if (filled < size || open_delivered_ == open_size_) return FinishMember();
  return kZipMoreData;
}

ZipResult ZipReader::ReadEntry(int index, std::string* out, uint64_t max_size) {
  ZipEntry entry;
  if (const ZipResult described = GetEntryInfo(index, &entry); described != kZipOk) {
    return described;
  }
  if (entry.uncompressed_size > max_size) return kZipTooLarge;
  std::string bytes(static_cast<size_t>(entry.uncompressed_size), '\0');
  char empty = 0;
  const ZipResult result =
      ExtractEntry(index, bytes.empty() ? &empty : bytes.data(), bytes.size());
  if (result == kZipMoreData) {
    CloseOpenMember();
    return kZipCorrupt;  // more data than the member declares
  }
  if (result != kZipOk) return result;
  out->swap(bytes);
  return kZipOk;
}

std::u16string ZipReader::SanitizeMemberName(std::u16string name) {
  for (char16_t& c : name) {
    if (c == u'\\') c = u'/';
  }
  for (bool changed = true; changed;) {
    changed = true;
    if (name.size() >= 2 && name[1] == u':') {
      name.erase(0, 2);  // a drive prefix
    } else if (StartsWith(name, u"/")) {
      name.erase(0, 1);
    } else if (StartsWith(name, u"../")) {
      name.erase(0, 3);
    } else if (StartsWith(name, u"./")) {
      name.erase(0, 2);
    } else if (const size_t up = name.find(u"/../"); up != std::u16string::npos) {
      name.erase(0, up + 4);  // only what follows the step up remains
    } else if (name == u".." || name == u".") {
      name.clear();
    } else if (name.size() >= 3 && name.compare(name.size() - 3, 3, u"/..") == 0) {
      name.erase(name.size() - 2);
    } else {
      changed = false;
    }
  }
  return name;
}

std::unique_ptr<ZipHandle> OpenZipArchive(const void* source, size_t length, int kind,
                                          const char* password) {
  auto reader = std::make_unique<ZipReader>();
  const ZipResult result = reader->Open(source, length, kind, password);
  SetLastZipResult(result);
  if (result != kZipOk) return nullptr;
  auto handle = std::make_unique<ZipHandle>();
  handle->kind = 1;
  handle->reader = std::move(reader);
  return handle;
}

ZipResult FindZipEntry(std::u16string_view name, int* index, ZipEntry* entry) {
  ZipHandle* handle = SkinArchive::Get();
  ZipResult result = kZipBadArgument;
  if (handle == nullptr || handle->reader == nullptr) {
    result = kZipBadArgument;
  } else if (handle->kind != 1) {
    result = kZipWrongMode;
  } else {
    result = handle->reader->FindEntry(name, index, entry);
  }
  SetLastZipResult(result);
  return result;
}

ZipResult GetLastZipResult() { return static_cast<ZipResult>(g_last_zip_result.load()); }

void SetLastZipResult(ZipResult result) { g_last_zip_result.store(result); }

}  // namespace ui
