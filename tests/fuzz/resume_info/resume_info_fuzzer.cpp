// Resume records come from disk and may be anything: loading one never
// crashes, and whatever it yields lies inside the file.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "project/Launcher/services/resume_info.h"

namespace {

// A folder of its own, removed when the fuzzer exits.
struct FuzzFolder {
  std::string path;
  FuzzFolder() {
    char pattern[] = "/tmp/resume_fuzz_XXXXXX";
    if (mkdtemp(pattern)) path = pattern;
  }
  ~FuzzFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

const std::string& Folder() {
  static const FuzzFolder folder;
  return folder.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr int64_t kFileSize = 100000;
  if (Folder().empty()) return 0;
  const std::string file = Folder() + "/f.bin";
  std::ofstream(file, std::ios::binary) << "x";
  std::ofstream(file + ".cfg", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  std::vector<PartInfo> parts;
  if (LoadResumeInfo(file, "0123456789abcdef0123456789abcdef", kFileSize, &parts)) {
    for (const auto& p : parts)
      if (p.index < 0 || p.begin < 0 || p.begin > p.end || p.end >= kFileSize) abort();
  }
  return 0;
}
