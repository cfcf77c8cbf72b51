#pragma once
// The MD5 digest in lower-case hex as OpenSSL computes it: an independent
// reference for the launcher's own MD5 and for expected version maps.

#include <openssl/evp.h>

#include <string>

inline std::string OpenSslMd5(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}
