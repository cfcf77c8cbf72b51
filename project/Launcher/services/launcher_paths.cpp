#include "project/Launcher/services/launcher_paths.h"

#include <algorithm>

#include "base/util/module_util.h"
#include "base/util/string_util.h"
#include "platform/disk/disk_space.h"

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

size_t SplitAtSeparator(const std::string& text, const std::string& separator,
                        std::vector<std::string>& list) {
  return SplitText(text, separator, list);
}

size_t SplitAtSeparatorW(const std::u16string& text, const std::u16string& separator,
                         std::vector<std::u16string>& list) {
  return SplitText(text, separator, list);
}

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
