#include "base/util/path_util.h"

#include <errno.h>
#include <sys/stat.h>

#include "base/util/string_util.h"

namespace kbase {

namespace {

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

bool IsExistingFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool SplitPath(const std::u16string& path, std::vector<std::u16string>* components) {
  components->clear();
  size_t pos = 0;
  while (pos < path.size()) {
    size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end]))
      ++end;
    std::u16string component = path.substr(pos, end - pos);
    if (end < path.size())
      component.push_back(u'/');
    while (end < path.size() && IsSeparator(path[end]))
      ++end;
    components->push_back(std::move(component));
    pos = end;
  }
  return true;
}

bool CreateDirectoryRecursive(const std::u16string& path) {
  if (IsExistingFolder(UTF16ToUTF8(path)))
    return true;
  std::vector<std::u16string> components;
  SplitPath(path, &components);
  if (components.empty())
    return false;

  std::u16string prefix;
  for (const std::u16string& component : components) {
    prefix += component;
    std::string native = UTF16ToUTF8(prefix);
    if (IsExistingFolder(native))
      continue;
    if (mkdir(native.c_str(), 0777) != 0) {
      if (errno != EEXIST)
        return false;
      // Something of that name exists: only a folder lets us go on (a file
      // there, or a name we cannot inspect, ends the walk).
      if (!IsExistingFolder(native))
        return false;
    }
  }
  return true;
}

}  // namespace kbase
