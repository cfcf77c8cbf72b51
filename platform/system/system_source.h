// What the machine tells about itself: its name, the processor's
// identification, the network adapters' hardware addresses, the kernel
// release and a few system files. Everything goes through one replaceable
// source so tests can give their own values.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct NetworkAdapter {
  std::string name;
  std::vector<uint8_t> address;  // hardware address, AddressLength bytes
};

class SystemSource {
 public:
  virtual ~SystemSource() = default;
  // The host name; empty when it cannot be had.
  virtual std::string ComputerName() = 0;
  // EAX, EBX, ECX and EDX of CPUID leaf 0; zeros where there is no CPUID.
  virtual std::array<uint32_t, 4> CpuidLeaf0() = 0;
  // The machine's network adapters except loopback, in the system's order;
  // false when they cannot be listed.
  virtual bool NetworkAdapters(std::vector<NetworkAdapter>* out) = 0;
  // uname's release text ("6.1.0-13-amd64").
  virtual std::string KernelRelease() = 0;
  // A small system file ("/etc/machine-id", "/etc/os-release",
  // "/proc/cpuinfo") read whole; false when it cannot be read.
  virtual bool ReadSystemFile(const std::string& path, std::string* out) = 0;
};

// The process's source: the real machine unless a test put its own in place.
SystemSource& GetSystemSource();
// Puts `source` in place (not owned; it must outlive its use); null restores
// the real machine.
void SetSystemSourceForTesting(SystemSource* source);

// Values derived from the source.
std::string MachineId();      // /etc/machine-id without surrounding blanks
std::string OsProductName();  // PRETTY_NAME of /etc/os-release, else NAME
std::string CpuModelName();   // the first "model name" of /proc/cpuinfo

}  // namespace platform
