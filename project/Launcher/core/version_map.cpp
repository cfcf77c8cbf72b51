#include "project/Launcher/core/version_map.h"

#include <limits>

#include "project/Launcher/core/launcher_settings.h"
#include "project/Launcher/core/bounded_file.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/json_helpers.h"
#include "project/Launcher/services/relative_name.h"

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A well-formed digest, lower-cased; false when it is not 32 hex digits.
bool NormalizeMd5(const Json::Value& value, std::string* md5) {
  if (!value.isString()) return false;
  std::string text = value.asString();
  if (text.size() != 32) return false;
  for (char& c : text) {
    if (!IsHexDigit(c)) return false;
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  *md5 = text;
  return true;
}

bool ReadFileEntry(const Json::Value& value, VersionEntry* entry) {
  if (!value.isObject()) return false;
  if (!NormalizeMd5(value["md5"], &entry->md5)) return false;
  const Json::Value& size = value["size"];
  if (size.isNull()) {
    entry->size = 0;
  } else if (IsJsonNonNegativeInt64(size)) {
    entry->size = size.asInt64();
  } else {
    return false;
  }
  return entry->size > 0 || entry->md5 == kEmptyFileMd5;
}

// The version member: a string, or an object whose "md5" is a string.
bool ReadVersionMember(const Json::Value& value, std::string* version) {
  if (value.isString()) {
    *version = value.asString();
    return true;
  }
  if (value.isObject() && value["md5"].isString()) {
    *version = value["md5"].asString();
    return true;
  }
  return false;
}

bool AddFile(const std::string& name, const Json::Value& value, VersionMap* map) {
  if (!IsSafeRelativeName(name)) return false;
  VersionEntry entry;
  if (!ReadFileEntry(value, &entry)) return false;
  return map->emplace(NormalizeMapPath(name), entry).second;
}

bool ParseDecimalPart(std::string_view part, int32_t* number) {
  if (part.empty()) return false;
  int64_t value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int32_t>::max()) return false;
  }
  *number = static_cast<int32_t>(value);
  return true;
}

std::vector<std::string> SplitAtUnderscore(std::string_view text) {
  std::vector<std::string> pieces;
  SplitAtSeparator(std::string(text), "_", pieces);
  return pieces;
}

// The leading decimal number of |text| (optional sign), saturated to 64 bits;
// 0 when it does not begin with one.
int64_t LeadingNumber(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (std::numeric_limits<int64_t>::max() - 9) / 10) break;
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

}  // namespace

std::string NormalizeMapPath(std::string_view path) {
  std::string normalized(path);
  for (char& c : normalized) {
    if (c == '\\') c = '/';
  }
  return normalized;
}

bool VersionMapFromJson(const Json::Value& root, VersionMap* map) {
  map->clear();
  if (!root.isObject()) return false;
  VersionMap result;
  constexpr std::string_view kList = "list";
  const Json::Value* list = root.find(kList.data(), kList.data() + kList.size());
  bool listForm = list != nullptr && !list->isNull();
  const Json::Value& files = listForm ? *list : root;
  if (!files.isObject()) return false;

  bool ok = true;
  std::string version;
  bool hasVersion = false;
  for (auto it = files.begin(); ok && it != files.end(); ++it) {
    std::string name = it.name();
    if (name == kVersionKey) {
      // In the list form a file cannot take the version's key; in the other
      // form this member is the version.
      ok = !listForm && ReadVersionMember(*it, &version);
      hasVersion = ok;
      continue;
    }
    if (!listForm && name == "list") continue;  // "list": null
    ok = AddFile(name, *it, &result);
  }
  if (!ok) return false;
  if (listForm) {
    constexpr std::string_view kVersion = kVersionKey;
    const Json::Value* member = root.find(kVersion.data(), kVersion.data() + kVersion.size());
    hasVersion = member != nullptr && ReadVersionMember(*member, &version);
  }
  if (hasVersion) result[kVersionKey] = VersionEntry{version, 0};
  *map = std::move(result);
  return true;
}

bool ParseVersionMap(const std::string& text, VersionMap* map, std::string* error) {
  Json::Value root;
  std::string parseError;
  if (!ParseJson(text, root, parseError)) {
    if (error != nullptr) *error = parseError.empty() ? "empty text" : parseError;
    return false;
  }
  VersionMap parsed;
  if (!VersionMapFromJson(root, &parsed)) {
    if (error != nullptr) *error = "malformed version map";
    return false;
  }
  *map = std::move(parsed);
  return true;
}

