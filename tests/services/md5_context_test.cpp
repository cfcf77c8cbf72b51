#include "project/Launcher/services/md5_context.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "project/Launcher/services/file_md5.h"
#include "tests/support/temp_folder.h"

namespace {

std::string Md5Hex(const std::string& text, size_t piece) {
  Md5Context context;
  size_t offset = 0;
  do {
    size_t n = std::min(piece, text.size() - offset);
    context.Update(text.data() + offset, n);
    offset += n;
  } while (offset < text.size());
  context.finished = true;
  context.Final();
  return Md5DigestToHex(context.digest);
}

struct Vector {
  std::string input;
  std::string digest;
};

// The test suite of RFC 1321, appendix A.5.
const Vector kRfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5ContextTest, Rfc1321VectorsInAnySplit) {
  for (const Vector& v : kRfc1321) {
    for (size_t piece : {size_t{1}, size_t{63}, size_t{64}, size_t{65}, size_t{1024}}) {
      EXPECT_EQ(Md5Hex(v.input, piece), v.digest) << "input \"" << v.input << "\" in pieces of "
                                                  << piece;
    }
  }
}

TEST(Md5ContextTest, SplitsAcrossBlockBoundariesAgree) {
  // Lengths around the padding boundary (55, 56, 64) and several blocks.
  for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 3000u}) {
    std::string text(length, '\0');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>(i * 131 + 7);
    const std::string whole = Md5Hex(text, length == 0 ? 1 : length);
    for (size_t piece : {size_t{1}, size_t{63}, size_t{64}, size_t{65}, size_t{1024}}) {
      EXPECT_EQ(Md5Hex(text, piece), whole) << "length " << length << " piece " << piece;
    }
  }
}

TEST(Md5ContextTest, MillionAs) {
  EXPECT_EQ(Md5Hex(std::string(1000000, 'a'), 4096), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5ContextTest, AgreesWithMd5sumOnALargeFile) {
  TempFolder folder;
  const std::string path = folder.Join("large.bin");
  {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    uint32_t x = 12345;
    for (int mib = 0; mib < 48; ++mib) {
      for (char& c : chunk) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
      }
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    out.write("tail", 4);  // not a whole block
  }
  std::string command = "md5sum '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[256] = {};
  ASSERT_NE(fgets(line, sizeof(line), pipe), nullptr);
  ASSERT_EQ(pclose(pipe), 0);
  const std::string expected(line, 32);

  std::string md5;
  int64_t size = -1;
  EXPECT_TRUE(CheckFileMd5(path, expected, md5, size));
  EXPECT_EQ(md5, expected);
  EXPECT_EQ(size, 48 * (1 << 20) + 4);
}

}  // namespace
