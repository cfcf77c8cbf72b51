// The MD5 message digest of RFC 1321, computed incrementally over any
// sequence of byte blocks. Every integrity check of the launcher compares
// these digests as 32 lower-case hexadecimal digits.
#pragma once

#include <cstdint>
#include <string>

struct Md5Context {
  uint32_t state[4];     // chaining values A, B, C, D
  uint32_t bitCount[2];  // message bits so far, low word first (mod 2^64)
  uint8_t block[64];     // bytes of the current, incomplete block
  uint8_t digest[16];    // result of Final
  bool finished;         // set before Final; Update clears it

  Md5Context() { Init(); }

  // Starts a new message: the RFC's initial chaining values, no bits yet.
  void Init();
  // Adds `length` bytes to the message.
  void Update(const void* data, uint64_t length);
  // Pads the message as RFC 1321 prescribes and stores the digest.
  void Final();
  // The RFC 1321 compression function over one 64-byte block.
  void Transform(const uint8_t* block64);

 private:
  // Compresses `count` whole blocks read straight from `data`.
  void TransformBlocks(const uint8_t* data, uint64_t count);
};

// The digest as 32 lower-case hexadecimal digits, high nibble first.
std::string Md5DigestToHex(const uint8_t digest[16]);
