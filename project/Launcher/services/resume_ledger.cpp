#include "project/Launcher/services/resume_ledger.h"

#include <algorithm>

void ResumeLedger::Add(const std::string& file, const PartInfo& part) {
  files_[file].push_back(part);
}

void ResumeLedger::Reset(const std::string& file, std::vector<PartInfo> parts) {
  files_[file] = std::move(parts);
}

int32_t ResumeLedger::Remove(const std::string& file, int32_t index) {
  auto it = files_.find(file);
  if (it == files_.end()) return 0;
  auto& list = it->second;
  auto part = std::find_if(list.begin(), list.end(),
                           [&](const PartInfo& p) { return p.index == index; });
  if (part != list.end()) list.erase(part);
  return static_cast<int32_t>(list.size());
}

bool ResumeLedger::Holds(const std::string& file, int32_t index) const {
  auto it = files_.find(file);
  return it != files_.end() &&
         std::any_of(it->second.begin(), it->second.end(),
                     [&](const PartInfo& p) { return p.index == index; });
}

bool ResumeLedger::Update(const std::string& file, const PartInfo& part) {
  auto it = files_.find(file);
  if (it == files_.end()) return false;
  for (auto& p : it->second) {
    if (p.index == part.index) {
      p = part;
      return true;
    }
  }
  return false;
}

void ResumeLedger::Save(const std::string& file, const std::string& md5) const {
  auto it = files_.find(file);
  if (it != files_.end()) SaveResumeInfo(file, md5, it->second);
}

int64_t ResumeLedger::WrittenPrefix(const std::string& file) const {
  int64_t prefix = INT64_MAX;
  auto it = files_.find(file);
  if (it != files_.end())
    for (const auto& p : it->second)
      if (p.begin <= p.end) prefix = std::min(prefix, p.begin);
  return prefix;
}

int64_t ResumeLedger::Missing(const std::string& file) const {
  int64_t missing = 0;
  auto it = files_.find(file);
  if (it != files_.end())
    for (const auto& p : it->second) missing += std::max<int64_t>(0, p.end - p.begin + 1);
  return missing;
}
