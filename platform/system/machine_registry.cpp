#include "platform/system/machine_registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/files/file_operations.h"
#include "platform/files/folder_operations.h"
#include "platform/system/system_source.h"

namespace platform {
namespace {

const char kCryptographyKey[] = "software\\microsoft\\cryptography";
const char kCurrentVersionKey[] = "software\\microsoft\\windows nt\\currentversion";
const char kProcessorKey[] = "hardware\\description\\system\\centralprocessor\\0";
const char kRunKey[] = "software\\microsoft\\windows\\currentversion\\run";
const char kRunKeyWow64[] = "software\\wow6432node\\microsoft\\windows\\currentversion\\run";
const char kFontsKey[] = "software\\microsoft\\windows nt\\currentversion\\fonts";

// Bounds what a damaged store file can make us read.
constexpr size_t kMaxStoreBytes = 1 << 20;

bool IsRunKey(const std::string& key) { return key == kRunKey || key == kRunKeyWow64; }

bool IsStoredKey(const std::string& key) { return key == kFontsKey; }

// The kernel release "6.1.0-13-amd64" as major 6, minor 1 and build
// "0-13-amd64", so that major.minor.build gives the release back.
void SplitKernelRelease(const std::string& release, uint32_t* major, uint32_t* minor,
                        std::string* build) {
  *major = 0;
  *minor = 0;
  build->clear();
  size_t pos = 0;
  auto number = [&](uint32_t* out) {
    uint64_t value = 0;
    size_t start = pos;
    while (pos < release.size() && std::isdigit(static_cast<unsigned char>(release[pos])) &&
           pos - start < 9) {
      value = value * 10 + static_cast<uint64_t>(release[pos] - '0');
      ++pos;
    }
    *out = static_cast<uint32_t>(value);
    if (pos < release.size() && release[pos] == '.') ++pos;
  };
  number(major);
  number(minor);
  *build = release.substr(pos);
}

// A value name becomes a file name only when it cannot leave the folder.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos && name.find('\0') == std::string::npos;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

class LinuxMachineRegistry : public MachineRegistry {
 public:
  bool CanOpenKey(const std::string& raw_key, bool forWriting) override {
    const std::string key = CanonicalRegistryKey(raw_key);
    if (IsRunKey(key) || IsStoredKey(key)) return true;
    if (forWriting) return false;
    return key == kCryptographyKey || key == kCurrentVersionKey || key == kProcessorKey;
  }

  bool ReadValue(const std::string& raw_key, const std::string& name,
                 RegistryValue* out) override {
    const std::string key = CanonicalRegistryKey(raw_key);
    if (key == kCryptographyKey && name == "MachineGuid") return Text(MachineId(), out);
    if (key == kProcessorKey && name == "ProcessorNameString") return Text(CpuModelName(), out);
    if (key == kCurrentVersionKey) {
      if (name == "ProductName") return Text(OsProductName(), out);
      uint32_t major, minor;
      std::string build;
      const std::string release = GetSystemSource().KernelRelease();
      if (release.empty()) return false;
      SplitKernelRelease(release, &major, &minor, &build);
      if (name == "CurrentMajorVersionNumber") return Dword(major, out);
      if (name == "CurrentMinorVersionNumber") return Dword(minor, out);
      if (name == "CurrentBuild") return Text(build, out);
      return false;
    }
    if (IsRunKey(key)) return ReadAutostart(name, out);
    if (IsStoredKey(key)) return ReadStored(key, name, out);
    return false;
  }

  bool WriteString(const std::string& raw_key, const std::string& name,
                   const std::string& value) override {
    const std::string key = CanonicalRegistryKey(raw_key);
    if (IsRunKey(key)) return WriteAutostart(name, value);
    if (IsStoredKey(key)) return WriteStored(key, name, value);
    return false;
  }

  bool DeleteValue(const std::string& raw_key, const std::string& name) override {
    const std::string key = CanonicalRegistryKey(raw_key);
    if (!IsStoredKey(key)) return false;
    std::vector<Entry> entries = LoadStore();
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const Entry& e) { return e.key == key && e.name == name; });
    if (it == entries.end()) return false;
    entries.erase(it);
    return SaveStore(entries);
  }

 private:
  static bool Text(const std::string& text, RegistryValue* out) {
    if (text.empty()) return false;
    out->type = RegistryValue::Type::kString;
    out->text = text;
    return true;
  }

