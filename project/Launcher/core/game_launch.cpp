#include "project/Launcher/core/game_launch.h"

#include <charconv>

#include "platform/instance/instance_lock.h"

namespace {

bool IsDecimal(const std::string& text, uint64_t* value) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool GameLaunchTakesPlatformArguments(const std::string& localGameVersion) {
  if (localGameVersion.empty()) return true;
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t at = localGameVersion.find('_', start);
    parts.push_back(localGameVersion.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  if (parts.size() != 3) return false;
  uint64_t numbers[3];
  for (int i = 0; i < 3; ++i) {
    if (!IsDecimal(parts[static_cast<size_t>(i)], &numbers[i])) return false;
  }
  return numbers[0] > 10076;
}

std::vector<std::string> GameLaunchArguments(const std::string& gameFolder,
                                             const std::string& launchParameter,
                                             const std::string& platform,
                                             const std::string& localGameVersion, int32_t slot) {
  std::vector<std::string> argv;
  argv.push_back(gameFolder + kGameExecutableName);
  argv.push_back(launchParameter.empty() ? "empty" : launchParameter);
  if (GameLaunchTakesPlatformArguments(localGameVersion)) {
    argv.push_back(platform);
    argv.push_back(std::to_string(slot) + "|1");
  }
  return argv;
}

bool IsGameRunning() { return platform::InstanceLock::IsHeld(kGameInstanceName); }

int32_t CollectFreeGameSlots(std::vector<int32_t>* freeSlots) {
  const int32_t before = static_cast<int32_t>(freeSlots->size());
  if (!IsGameRunning()) freeSlots->push_back(0);
  return 1 - (static_cast<int32_t>(freeSlots->size()) - before);
}
