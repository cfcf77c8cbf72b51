// Plays a sound file without waiting for it: the first player program that
// starts ("paplay", else "aplay") gets the path as an argument of its own,
// detached, so the caller (the UI thread) never waits for the sound. Only a
// regular file is handed over: a device, a FIFO or a folder named by another
// process could block or misuse the player.
#pragma once

#include <string>
#include <vector>

namespace platform {

class SoundPlayer {
 public:
  // Each entry: the program (looked up in PATH when it holds no "/") and its
  // options; the path is appended.
  using PlayerList = std::vector<std::vector<std::string>>;
  static PlayerList DefaultPlayers();

  explicit SoundPlayer(PlayerList players = DefaultPlayers()) : players_(std::move(players)) {}

  // True when a player was started for the file; false, starting nothing,
  // for a path that is not a regular file or when no player starts.
  bool Play(const std::string& path);

 private:
  PlayerList players_;
};

}  // namespace platform