bool LoadVersionMapFile(const std::string& path, VersionMap* map, std::string* error) {
  map->clear();
  std::string text;
  if (!ReadBoundedFile(path, kMaxMapFileBytes, &text)) return false;
  return ParseVersionMap(text, map, error);
}

bool IsValidJson(const char* text, size_t length, std::string* error) {
  if (text == nullptr || length == 0) return false;
  Json::Value root;
  std::string parseError;
  bool ok = ParseJson(std::string(text, length), root, parseError);
  if (error != nullptr) *error = parseError;
  return ok;
}

std::string GetVersionMapVersion(const VersionMap& map) {
  auto it = map.find(kVersionKey);
  return it == map.end() ? std::string() : it->second.md5;
}

void DiffVersionMaps(VersionMap* local, const VersionMap& remote, VersionMap* changed,
                     std::vector<std::string>* removed) {
  changed->clear();
  if (local->empty()) {
    *changed = remote;
  } else {
    for (const auto& [name, entry] : remote) {
      auto it = local->find(name);
      if (it == local->end()) {
        (*changed)[name] = entry;
        continue;
      }
      if (it->second.md5 != entry.md5) (*changed)[name] = entry;
      local->erase(it);
    }
    for (const auto& [name, entry] : *local) {
      // The version is not a file: it is never removed from the tree.
      if (name != kVersionKey) removed->push_back(name);
    }
  }
  changed->erase(kVersionKey);
}

void ReadVersionFromFile(const std::string& path, std::string* version,
                         const std::string& defaultVersion) {
  *version = defaultVersion;
  std::string text;
  Json::Value root;
  std::string error;
  if (!ReadBoundedFile(path, kMaxMapFileBytes, &text) || !ParseJson(text, root, error)) return;
  Json::Value member;
  if (!FindJsonKey(root, kVersionKey, member)) return;
  if (member.isString()) {
    *version = member.asString();
  } else if (member.isObject()) {
    // An object names its version in "md5"; without one the version is empty.
    const Json::Value& md5 = member["md5"];
    *version = md5.isString() ? md5.asString() : std::string();
  }
}

std::string FormatDisplayVersion(const std::string& version) {
  std::vector<std::string> parts = SplitAtUnderscore(version);
  if (parts.size() != 3) return version;
  int64_t n = LeadingNumber(parts[0]);
  std::string text;
  // Appended piece by piece: g++ 12 at -O3 warns falsely about
  // "." + std::to_string(...).
  if (n > 1000000) {
    text.append(std::to_string(n / 1000000)).append(1, '.');
    n %= 1000000;
  }
  if (n <= 10000) {
    text.append("0.");
  } else {
    text.append(std::to_string(n / 10000)).append(1, '.');
    n %= 10000;
  }
  if (n < 100) {
    text.append(1, '0');
  } else {
    text.append(std::to_string(n / 100));
    n %= 100;
  }
  text.append(1, '.').append(std::to_string(n));
  text.append(1, '.').append(parts[2]);
  text.append(1, '.').append(parts[1]);
  return text;
}

bool ParseStrictVersionTriple(std::string_view version, VersionTriple* rank) {
  std::vector<std::string> parts = SplitAtUnderscore(version);
  if (parts.size() != 3 || version.back() == '_') return false;
  VersionTriple parsed;
  if (!ParseDecimalPart(parts[0], &parsed.first) || !ParseDecimalPart(parts[2], &parsed.third) ||
      !ParseDecimalPart(parts[1], &parsed.second)) {
    return false;
  }
  *rank = parsed;
  return true;
}

bool IsStrictVersionTriple(std::string_view version) {
  VersionTriple ignored;
  return ParseStrictVersionTriple(version, &ignored);
}

int ComparePreDownloadVersion(const std::string& preDownload, const std::string& local,
                              const std::string& remote) {
  if (preDownload.empty()) return 0;
  if (local.empty()) return -1;
  VersionTriple p, l, r;
  if (!ParseStrictVersionTriple(preDownload, &p)) return -2;
  if (!ParseStrictVersionTriple(local, &l)) return -3;
  if (!remote.empty()) {
    if (!ParseStrictVersionTriple(remote, &r)) return -4;
    if (r != l) {
      if (p < r) return -7;
      if (p > r) return -5;
    }
  }
  if (p <= l) return -6;
  return 1;
}
