#include "project/Launcher/services/folder_helpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "base/util/module_util.h"
#include "base/util/string_util.h"

namespace {

template <typename String>
String NormalizeSeparators(const String& path, bool trailingSeparator) {
  using Char = typename String::value_type;
  String result = path;
  std::replace(result.begin(), result.end(), static_cast<Char>('\\'), static_cast<Char>('/'));
  if (trailingSeparator) {
    if (result.empty() || result.back() != static_cast<Char>('/')) result += static_cast<Char>('/');
  } else {
    while (!result.empty() && result.back() == static_cast<Char>('/')) result.pop_back();
  }
  return result;
}

template <typename String>
bool SplitAtLastSeparator(const String& path, String& folder, String& name) {
  using Char = typename String::value_type;
  if (path.empty()) return false;
  String copy = path;
  std::replace(copy.begin(), copy.end(), static_cast<Char>('\\'), static_cast<Char>('/'));
  size_t slash = copy.rfind(static_cast<Char>('/'));
  if (slash == String::npos || slash == 0) return false;
  folder = copy.substr(0, slash);
  name = copy.substr(slash + 1);
  return true;
}

enum class EntryKind { kFile, kFolder, kLinkToFolder, kGone };

// Classifies a listed entry without following a link to a folder.
EntryKind KindOf(const std::string& path, unsigned char type) {
  if (type == DT_DIR) return EntryKind::kFolder;
  if (type != DT_LNK && type != DT_UNKNOWN) return EntryKind::kFile;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return EntryKind::kGone;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    if (stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) return EntryKind::kLinkToFolder;
  }
  return EntryKind::kFile;
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<uint64_t> counter{0};
  return path + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(counter.fetch_add(1));
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

const std::string& SaveFolder() {
  static const std::string folder = std::string(".") + "/" + "save";
  return folder;
}

const std::u16string& SaveFolderW() {
  static const std::u16string folder = std::u16string(u".") + u"/" + u"save";
  return folder;
}

const std::u16string& UpdateFolderW() {
  static const std::u16string folder = std::u16string(u".") + u"/" + u"update";
  return folder;
}

const std::u16string& ExceptionFolderW() {
  static const std::u16string folder = std::u16string(u".") + u"/" + u"exception";
  return folder;
}

const std::string& PreDownloadFolder() {
  static const std::string update = std::string(".") + "/" + "update";
  static const std::string folder = update + "/" + "predownload";
  return folder;
}

const std::u16string& DefaultGameFolderW() {
  static const std::u16string folder = kbase::GetModuleDirectory() + u"Valdrenth Game";
  return folder;
}

std::string NormalizePath(const std::string& path, bool trailingSeparator) {
  return NormalizeSeparators(path, trailingSeparator);
}

std::u16string NormalizePathW(const std::u16string& path, bool trailingSeparator) {
  return NormalizeSeparators(path, trailingSeparator);
}

bool SplitPath(const std::string& path, std::string& folder, std::string& name) {
  return SplitAtLastSeparator(path, folder, name);
}

bool SplitPathW(const std::u16string& path, std::u16string& folder, std::u16string& name) {
  return SplitAtLastSeparator(path, folder, name);
}

int32_t ListFilesRecursive(const std::string& folder, std::vector<std::string>& list,
                           const std::vector<std::string>& excluded) {
  const std::string base = NormalizePath(folder, true);
  DIR* dir = opendir(base.c_str());
  if (dir == nullptr) return -1;
  std::vector<std::string> subfolders;
  while (struct dirent* entry = readdir(dir)) {
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
  closedir(dir);
  for (const std::string& sub : subfolders) ListFilesRecursive(sub, list, excluded);
  return static_cast<int32_t>(list.size());
}

int32_t ListSubfolders(const std::string& folder, std::vector<std::string>& list) {
  list.clear();
  const std::string base = NormalizePath(folder, true);
  DIR* dir = opendir(base.c_str());
  if (dir == nullptr) return -1;
  while (struct dirent* entry = readdir(dir)) {
    if (IsDotEntry(entry->d_name)) continue;
    if (KindOf(base + entry->d_name, entry->d_type) == EntryKind::kFolder) {
      list.push_back(entry->d_name);
    }
  }
  closedir(dir);
  return static_cast<int32_t>(list.size());
}

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

bool ReadFileToString(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  return ReadStreamToString(in, out);
}

bool ReadFileToStringW(const std::u16string& path, std::string& out) {
  return ReadFileToString(kbase::UTF16ToUTF8(path), out);
}

bool WriteStringToFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  const std::string temporary = TemporaryNameFor(path);
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  if (ok) ok = rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}
