#pragma once
// The game's side of the launcher: its executable, the marker by which the
// launcher knows it runs, the names by which its windows are found, and the
// arguments it is started with.

#include <cstdint>
#include <string>
#include <vector>

inline constexpr char kGameExecutableName[] = "KVOR.exe";
// The game holds this instance lock while it runs (platform::InstanceLock).
inline constexpr char kGameInstanceName[] = "_Kvor_Instance_";
// A top-level window whose property of this name holds its own id is a game
// window.
inline constexpr char kGameWindowProperty[] = "_VDL_GAME_KOREA";
// The class of the game engine's windows: the fallback to find one.
inline constexpr char kUnityWindowClass[] = "UnityWndClass";
inline constexpr char kDefaultGamePlatform[] = "win";

// Whether the launch carries the platform and slot arguments: for an empty
// local version, or a version of exactly three decimal parts whose first is
// above 10076. Any other text (two parts, letters, huge numbers) gets none
// and never fails the launch.
bool GameLaunchTakesPlatformArguments(const std::string& localGameVersion);

// The game's argument vector: the executable in |gameFolder| (which ends with
// "/"), the launch parameter ("empty" when it is empty), then, under the rule
// above, the platform and "<slot>|1".
std::vector<std::string> GameLaunchArguments(const std::string& gameFolder,
                                             const std::string& launchParameter,
                                             const std::string& platform,
                                             const std::string& localGameVersion, int32_t slot);

// Whether the game runs: its instance lock is held. Only tested, never taken.
bool IsGameRunning();

// Appends the free instance slots to |freeSlots| (slot 0 when the game does
// not run) and returns the number of slots in use.
int32_t CollectFreeGameSlots(std::vector<int32_t>* freeSlots);
