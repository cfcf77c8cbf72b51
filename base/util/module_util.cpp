#include "base/util/module_util.h"

#include <unistd.h>

#include <vector>

#include "base/util/string_util.h"

namespace kbase {

namespace {

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// readlink does not say whether the name was cut, so grow the buffer until the
// result is shorter than it.
std::string ReadSelfExe() {
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0)
      return std::string();
    if (static_cast<size_t>(length) < buffer.size())
      return std::string(buffer.data(), static_cast<size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::u16string GetModuleFileName() { return UTF8ToUTF16(ReadSelfExe()); }

bool GetDirectoryPart(const std::u16string& path, std::u16string* directory) {
  if (path.size() < 2)
    return false;
  // Index 0 is included so that a program in "/" still has a folder.
  for (size_t i = path.size(); i-- > 0;) {
    if (IsSeparator(path[i])) {
      *directory = path.substr(0, i + 1);
      return true;
    }
  }
  return false;
}

std::u16string GetModuleDirectory() {
  std::u16string directory;
  if (!GetDirectoryPart(GetModuleFileName(), &directory))
    return u"./";
  return directory;
}

}  // namespace kbase
