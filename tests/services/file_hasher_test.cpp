// The hasher of a file in download: bytes handed over from the receive
// buffer and bytes read back from the file make one digest, each byte once
// and in file order, whatever order the file's parts were written in.
#include "project/Launcher/services/file_hasher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tools/test_server/test_server.h"

namespace {

constexpr int64_t kKiB = 1024;
constexpr int64_t kMiB = 1024 * kKiB;

std::string Bytes(const testsrv::Content& content, int64_t offset, int64_t n) {
  std::string out(static_cast<size_t>(n), '\0');
  EXPECT_TRUE(content.Read(offset, out.data(), out.size()));
  return out;
}

// A file being downloaded: it starts sparse at its size, and each chunk is
// written where it belongs, as the parts' transfers do.
class FileInDownload {
 public:
  FileInDownload(const std::string& path, int64_t size) : path_(path) {
    std::ofstream(path, std::ios::binary).close();
    std::filesystem::resize_file(path, static_cast<uintmax_t>(size));
  }
  void Write(int64_t offset, const std::string& bytes) {
    std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(offset);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

 private:
  std::string path_;
};

std::string Digest(FileHasher& hasher) {
  hasher.Wait();
  std::string md5;
  EXPECT_TRUE(hasher.Finished(&md5));
  return md5;
}

TEST(FileHasherTest, FollowsTheFinalPrefixAndReportsUnreadableFiles) {
  TempFolder dir;
  const int64_t size = 3'000'001;
  auto content = testsrv::MakePatternContent(size, 51);
  const std::string path = dir.Join("h.bin");
  ASSERT_TRUE(testsrv::WriteContentToFile(*content, path));
  FileHasher hasher(path, size);
  std::string md5;
  hasher.Advance(1'000'000);
  hasher.Advance(500);  // never backwards
  EXPECT_FALSE(hasher.Finished(&md5));
  hasher.Advance(INT64_MAX);
  EXPECT_EQ(Digest(hasher), testsrv::ContentMd5(*content));
  EXPECT_EQ(hasher.read_back(), size);

  FileHasher missing(dir.Join("none.bin"), 10);
  missing.Advance(10);
  EXPECT_TRUE(Digest(missing).empty());
}

// Three parts written in the orders the transfers can take; only the bytes
// at the final prefix are handed over from memory, the rest is read back, and
// nothing but the out-of-order bytes is read.
TEST(FileHasherTest, PartsInAnyOrderGiveTheFilesDigest) {
  const int64_t part = 3 * kMiB + 123;
  const int64_t size = 3 * part - 7;
  const int64_t chunk = 256 * kKiB + 5;
  auto content = testsrv::MakePatternContent(size, 77);
  struct Case {
    const char* name;
    std::vector<int> partOrder;  // the order the parts are written in
  };
  const Case cases[] = {
      {"in order", {0, 1, 2}},
      {"last first", {2, 1, 0}},
      {"middle first", {1, 0, 2}},
      {"interleaved", {0, 2, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const std::string path = dir.Join("f.bin");
    FileInDownload file(path, size);
    FileHasher hasher(path, size);
    // The final prefix: the first byte of the lowest part not written yet.
    std::vector<int64_t> next = {0, part, 2 * part};
    auto prefix = [&] {
      for (int p = 0; p < 3; ++p)
        if (next[p] < std::min(size, (p + 1) * part)) return next[p];
      return size;
    };
    int64_t fed = 0;
    for (int p : c.partOrder) {
      const int64_t end = std::min(size, (p + 1) * part);
      while (next[p] < end) {
        const int64_t n = std::min(chunk, end - next[p]);
        const std::string bytes = Bytes(*content, next[p], n);
        const bool atPrefix = next[p] == prefix();
        file.Write(next[p], bytes);
        if (atPrefix) {
          hasher.Feed(next[p], bytes.data(), bytes.size());
          fed += n;
        }
        next[p] += n;
        hasher.Advance(prefix());
      }
    }
    hasher.Advance(INT64_MAX);
    EXPECT_EQ(Digest(hasher), testsrv::ContentMd5(*content));
    EXPECT_EQ(hasher.hashed(), size);
    EXPECT_EQ(hasher.read_back(), size - fed);
    if (c.partOrder.front() != 0) {
      EXPECT_GT(hasher.read_back(), 0);
    }
  }
}

// A part's transfer fails and the next attempt starts over from an earlier
// byte, or hands over bytes again: what the hasher has once taken is never
// taken again, so a retry cannot enter the digest twice or out of order.
TEST(FileHasherTest, BytesHandedOverAgainNeverEnterTwice) {
  TempFolder dir;
  const int64_t size = 2 * kMiB + 333;
  auto content = testsrv::MakePatternContent(size, 9);
  const std::string path = dir.Join("r.bin");
  FileInDownload file(path, size);
  FileHasher hasher(path, size);
  auto write = [&](int64_t offset, int64_t n) {
    const std::string bytes = Bytes(*content, offset, n);
    file.Write(offset, bytes);
    hasher.Feed(offset, bytes.data(), bytes.size());
  };
  write(0, 300 * kKiB);
  // A retried transfer repeats what the last one wrote, with a chunk that
  // straddles the end of what was handed over.
  write(100 * kKiB, 400 * kKiB);
  write(0, 500 * kKiB);
  // A stale chunk below the handed-over bytes (here garbage) is ignored: the
  // file holds the right bytes there, and so must the digest.
  const std::string garbage(64 * kKiB, 'x');
  hasher.Feed(10 * kKiB, garbage.data(), garbage.size());
  write(500 * kKiB, size - 500 * kKiB);
  EXPECT_EQ(Digest(hasher), testsrv::ContentMd5(*content));
  EXPECT_EQ(hasher.read_back(), 0);
}

// A byte that arrived damaged in a part written out of order is read back
// from the file and makes the digest differ; the digest is the damaged
// file's, not the expected one.
TEST(FileHasherTest, DamagedByteInAnOutOfOrderPartIsCaught) {
  TempFolder dir;
  const int64_t part = 2 * kMiB;
  const int64_t size = 2 * part;
  auto content = testsrv::MakePatternContent(size, 13);
  const std::string path = dir.Join("d.bin");
  FileInDownload file(path, size);
  FileHasher hasher(path, size);
  std::string second = Bytes(*content, part, part);
  second[777] = static_cast<char>(second[777] ^ 0x20);
  file.Write(part, second);  // the second part first: out of order
  const std::string first = Bytes(*content, 0, part);
  file.Write(0, first);
  hasher.Feed(0, first.data(), first.size());
  hasher.Advance(INT64_MAX);
  const std::string digest = Digest(hasher);
  EXPECT_NE(digest, testsrv::ContentMd5(*content));
  EXPECT_EQ(digest, testsrv::ContentMd5(*testsrv::MakeStringContent(first + second)));
  EXPECT_EQ(hasher.read_back(), part);
}

// A resumed file: what an earlier run wrote is read back from the disk, then
// the rest comes from memory as it arrives.
TEST(FileHasherTest, ResumedFileReadsBackOnlyWhatWasOnDisk) {
  TempFolder dir;
  const int64_t size = 5 * kMiB + 17;
  const int64_t onDisk = 3 * kMiB + 1;
  auto content = testsrv::MakePatternContent(size, 31);
  const std::string path = dir.Join("p.bin");
  FileInDownload file(path, size);
  file.Write(0, Bytes(*content, 0, onDisk));
  FileHasher hasher(path, size);
  hasher.StartAfterPresentBytes(onDisk);
  for (int64_t at = onDisk; at < size;) {
    const int64_t n = std::min<int64_t>(100 * kKiB, size - at);
    const std::string bytes = Bytes(*content, at, n);
    file.Write(at, bytes);
    hasher.Feed(at, bytes.data(), bytes.size());
    at += n;
    hasher.Advance(at);
  }
  EXPECT_EQ(Digest(hasher), testsrv::ContentMd5(*content));
  EXPECT_EQ(hasher.read_back(), onDisk);
}

}  // namespace
