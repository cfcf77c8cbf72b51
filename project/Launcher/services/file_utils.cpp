#include "project/Launcher/services/file_utils.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "platform/disk/disk_space.h"
#include "project/Launcher/services/folder_helpers.h"
#include "project/Launcher/services/md5_context.h"
#include "base/util/string_util.h"

namespace {

// Large blocks keep the hashing of game files fast; the digest does not
// depend on the block size.
constexpr size_t kMd5ReadBlock = 1 << 16;

template <typename String>
size_t SplitText(const String& text, const String& separator, std::vector<String>& list) {
  list.clear();
  if (text.empty() || separator.empty()) return 0;
  size_t start = 0;
  for (size_t found = text.find(separator); found != String::npos;
       found = text.find(separator, start)) {
    list.push_back(text.substr(start, found - start));
    start = found + separator.size();
  }
  if (list.empty() || start < text.size()) list.push_back(text.substr(start));
  return list.size();
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

bool WriteStringToFileW(const std::u16string& path, const std::string& bytes) {
  return WriteStringToFile(kbase::UTF16ToUTF8(path), bytes);
}

bool FileMd5(std::ifstream& file, std::string& md5, int64_t& size) {
  Md5Context context;
  std::unique_ptr<char[]> buffer(new char[kMd5ReadBlock]);
  int64_t total = 0;
  while (file.read(buffer.get(), kMd5ReadBlock) || file.gcount() > 0) {
    context.Update(buffer.get(), static_cast<uint64_t>(file.gcount()));
    total += file.gcount();
  }
  const bool read_ok = !file.bad();
  file.close();
  if (!read_ok) {
    md5.clear();
    size = 0;
    return false;
  }
  context.finished = true;
  context.Final();
  md5 = Md5DigestToHex(context.digest);
  size = total;
  return true;
}

bool CheckFileMd5(const std::string& path, const std::string& expected, std::string& md5,
                  int64_t& size) {
  md5.clear();
  size = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return false;
  if (!FileMd5(file, md5, size)) return false;
  return !expected.empty() && md5 == expected;
}

std::unique_ptr<uint8_t[]> ReadWholeFileHandle(int fd, uint64_t count, uint64_t* size) {
  std::unique_ptr<uint8_t[]> buffer;
  if (count < SIZE_MAX) buffer.reset(new (std::nothrow) uint8_t[count + 1]);
  uint64_t done = 0;
  while (buffer && done < count) {
    ssize_t n = read(fd, buffer.get() + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<uint64_t>(n);
  }
  close(fd);
  if (!buffer || done != count) return nullptr;
  if (size != nullptr) *size = count;
  return buffer;
}

bool CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  const std::string normalized = NormalizePath(path, true);
  // A separator at index 0 is the root, never the end of a folder to create.
  for (size_t i = 1; i < normalized.size(); ++i) {
    if (!IsSeparator(normalized[i])) continue;
    const std::string prefix = normalized.substr(0, i + 1);
    if (prefix == "./") continue;
    mkdir(prefix.c_str(), 0777);  // an existing folder is fine; checked below
  }
  return IsFolder(normalized);
}

bool CreateFoldersW(const std::u16string& path) {
  return CreateFolders(kbase::UTF16ToUTF8(path));
}

void DeleteFolderRecursive(const std::string& path) {
  const std::string base = NormalizePath(path, true);
  DIR* dir = opendir(base.c_str());
  if (dir == nullptr) return;
  while (struct dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    const std::string child = base + entry->d_name;
    struct stat st;
    if (lstat(child.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      DeleteFolderRecursive(child);
    } else {
      unlink(child.c_str());
    }
  }
  closedir(dir);
  rmdir(base.c_str());
}

void DeleteFolderRecursiveW(const std::u16string& path) {
  DeleteFolderRecursive(kbase::UTF16ToUTF8(path));
}

bool IsFolder(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFolderW(const std::u16string& path) { return IsFolder(kbase::UTF16ToUTF8(path)); }

bool GetDriveSpace(const std::string& path, uint64_t& total, uint64_t& available) {
  if (path.empty()) return false;
  platform::DiskSpace space;
  if (!platform::QueryDiskSpace(NormalizePath(path, true), &space)) return false;
  total = space.total;
  available = space.available;
  return true;
}

bool GetDriveSpaceW(const std::u16string& path, uint64_t& total, uint64_t& available) {
  return GetDriveSpace(kbase::UTF16ToUTF8(path), total, available);
}

std::u16string GetPathDriveW(const std::u16string& path) {
  return kbase::UTF8ToUTF16(platform::MountPointOf(NormalizePath(kbase::UTF16ToUTF8(path), false)));
}

size_t SplitAtSeparator(const std::string& text, const std::string& separator,
                        std::vector<std::string>& list) {
  return SplitText(text, separator, list);
}

size_t SplitAtSeparatorW(const std::u16string& text, const std::u16string& separator,
                         std::vector<std::u16string>& list) {
  return SplitText(text, separator, list);
}
