// The launcher's self-update. A running program does not overwrite its own
// executable: on its way out the launcher copies itself to
// "./launcher_temp.exe" and starts that copy in the "replace" mode. The copy
// waits until the launcher's process has ended, puts the staged
// "./update/launcher.exe" in place, applies the engine and font lists,
// optionally starts the launcher again, and deletes itself. Every path is
// relative to the program's folder, the working folder of both.
#pragma once

#include <functional>
#include <string>
#include <vector>

inline constexpr char kLauncherExe[] = "./launcher.exe";
inline constexpr char kLauncherTempExe[] = "./launcher_temp.exe";
inline constexpr char kStagedLauncherExe[] = "./update/launcher.exe";

// The copy's arguments after the program: "replace", source, target and the
// program to start, the first two empty unless the launcher was replaced.
std::vector<std::string> SelfUpdateArguments(const std::string& program, bool launcherReplaced);

// Copies the launcher to the temporary executable and starts it, detached,
// with the "replace" arguments. True when the copy runs.
bool StartSelfUpdate(const std::u16string& program, bool launcherReplaced);

// Starts |program| (no arguments) in |workingFolder| (empty: this process's),
// detached, without a shell. Nothing for an empty path; false when it could
// not be started.
bool StartProgram(const std::string& program, const std::string& workingFolder);

// What the copy tells as it goes (tests and diagnostics); may be empty.
struct ReplaceObserver {
  std::function<void(const std::string& step)> step;
};

// Exit codes of the "replace" mode.
inline constexpr int kReplaceDone = 0;
inline constexpr int kReplaceRefused = 2;

// Whether the three values (source, target, program) are what this
// program's own launcher asks of its copy: the staged launcher over
// "launcher.exe" (or both empty), and "launcher.exe" or nothing to start.
bool IsAcceptedReplaceCommand(const std::string& source, const std::string& target,
                              const std::string& program);

// The copy's run: |values| are source, target and program. Refused
// commands touch nothing and leave the copy in place.
int RunReplaceMode(const std::vector<std::string>& values, const ReplaceObserver& observer = {});
