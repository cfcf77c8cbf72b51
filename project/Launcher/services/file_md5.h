// The MD5 digest of a whole file, as the version maps and the resume records
// write it: 32 lower-case hexadecimal digits.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

// Reads the stream to its end, hashing every byte; `md5` gets the 32
// lower-case hexadecimal digits and `size` the byte count. Closes the stream.
// False, with empty `md5`, when a read fails: a digest of part of a file is
// never reported.
bool FileMd5(std::ifstream& file, std::string& md5, int64_t& size);

// Hashes the file at `path`; true when its digest equals `expected` exactly
// (case-sensitive; an empty expectation never matches). The outputs are
// cleared first and stay so when the file cannot be read.
bool CheckFileMd5(const std::string& path, const std::string& expected, std::string& md5,
                  int64_t& size);
