// The machine-wide registry values the launcher reads and writes, answered
// from their Linux counterparts:
//   SOFTWARE\Microsoft\Cryptography            MachineGuid      /etc/machine-id
//   SOFTWARE\Microsoft\Windows NT\CurrentVersion ProductName     /etc/os-release
//                                  CurrentMajorVersionNumber,
//                                  CurrentMinorVersionNumber,
//                                  CurrentBuild                    uname's release
//   HARDWARE\DESCRIPTION\System\CentralProcessor\0 ProcessorNameString /proc/cpuinfo
//   SOFTWARE[\WOW6432Node]\Microsoft\Windows\CurrentVersion\Run
//                                  <name>   $XDG_CONFIG_HOME/autostart/<name>.desktop
// Values written under any other key the launcher writes (the fonts key) are
// kept in $XDG_CONFIG_HOME/VDLLauncher/registry, one "key<TAB>name<TAB>value"
// line each. Keys are compared without case and without a trailing "\".
// The whole registry is replaceable so tests can give their own.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct RegistryValue {
  enum class Type { kString, kDword };
  Type type = Type::kString;
  std::string text;    // kString: UTF-8 text
  uint32_t dword = 0;  // kDword
};

class MachineRegistry {
 public:
  virtual ~MachineRegistry() = default;
  // Whether the key can be opened for reading, or for setting values.
  virtual bool CanOpenKey(const std::string& key, bool forWriting) = 0;
  virtual bool ReadValue(const std::string& key, const std::string& name, RegistryValue* out) = 0;
  virtual bool WriteString(const std::string& key, const std::string& name,
                           const std::string& value) = 0;
  // Removes the value; false when the key holds no such value or cannot be
  // written.
  virtual bool DeleteValue(const std::string& key, const std::string& name) {
    (void)key;
    (void)name;
    return false;
  }
};

// The process's registry: the Linux stand-in unless a test put its own in
// place.
MachineRegistry& GetMachineRegistry();
// Not owned; null restores the Linux stand-in.
void SetMachineRegistryForTesting(MachineRegistry* registry);

// "SOFTWARE/Foo\\" -> "software\\foo": the form keys are compared in.
std::string CanonicalRegistryKey(const std::string& key);

// $XDG_CONFIG_HOME, else $HOME/.config, else the account's home + "/.config".
std::string UserConfigFolder();

}  // namespace platform
