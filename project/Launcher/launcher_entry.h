#pragma once
// The program's entry: working folder, command-line dispatch, the single
// running launcher, and the UI thread's run on the process's main thread.

#include <string>
#include <vector>

// Exit codes of the modes that end early.
inline constexpr int kExitRefused = 2;          // a command-line value broke its bound

// |arguments| as main receives them. Returns the process's exit code.
int RunLauncher(const std::vector<std::string>& arguments);
