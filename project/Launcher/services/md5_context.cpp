#include "project/Launcher/services/md5_context.h"

#include <cstring>

namespace {

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLittleEndian(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  return v;
}

inline void StoreLittleEndian(uint8_t* p, uint32_t v) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  std::memcpy(p, &v, 4);
}

// The four auxiliary functions of RFC 1321. G and I are written in forms
// that need fewer dependent operations than the RFC's literal ones.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) + (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

#define MD5_STEP(f, a, b, c, d, x, s, t) \
  a += f(b, c, d) + (x) + (t);           \
  a = RotateLeft(a, s) + b;

}  // namespace

void Md5Context::Init() {
  state[0] = 0x67452301u;
  state[1] = 0xefcdab89u;
  state[2] = 0x98badcfeu;
  state[3] = 0x10325476u;
  bitCount[0] = 0;
  bitCount[1] = 0;
  std::memset(block, 0, sizeof(block));
  std::memset(digest, 0, sizeof(digest));
  finished = false;
}

void Md5Context::Update(const void* data, uint64_t length) {
  finished = false;
  const uint8_t* input = static_cast<const uint8_t*>(data);
  uint32_t index = (bitCount[0] >> 3) & 0x3f;

  // The bit count is the length in bits modulo 2^64.
  uint64_t bits = (static_cast<uint64_t>(bitCount[1]) << 32) | bitCount[0];
  bits += length << 3;
  bitCount[0] = static_cast<uint32_t>(bits);
  bitCount[1] = static_cast<uint32_t>(bits >> 32);

  if (index + length < 64) {
    if (length > 0) std::memcpy(block + index, input, static_cast<size_t>(length));
    return;
  }
  uint64_t done = 0;
  if (index > 0) {
    done = 64 - index;
    std::memcpy(block + index, input, static_cast<size_t>(done));
    Transform(block);
  }
  uint64_t whole = (length - done) / 64;
  TransformBlocks(input + done, whole);
  done += whole * 64;
  if (length > done) std::memcpy(block, input + done, static_cast<size_t>(length - done));
}

void Md5Context::Final() {
  uint8_t count[8];
  StoreLittleEndian(count, bitCount[0]);
  StoreLittleEndian(count + 4, bitCount[1]);

  static const uint8_t kPadding[64] = {0x80};
  uint32_t index = (bitCount[0] >> 3) & 0x3f;
  uint32_t padding = index < 56 ? 56 - index : 120 - index;
  Update(kPadding, padding);
  Update(count, 8);

  for (int i = 0; i < 4; ++i) StoreLittleEndian(digest + 4 * i, state[i]);
  finished = true;
}

void Md5Context::Transform(const uint8_t* block64) { TransformBlocks(block64, 1); }

void Md5Context::TransformBlocks(const uint8_t* data, uint64_t count) {
  uint32_t a0 = state[0], b0 = state[1], c0 = state[2], d0 = state[3];
  for (; count > 0; --count, data += 64) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(data + 4 * i);
    uint32_t a = a0, b = b0, c = c0, d = d0;

    MD5_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478)
    MD5_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756)
    MD5_STEP(F, c, d, a, b, x[2], 17, 0x242070db)
    MD5_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee)
    MD5_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf)
    MD5_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a)
    MD5_STEP(F, c, d, a, b, x[6], 17, 0xa8304613)
    MD5_STEP(F, b, c, d, a, x[7], 22, 0xfd469501)
    MD5_STEP(F, a, b, c, d, x[8], 7, 0x698098d8)
    MD5_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af)
    MD5_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1)
    MD5_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be)
    MD5_STEP(F, a, b, c, d, x[12], 7, 0x6b901122)
    MD5_STEP(F, d, a, b, c, x[13], 12, 0xfd987193)
    MD5_STEP(F, c, d, a, b, x[14], 17, 0xa679438e)
    MD5_STEP(F, b, c, d, a, x[15], 22, 0x49b40821)

    MD5_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562)
    MD5_STEP(G, d, a, b, c, x[6], 9, 0xc040b340)
    MD5_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51)
    MD5_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa)
    MD5_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d)
    MD5_STEP(G, d, a, b, c, x[10], 9, 0x02441453)
    MD5_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681)
    MD5_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8)
    MD5_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6)
    MD5_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6)
    MD5_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87)
    MD5_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed)
    MD5_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905)
    MD5_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8)
    MD5_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9)
    MD5_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a)

    MD5_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942)
    MD5_STEP(H, d, a, b, c, x[8], 11, 0x8771f681)
    MD5_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122)
    MD5_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c)
    MD5_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44)
    MD5_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9)
    MD5_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60)
    MD5_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70)
    MD5_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6)
    MD5_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa)
    MD5_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085)
    MD5_STEP(H, b, c, d, a, x[6], 23, 0x04881d05)
    MD5_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039)
    MD5_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5)
    MD5_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8)
    MD5_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665)

    MD5_STEP(I, a, b, c, d, x[0], 6, 0xf4292244)
    MD5_STEP(I, d, a, b, c, x[7], 10, 0x432aff97)
    MD5_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7)
    MD5_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039)
    MD5_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3)
    MD5_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92)
    MD5_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d)
    MD5_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1)
    MD5_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f)
    MD5_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0)
    MD5_STEP(I, c, d, a, b, x[6], 15, 0xa3014314)
    MD5_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1)
    MD5_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82)
    MD5_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235)
    MD5_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb)
    MD5_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391)

    a0 += a;
    b0 += b;
    c0 += c;
    d0 += d;
  }
  state[0] = a0;
  state[1] = b0;
  state[2] = c0;
  state[3] = d0;
}

std::string Md5DigestToHex(const uint8_t digest[16]) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex(32, '0');
  for (int i = 0; i < 16; ++i) {
    hex[2 * i] = kDigits[digest[i] >> 4];
    hex[2 * i + 1] = kDigits[digest[i] & 0x0f];
  }
  return hex;
}
