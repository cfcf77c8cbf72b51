// The unfinished parts of every file in download, kept as the transfers
// write them, and written out as each file's resume record.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "project/Launcher/services/resume_info.h"

class ResumeLedger {
 public:
  void Add(const std::string& file, const PartInfo& part);
  // Replaces every part of |file|.
  void Reset(const std::string& file, std::vector<PartInfo> parts);
  // Drops the part; the number of parts of |file| left.
  int32_t Remove(const std::string& file, int32_t index);
  void Forget(const std::string& file) { files_.erase(file); }
  void Clear() { files_.clear(); }

  bool Holds(const std::string& file, int32_t index) const;
  // Takes the part's new next byte; false when |file| holds no such part.
  bool Update(const std::string& file, const PartInfo& part);
  // Writes the resume record of |file|; nothing when it has no parts.
  void Save(const std::string& file, const std::string& md5) const;
  // Bytes of |file| below this offset are all written: the first unwritten
  // byte of its unfinished parts (INT64_MAX when none is left).
  int64_t WrittenPrefix(const std::string& file) const;
  // Bytes of |file| still to be written.
  int64_t Missing(const std::string& file) const;

 private:
  std::map<std::string, std::vector<PartInfo>> files_;
};
