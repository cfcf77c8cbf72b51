// The usage records' view of the real machine: the registry stand-ins, the
// device identifier, the clock, the locale and the drive of the game folder.
// What only the UI and the game protocol know (the UI language, whether the
// game runs) is asked through functions set at start-up.
#pragma once

#include <functional>

#include "project/Launcher/services/usage_events.h"

class SystemUsageEventEnvironment : public UsageEventEnvironment {
 public:
  std::string MachineGuid() override;
  std::string DeviceId() override;
  void UtcDateTime(std::string* date, std::string* time) override;
  int64_t UnixTimeSeconds() override;
  std::string CpuName() override;
  std::string OsVersion() override;
  std::string ProductName() override;
  std::optional<std::string> Country() override;
  std::u16string ModuleDirectory() override;
  std::u16string UiLanguage() override;
  bool IsGameRunning() override;
  std::optional<uint64_t> AvailableBytes(const std::u16string& path) override;

  // Empty functions answer an empty language and "not running".
  std::function<std::u16string()> uiLanguage;
  std::function<bool()> gameRunning;
};
