#include "project/Launcher/services/system_info.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/system/machine_registry.h"
#include "project/Launcher/services/launcher_paths.h"
#include "base/util/string_util.h"

namespace {

// Registry strings are read into a 260-byte buffer with its terminator.
constexpr size_t kRegistryStringBuffer = 260;

const char16_t kCurrentVersionKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
const char16_t kProcessorKey[] = u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\";

bool ReadRegistry(const std::u16string& key, const std::string& name,
                  platform::RegistryValue* value) {
  platform::MachineRegistry& registry = platform::GetMachineRegistry();
  const std::string utf8_key = kbase::UTF16ToUTF8(key);
  return registry.CanOpenKey(utf8_key, false) && registry.ReadValue(utf8_key, name, value);
}

// strtol's reading: leading blanks and a sign, base 10, stops at the first
// non-digit; at least one digit and a value within int32.
bool ReadInt32(const std::string& text, int32_t& out) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return false;
  out = static_cast<int32_t>(value);
  return true;
}

}  // namespace

bool GetUtcDateTime(std::string& date, std::string& time) {
  return FormatUtcDateTime(std::time(nullptr), date, time);
}

bool FormatUtcDateTime(std::time_t moment, std::string& date, std::string& time) {
  struct tm parts = {};
  gmtime_r(&moment, &parts);
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%4d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday);
  date = buffer;
  std::snprintf(buffer, sizeof(buffer), "%02d:%02d:%02d", parts.tm_hour, parts.tm_min,
                parts.tm_sec);
  time = buffer;
  return true;
}

std::string ReadMachineRegistryString(const std::u16string& key, const std::string& valueName) {
  platform::RegistryValue value;
  if (!ReadRegistry(key, valueName, &value)) return std::string();
  std::string bytes;
  if (value.type == platform::RegistryValue::Type::kString) {
    bytes = value.text;
  } else {  // the raw little-endian bytes, as a byte buffer would hold them
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value.dword >> (8 * i)) & 0xff);
  }
  if (bytes.size() + 1 > kRegistryStringBuffer) return std::string();
  return bytes.substr(0, bytes.find('\0'));
}

std::string ReadMachineRegistryDword(const std::u16string& key, const std::string& valueName) {
  platform::RegistryValue value;
  if (!ReadRegistry(key, valueName, &value) || value.type != platform::RegistryValue::Type::kDword) {
    return "0";
  }
  return std::to_string(value.dword);
}

std::string GetWindowsVersion() {
  return ReadMachineRegistryDword(kCurrentVersionKey, "CurrentMajorVersionNumber") + "." +
         ReadMachineRegistryDword(kCurrentVersionKey, "CurrentMinorVersionNumber") + "." +
         ReadMachineRegistryString(kCurrentVersionKey, "CurrentBuild");
}

std::string GetCpuName() { return ReadMachineRegistryString(kProcessorKey, "ProcessorNameString"); }

int32_t SetMachineRegistryString(const std::u16string& key, const std::u16string& fallbackKey,
                                 const std::u16string& valueName, const std::u16string& value) {
  platform::MachineRegistry& registry = platform::GetMachineRegistry();
  const std::string primary = kbase::UTF16ToUTF8(key);
  const std::string fallback = kbase::UTF16ToUTF8(fallbackKey);
  const std::string name = kbase::UTF16ToUTF8(valueName);
  const std::string data = kbase::UTF16ToUTF8(value);

  std::string read_key;
  if (registry.CanOpenKey(primary, false)) read_key = primary;
  else if (!fallback.empty() && registry.CanOpenKey(fallback, false)) read_key = fallback;
  if (!read_key.empty()) {
    platform::RegistryValue current;
    if (registry.ReadValue(read_key, name, &current) &&
        current.type == platform::RegistryValue::Type::kString && current.text == data) {
      return 0;
    }
  }

  std::string write_key;
  if (registry.CanOpenKey(primary, true)) write_key = primary;
  else if (!fallback.empty() && registry.CanOpenKey(fallback, true)) write_key = fallback;
  if (write_key.empty()) return -1;
  return registry.WriteString(write_key, name, data) ? 1 : -1;
}

bool ParseVersionTriple(const std::string& version, int32_t& first, int32_t& second,
                        int32_t& third) {
  first = second = third = 0;
  std::vector<std::string> pieces;
  if (SplitAtSeparator(version, "_", pieces) != 3) return false;
  int32_t values[3];
  for (int i = 0; i < 3; ++i) {
    if (!ReadInt32(pieces[i], values[i])) return false;
  }
  first = values[0];
  second = values[2];
  third = values[1];
  return true;
}

int FormatDuration(int32_t seconds, char16_t* buffer, size_t bufferSize) {
  if (buffer == nullptr || bufferSize == 0) return -1;
  const int32_t s = seconds < 0 ? 0 : seconds;
  char text[32];
  const int length = std::snprintf(text, sizeof(text), "%02d:%02d:%02d", s / 3600, (s % 3600) / 60,
                                   s % 60);
  if (length < 0 || static_cast<size_t>(length) >= bufferSize) {
    buffer[0] = u'\0';
    return -1;
  }
  for (int i = 0; i <= length; ++i) buffer[i] = static_cast<char16_t>(text[i]);
  return length;
}
