#include "project/Launcher/services/system_usage_event_environment.h"

#include <chrono>

#include "base/util/module_util.h"
#include "platform/locale/user_locale.h"
#include "project/Launcher/services/device_id.h"
#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/system_info.h"

std::string SystemUsageEventEnvironment::MachineGuid() {
  return ReadMachineRegistryString(u"SOFTWARE\\Microsoft\\Cryptography\\", "MachineGuid");
}

std::string SystemUsageEventEnvironment::DeviceId() { return ::DeviceId(); }

void SystemUsageEventEnvironment::UtcDateTime(std::string* date, std::string* time) {
  GetUtcDateTime(*date, *time);
}

int64_t SystemUsageEventEnvironment::UnixTimeSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string SystemUsageEventEnvironment::CpuName() { return GetCpuName(); }

std::string SystemUsageEventEnvironment::OsVersion() { return GetWindowsVersion(); }

std::string SystemUsageEventEnvironment::ProductName() {
  return ReadMachineRegistryString(u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\",
                                   "ProductName");
}

std::optional<std::string> SystemUsageEventEnvironment::Country() {
  return platform::UserLocaleCountry();
}

std::u16string SystemUsageEventEnvironment::ModuleDirectory() {
  return kbase::GetModuleDirectory();
}

std::u16string SystemUsageEventEnvironment::UiLanguage() {
  return uiLanguage ? uiLanguage() : std::u16string();
}

bool SystemUsageEventEnvironment::IsGameRunning() { return gameRunning ? gameRunning() : false; }

std::optional<uint64_t> SystemUsageEventEnvironment::AvailableBytes(const std::u16string& path) {
  uint64_t total = 0;
  uint64_t available = 0;
  if (!GetDriveSpaceW(path, total, available)) return std::nullopt;
  return available;
}
