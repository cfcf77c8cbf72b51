#include "ui/skin_archive.h"

#include <algorithm>

namespace ui {

namespace {

std::unique_ptr<ZipHandle>& Slot() {
  static std::unique_ptr<ZipHandle> handle;
  return handle;
}

}  // namespace

void SkinArchive::Set(std::unique_ptr<ZipHandle> handle) {
  Close();
  Slot() = std::move(handle);
}

void SkinArchive::Close() {
  std::unique_ptr<ZipHandle>& slot = Slot();
  if (slot == nullptr) return;
  SetLastZipResult(slot->kind == 1 ? kZipOk : kZipWrongMode);
  slot.reset();
}

ZipHandle* SkinArchive::Get() { return Slot().get(); }

bool SkinArchive::ReadEntry(std::u16string_view path, std::string* out, uint64_t max_size) {
  const std::u16string name = NormalizeZipPath(path);
  ZipHandle* handle = Get();
  if (handle == nullptr || name.empty()) return false;
  int index = -1;
  if (FindZipEntry(name, &index, nullptr) != kZipOk) return false;
  const ZipResult result = handle->reader->ReadEntry(index, out, std::min(max_size, ZipReader::kMaxMemberSize));
  SetLastZipResult(result);
  return result == kZipOk;
}

std::u16string SkinArchive::NormalizeZipPath(std::u16string_view path) {
  std::u16string slashed(path);
  for (char16_t& c : slashed) {
    if (c == u'\\') c = u'/';
  }
  std::u16string s;
  s.reserve(slashed.size());
  for (size_t i = 0; i < slashed.size(); ++i) {
    s.push_back(slashed[i]);
    if (slashed[i] == u'/' && i + 1 < slashed.size() && slashed[i + 1] == u'/') ++i;
  }

  size_t i = 0;
  while (i < s.size()) {
    const bool segment_start = i == 0 || s[i - 1] == u'/';
    if (!segment_start) {
      ++i;
    } else if (s[i] == u'/') {
      s.erase(i, 1);  // an empty segment
    } else if (s.compare(i, 2, u"./") == 0) {
      s.erase(i, 2);
    } else if (s.compare(i, 3, u"../") == 0) {
      s.erase(i, 2);  // the "/" stays and is removed as an empty segment
      if (i == 0) continue;
      // Remove the segment before, with the "/" in front of it.
      const size_t before = i >= 2 ? s.rfind(u'/', i - 2) : std::u16string::npos;
      if (before == std::u16string::npos) {
        s.erase(0, i);
        i = 0;
      } else {
        s.erase(before, i - before);
        i = before;
      }
    } else {
      ++i;
    }
  }
  return s;
}

}  // namespace ui
