#pragma once
// The launcher's own window messages: the numbers by which the worker, the
// tray icon, a second launcher, the UI framework and the game reach the main
// window, and by which the launcher answers the game. Both parameters are
// integers (64-bit on the wire); none carries a pointer across threads.

#include <cstdint>

inline constexpr uint32_t kMsgTrayNotify = 2025;
inline constexpr uint32_t kMsgShowLauncher = 2026;
inline constexpr uint32_t kMsgHideLauncher = 2027;
inline constexpr uint32_t kMsgExitLauncher = 2028;
inline constexpr uint32_t kMsgCloseHoverPopup = 2125;
inline constexpr uint32_t kMsgRefreshState = 2126;
inline constexpr uint32_t kMsgCheckProgress = 2127;
inline constexpr uint32_t kMsgDownloadSpeed = 2128;
inline constexpr uint32_t kMsgDownloadProgress = 2129;
inline constexpr uint32_t kMsgDownloadPaused = 2130;
inline constexpr uint32_t kMsgConfigReloaded = 2225;
inline constexpr uint32_t kMsgRefreshPages = 2226;
inline constexpr uint32_t kMsgGameVersionChanged = 2325;
inline constexpr uint32_t kMsgPreDownloadStatus = 2326;
inline constexpr uint32_t kMsgUiTick = 2425;
inline constexpr uint32_t kMsgGameRegister = 2525;
inline constexpr uint32_t kMsgGamePreDownloadAction = 2526;
inline constexpr uint32_t kMsgPreDownloadActionReply = 2527;
inline constexpr uint32_t kMsgGamePreDownloadProgress = 2528;
inline constexpr uint32_t kMsgPreDownloadProgressReply = 2529;
inline constexpr uint32_t kMsgGamePreDownloadState = 2530;
inline constexpr uint32_t kMsgPreDownloadStateReply = 2531;
inline constexpr uint32_t kMsgGameEcho = 2532;
inline constexpr uint32_t kMsgWindowOnTop = 3025;

// True for the numbers above: the messages the main window's handler of
// launcher messages takes.
bool IsLauncherMessage(uint32_t message);

// The name of the single-instance lock and of the main window's property by
// which a second launcher and the game find it.
inline constexpr char kLauncherInstanceName[] = "_VDL_LAUNCHER_KOREA";
inline constexpr char16_t kLauncherInstanceNameW[] = u"_VDL_LAUNCHER_KOREA";
