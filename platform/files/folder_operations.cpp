#include "platform/files/folder_operations.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/text/utf_conversion.h"

namespace platform {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The path with "/" as its only separator and exactly one at its end.
std::string WithTrailingSeparator(const std::string& path) {
  std::string result = path;
  std::replace(result.begin(), result.end(), '\\', '/');
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

enum class EntryKind { kFile, kFolder, kLinkToFolder, kGone };

// Classifies a listed entry without following a link to a folder.
EntryKind KindOf(const std::string& path, unsigned char type) {
  if (type == DT_DIR) return EntryKind::kFolder;
  if (type != DT_LNK && type != DT_UNKNOWN) return EntryKind::kFile;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return EntryKind::kGone;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
      return EntryKind::kLinkToFolder;
    }
  }
  return EntryKind::kFile;
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

}  // namespace

bool CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  const std::string normalized = WithTrailingSeparator(path);
  // A separator at index 0 is the root, never the end of a folder to create.
  for (size_t i = 1; i < normalized.size(); ++i) {
    if (!IsSeparator(normalized[i])) continue;
    const std::string prefix = normalized.substr(0, i + 1);
    if (prefix == "./") continue;
    ::mkdir(prefix.c_str(), 0777);  // an existing folder is fine; checked below
  }
  return IsFolder(normalized);
}

bool CreateFolders(const std::u16string& path) { return CreateFolders(UTF16ToUTF8(path)); }

void DeleteFolderRecursive(const std::string& path) {
  const std::string base = WithTrailingSeparator(path);
  DIR* dir = ::opendir(base.c_str());
  if (dir == nullptr) return;
  while (struct dirent* entry = ::readdir(dir)) {
    if (IsDotEntry(entry->d_name)) continue;
    const std::string child = base + entry->d_name;
    struct stat st;
    if (::lstat(child.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      DeleteFolderRecursive(child);
    } else {
      ::unlink(child.c_str());
    }
  }
  ::closedir(dir);
  ::rmdir(base.c_str());
}

void DeleteFolderRecursive(const std::u16string& path) {
  DeleteFolderRecursive(UTF16ToUTF8(path));
}

bool IsFolder(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFolder(const std::u16string& path) { return IsFolder(UTF16ToUTF8(path)); }

int32_t ListFilesRecursive(const std::string& folder, std::vector<std::string>& list,
                           const std::vector<std::string>& excluded) {
  const std::string base = WithTrailingSeparator(folder);
  DIR* dir = ::opendir(base.c_str());
  if (dir == nullptr) return -1;
  std::vector<std::string> subfolders;
  while (struct dirent* entry = ::readdir(dir)) {
    if (IsDotEntry(entry->d_name)) continue;
    const std::string path = base + entry->d_name;
    switch (KindOf(path, entry->d_type)) {
      case EntryKind::kFile:
        list.push_back(path);
        break;
      case EntryKind::kFolder:
        if (std::find(excluded.begin(), excluded.end(), entry->d_name) == excluded.end()) {
          subfolders.push_back(path);
        }
        break;
      case EntryKind::kLinkToFolder:
      case EntryKind::kGone:
        break;
    }
  }
  ::closedir(dir);
  for (const std::string& sub : subfolders) ListFilesRecursive(sub, list, excluded);
  return static_cast<int32_t>(list.size());
}

int32_t ListSubfolders(const std::string& folder, std::vector<std::string>& list) {
  list.clear();
  const std::string base = WithTrailingSeparator(folder);
  DIR* dir = ::opendir(base.c_str());
  if (dir == nullptr) return -1;
  while (struct dirent* entry = ::readdir(dir)) {
    if (IsDotEntry(entry->d_name)) continue;
    if (KindOf(base + entry->d_name, entry->d_type) == EntryKind::kFolder) {
      list.push_back(entry->d_name);
    }
  }
  ::closedir(dir);
  return static_cast<int32_t>(list.size());
}

}  // namespace platform
