// The resume record of a file in download: "<file>.cfg" beside it, a JSON
// object {"md5": ..., "infoList": [{"index", "begin", "end"}, ...]} holding the
// parts still to fetch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PartInfo {
  int32_t index = 0;
  int64_t begin = 0;  // next byte still to be written
  int64_t end = 0;    // last byte of the part, inclusive; finished when begin > end
};

std::string ResumeInfoPath(const std::string& localFile);

// Writes the record through a temporary file renamed over the old one, so a
// crash leaves either the old or the new record. False when nothing was written.
bool SaveResumeInfo(const std::string& localFile, const std::string& md5,
                     const std::vector<PartInfo>& parts);

// Reads the record of localFile for a file of `size` bytes with the given MD5.
// True with the unfinished parts when the record is valid. A record that
// cannot be read or parsed, has members of the wrong type, another MD5, or a
// part outside 0 <= begin <= end < size is unusable: the file and the record
// are deleted and the result is false (the file is fetched anew). A valid
// record whose parts are all finished deletes nothing and gives false: the
// caller checks the file's MD5.
bool LoadResumeInfo(const std::string& localFile, const std::string& md5, int64_t size,
                    std::vector<PartInfo>* parts);

// True when the record can be read and names this MD5. Deletes nothing.
bool HasResumeInfo(const std::string& localFile, const std::string& md5);

// Divides a file of `size` bytes (> 0) into parts of `partSize` bytes.
std::vector<PartInfo> DivideIntoParts(int64_t size, int64_t partSize);
