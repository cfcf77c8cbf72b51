#include "platform/tray/sound_player.h"

#include <sys/stat.h>

#include "platform/process/process.h"

namespace platform {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A relative path that starts with "-" would read as an option.
std::string AsArgument(const std::string& path) {
  return path[0] == '-' ? "./" + path : path;
}

}  // namespace

SoundPlayer::PlayerList SoundPlayer::DefaultPlayers() {
  return {{"paplay"}, {"aplay", "-q"}};
}

bool SoundPlayer::Play(const std::string& path) {
  if (!IsRegularFile(path)) return false;
  SpawnOptions options;
  options.searchPath = true;
  options.detach = true;
  for (const std::vector<std::string>& player : players_) {
    if (player.empty()) continue;
    std::vector<std::string> argv = player;
    argv.push_back(AsArgument(path));
    if (SpawnProcess(argv, options, nullptr, nullptr)) return true;
  }
  return false;
}

}  // namespace platform
