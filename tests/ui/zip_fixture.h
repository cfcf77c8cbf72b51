// Builds zip archives at test time with minizip's writer, and damages them
// on purpose (wrong CRC, lying sizes) by patching their headers.
#ifndef TESTS_UI_ZIP_FIXTURE_H_
#define TESTS_UI_ZIP_FIXTURE_H_

#include <stdlib.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui::testing {

struct ZipMemberSpec {
  std::string name;
  std::string data;
  int method = Z_DEFLATED;  // or 0 for stored
  tm_zip time = {30, 20, 10, 17, 4, 2020};  // 2020-05-17 10:20:30
  std::string local_extra;
  unsigned long external_attributes = 0;
  unsigned long version_made_by = 0;  // host in the upper byte; 0 is DOS
  const char* password = nullptr;
};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ui_zip_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    path_ = pattern;
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

  std::filesystem::path Write(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of an archive holding the members in order.
inline std::string BuildZip(const std::vector<ZipMemberSpec>& members) {
  TempDir dir;
  const std::string path = (dir.path() / "built.zip").string();
  zipFile zip = zipOpen64(path.c_str(), 0);
  if (zip == nullptr) throw std::runtime_error("zipOpen64");
  for (const ZipMemberSpec& m : members) {
    zip_fileinfo info{};
    info.tmz_date = m.time;
    info.external_fa = m.external_attributes;
    const unsigned long crc =
        crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size()));
    const int opened = zipOpenNewFileInZip4_64(
        zip, m.name.c_str(), &info, m.local_extra.empty() ? nullptr : m.local_extra.data(),
        static_cast<uInt>(m.local_extra.size()), nullptr, 0, nullptr, m.method,
        m.method == 0 ? 0 : Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
        m.password, crc, m.version_made_by, 0, 0);
    if (opened != ZIP_OK) throw std::runtime_error("zipOpenNewFileInZip4_64");
    if (!m.data.empty() &&
        zipWriteInFileInZip(zip, m.data.data(), static_cast<unsigned>(m.data.size())) != ZIP_OK) {
      throw std::runtime_error("zipWriteInFileInZip");
    }
    zipCloseFileInZip(zip);
  }
  zipClose(zip, nullptr);
  return ReadFile(path);
}

inline uint32_t Le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}
inline uint16_t Le16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
}
inline void PutLe32(std::string* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Offsets of a member's central and local headers.
struct MemberHeaders {
  size_t central = 0;
  size_t local = 0;
  size_t data = 0;  // first byte of the member's data
};

inline MemberHeaders FindHeaders(const std::string& zip, const std::string& name) {
  const std::string signature("PK\x01\x02", 4);
  for (size_t at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 1)) {
    const uint16_t name_length = Le16(zip, at + 28);
    if (zip.compare(at + 46, name_length, name) != 0 || name_length != name.size()) continue;
    MemberHeaders h;
    h.central = at;
    h.local = Le32(zip, at + 42);
    h.data = h.local + 30 + Le16(zip, h.local + 26) + Le16(zip, h.local + 28);
    return h;
  }
  throw std::runtime_error("member not found: " + name);
}

// Declares another uncompressed size in both headers, which stay coherent.
inline void SetDeclaredSize(std::string* zip, const std::string& name, uint32_t size) {
  const MemberHeaders h = FindHeaders(*zip, name);
  PutLe32(zip, h.central + 24, size);
  PutLe32(zip, h.local + 22, size);
}

// Declares another compressed and uncompressed size (stored members).
inline void SetStoredSizes(std::string* zip, const std::string& name, uint32_t size) {
  const MemberHeaders h = FindHeaders(*zip, name);
  for (size_t field : {h.central + 20, h.central + 24}) PutLe32(zip, field, size);
  for (size_t field : {h.local + 18, h.local + 22}) PutLe32(zip, field, size);
}

inline void FlipDataByte(std::string* zip, const std::string& name, size_t offset = 0) {
  const MemberHeaders h = FindHeaders(*zip, name);
  (*zip)[h.data + offset] = static_cast<char>((*zip)[h.data + offset] ^ 0x5A);
}

}  // namespace ui::testing

#endif  // TESTS_UI_ZIP_FIXTURE_H_
