#include "project/Launcher/services/file_md5.h"

#include <memory>

#include "project/Launcher/services/md5_context.h"

namespace {

// Large blocks keep the hashing of game files fast; the digest does not
// depend on the block size.
constexpr size_t kMd5ReadBlock = 1 << 16;

}  // namespace

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
