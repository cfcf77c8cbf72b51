#include "platform/system/system_source.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace platform {
namespace {

// System files read here are small; anything larger is not what we expect.
constexpr std::streamsize kMaxSystemFileBytes = 1 << 20;

class LinuxSystemSource : public SystemSource {
 public:
  std::string ComputerName() override {
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0) return std::string();
    return name;
  }

  std::array<uint32_t, 4> CpuidLeaf0() override {
    std::array<uint32_t, 4> regs = {0, 0, 0, 0};
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    __cpuid_count(0, 0, a, b, c, d);
    regs = {a, b, c, d};
#endif
    return regs;
  }

  bool NetworkAdapters(std::vector<NetworkAdapter>* out) override {
    out->clear();
    struct ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    for (struct ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
      if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_PACKET) continue;
      if (it->ifa_flags & IFF_LOOPBACK) continue;
      const auto* ll = reinterpret_cast<const struct sockaddr_ll*>(it->ifa_addr);
      size_t length = ll->sll_halen;
      if (length > sizeof(ll->sll_addr)) length = sizeof(ll->sll_addr);
      NetworkAdapter adapter;
      adapter.name = it->ifa_name != nullptr ? it->ifa_name : "";
      adapter.address.assign(ll->sll_addr, ll->sll_addr + length);
      out->push_back(std::move(adapter));
    }
    freeifaddrs(list);
    return true;
  }

  std::string KernelRelease() override {
    struct utsname names;
    if (uname(&names) != 0) return std::string();
    return names.release;
  }

  bool ReadSystemFile(const std::string& path, std::string* out) override {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof(buffer)) || in.gcount() > 0) {
      text.append(buffer, static_cast<size_t>(in.gcount()));
      if (static_cast<std::streamsize>(text.size()) > kMaxSystemFileBytes) return false;
    }
    if (in.bad()) return false;
    *out = std::move(text);
    return true;
  }
};

LinuxSystemSource g_linux_source;
std::atomic<SystemSource*> g_test_source{nullptr};

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  size_t begin = text.find_first_not_of(blanks);
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(blanks);
  return text.substr(begin, end - begin + 1);
}

// os-release values may be quoted with " or '; backslash escapes the next
// character inside double quotes.
std::string Unquote(const std::string& value) {
  if (value.size() < 2 || (value[0] != '"' && value[0] != '\'') || value.back() != value[0]) {
    return value;
  }
  std::string result;
  for (size_t i = 1; i + 1 < value.size(); ++i) {
    if (value[0] == '"' && value[i] == '\\' && i + 2 < value.size()) ++i;
    result += value[i];
  }
  return result;
}

std::string OsReleaseValue(const std::string& text, const std::string& name) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (line.compare(0, name.size() + 1, name + "=") == 0) {
      return Unquote(line.substr(name.size() + 1));
    }
  }
  return std::string();
}

}  // namespace

SystemSource& GetSystemSource() {
  SystemSource* source = g_test_source.load(std::memory_order_acquire);
  return source != nullptr ? *source : g_linux_source;
}

void SetSystemSourceForTesting(SystemSource* source) {
  g_test_source.store(source, std::memory_order_release);
}

std::string MachineId() {
  std::string text;
  if (!GetSystemSource().ReadSystemFile("/etc/machine-id", &text)) return std::string();
  return Trim(text);
}

std::string OsProductName() {
  std::string text;
  if (!GetSystemSource().ReadSystemFile("/etc/os-release", &text)) return std::string();
  std::string pretty = OsReleaseValue(text, "PRETTY_NAME");
  return pretty.empty() ? OsReleaseValue(text, "NAME") : pretty;
}

std::string CpuModelName() {
  std::string text;
  if (!GetSystemSource().ReadSystemFile("/proc/cpuinfo", &text)) return std::string();
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    if (Trim(line.substr(0, colon)) == "model name") return Trim(line.substr(colon + 1));
  }
  return std::string();
}

}  // namespace platform
