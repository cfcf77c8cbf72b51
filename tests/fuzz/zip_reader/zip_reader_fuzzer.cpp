// Opens arbitrary bytes as a zip archive from memory, describes every
// member, reads each whole and in chunks, and checks the promises the reader
// makes: a member read as complete has exactly its declared size, and no
// described name leads outside the archive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/zip_reader.h"

namespace {

constexpr uint64_t kFuzzMemberBound = 1u << 20;  // keeps each run quick

void CheckName(const std::u16string& name) {
  if (!name.empty() && (name[0] == u'/' || name[0] == u'\\')) abort();
  if (name.size() >= 2 && name[1] == u':') abort();
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of(u"/\\", start);
    if (end == std::u16string::npos) end = name.size();
    if (name.compare(start, end - start, u"..") == 0) abort();
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto handle = ui::OpenZipArchive(data, size, ui::kZipFromMemory, nullptr);
  if (handle == nullptr) return 0;
  ui::ZipReader* reader = handle->reader.get();
  const int count = reader->GetEntryCount();
  for (int i = 0; i < count && i < 64; ++i) {
    ui::ZipEntry entry;
    if (reader->GetEntryInfo(i, &entry) != ui::kZipOk) continue;
    CheckName(entry.name);

    std::string bytes;
    if (reader->ReadEntry(i, &bytes, kFuzzMemberBound) == ui::kZipOk &&
        bytes.size() != entry.uncompressed_size) {
      abort();
    }

    if (entry.uncompressed_size <= kFuzzMemberBound) {
      char chunk[700];
      uint64_t delivered = 0;
      for (int calls = 0; calls < 4000; ++calls) {
        const ui::ZipResult r = reader->ExtractEntry(i, chunk, sizeof(chunk));
        if (r == ui::kZipMoreData) {
          delivered += sizeof(chunk);
          continue;
        }
        if (r == ui::kZipOk && (delivered > entry.uncompressed_size ||
                                entry.uncompressed_size - delivered > sizeof(chunk))) {
          abort();
        }
        break;
      }
    }
    int found = -1;
    reader->FindEntry(u"resources/lang/en.ini", &found, nullptr);
  }
  return 0;
}