  static bool Dword(uint32_t value, RegistryValue* out) {
    out->type = RegistryValue::Type::kDword;
    out->dword = value;
    return true;
  }

  static std::string AutostartPath(const std::string& name) {
    return UserConfigFolder() + "/autostart/" + name + ".desktop";
  }

  // The program's path is kept verbatim in X-VDLLauncher-Path so that it
  // reads back exactly; Exec carries it quoted as desktop entries want.
  static bool ReadAutostart(const std::string& name, RegistryValue* out) {
    if (!IsPlainFileName(name)) return false;
    std::string text;
    if (!ReadFileToString(AutostartPath(name), text, kMaxStoreBytes)) return false;
    std::istringstream lines(text);
    std::string line;
    const std::string prefix = "X-VDLLauncher-Path=";
    while (std::getline(lines, line)) {
      if (line.compare(0, prefix.size(), prefix) == 0) {
        out->type = RegistryValue::Type::kString;
        out->text = Unescape(line.substr(prefix.size()));
        return true;
      }
    }
    return false;
  }

  static bool WriteAutostart(const std::string& name, const std::string& value) {
    if (!IsPlainFileName(name)) return false;
    const std::string folder = UserConfigFolder() + "/autostart";
    if (!CreateFolders(folder)) return false;
    std::string quoted = "\"";
    for (char c : value) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
      quoted += c;
    }
    quoted += '"';
    std::string exec;  // the desktop-entry string escape on top of the quoting
    for (char c : quoted) {
      if (c == '\\') exec += "\\\\";
      else exec += c;
    }
    std::string file = "[Desktop Entry]\nType=Application\nName=" + Escape(name) +
                       "\nExec=" + exec + "\nX-VDLLauncher-Path=" + Escape(value) +
                       "\nX-GNOME-Autostart-enabled=true\n";
    return WriteFileAtomically(AutostartPath(name), file);
  }

  static std::string StorePath() { return UserConfigFolder() + "/VDLLauncher/registry"; }

  struct Entry {
    std::string key, name, value;
  };

  static std::vector<Entry> LoadStore() {
    std::vector<Entry> entries;
    std::string text;
    if (!ReadFileToString(StorePath(), text, kMaxStoreBytes)) return entries;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      size_t a = line.find('\t');
      size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
      if (b == std::string::npos) continue;
      entries.push_back({Unescape(line.substr(0, a)), Unescape(line.substr(a + 1, b - a - 1)),
                         Unescape(line.substr(b + 1))});
    }
    return entries;
  }

  static bool ReadStored(const std::string& key, const std::string& name, RegistryValue* out) {
    for (const Entry& e : LoadStore()) {
      if (e.key == key && e.name == name) {
        out->type = RegistryValue::Type::kString;
        out->text = e.value;
        return true;
      }
    }
    return false;
  }

  static bool WriteStored(const std::string& key, const std::string& name,
                          const std::string& value) {
    std::vector<Entry> entries = LoadStore();
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const Entry& e) { return e.key == key && e.name == name; });
    if (it != entries.end()) it->value = value;
    else entries.push_back({key, name, value});
    return SaveStore(entries);
  }

  static bool SaveStore(const std::vector<Entry>& entries) {
    std::string text;
    for (const Entry& e : entries) {
      text += Escape(e.key) + "\t" + Escape(e.name) + "\t" + Escape(e.value) + "\n";
    }
    if (!CreateFolders(UserConfigFolder() + "/VDLLauncher")) return false;
    return WriteFileAtomically(StorePath(), text);
  }
};

LinuxMachineRegistry g_linux_registry;
std::atomic<MachineRegistry*> g_test_registry{nullptr};

}  // namespace

MachineRegistry& GetMachineRegistry() {
  MachineRegistry* registry = g_test_registry.load(std::memory_order_acquire);
  return registry != nullptr ? *registry : g_linux_registry;
}

void SetMachineRegistryForTesting(MachineRegistry* registry) {
  g_test_registry.store(registry, std::memory_order_release);
}

std::string CanonicalRegistryKey(const std::string& key) {
  std::string out;
  out.reserve(key.size());
  for (char c : key) {
    char d = c == '/' ? '\\' : c;
    if (d == '\\' && !out.empty() && out.back() == '\\') continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(d)));
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config";
  struct passwd* pw = getpwuid(getuid());
  if (pw != nullptr && pw->pw_dir != nullptr) return std::string(pw->pw_dir) + "/.config";
  return "/tmp/.config";
}

}  // namespace platform
