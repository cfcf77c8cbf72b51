#include "project/Launcher/services/self_update.h"

#include <sys/stat.h>
#include <unistd.h>

#include "base/util/string_util.h"
#include "platform/files/file_operations.h"
#include "platform/process/process.h"
#include "project/Launcher/services/update_lists.h"

namespace {

// "./x", ".\\x" and "x" name the same file of the program's folder.
std::string ProgramRelative(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  if (out.rfind("./", 0) == 0) out.erase(0, 2);
  return out;
}

bool IsProgramFile(const std::string& path, const char* expected) {
  return !path.empty() && ProgramRelative(path) == ProgramRelative(expected);
}

void Tell(const ReplaceObserver& observer, const std::string& step) {
  if (observer.step) observer.step(step);
}

// Removes the temporary executable when it is the program running now.
void DeleteSelf() {
  struct stat mine, temp;
  if (stat("/proc/self/exe", &mine) != 0 || stat(kLauncherTempExe, &temp) != 0) return;
  if (mine.st_dev == temp.st_dev && mine.st_ino == temp.st_ino) unlink(kLauncherTempExe);
}

}  // namespace

std::vector<std::string> SelfUpdateArguments(const std::string& program, bool launcherReplaced) {
  return {"replace", launcherReplaced ? kStagedLauncherExe : "",
          launcherReplaced ? kLauncherExe : "", program};
}

bool StartSelfUpdate(const std::u16string& program, bool launcherReplaced) {
  if (!platform::CopyFileAtomically(kLauncherExe, kLauncherTempExe)) return false;
  std::vector<std::string> argv = {kLauncherTempExe};
  for (std::string& arg : SelfUpdateArguments(kbase::UTF16ToUTF8(program), launcherReplaced)) {
    argv.push_back(std::move(arg));
  }
  return platform::SpawnProcess(argv, platform::SpawnOptions(), nullptr, nullptr);
}

bool StartProgram(const std::string& program, const std::string& workingFolder) {
  if (program.empty()) return true;
  platform::SpawnOptions options;
  options.workingFolder = workingFolder;
  return platform::SpawnProcess({program}, options, nullptr, nullptr);
}

bool IsAcceptedReplaceCommand(const std::string& source, const std::string& target,
                              const std::string& program) {
  const bool replacing = !source.empty() || !target.empty();
  if (replacing &&
      !(IsProgramFile(source, kStagedLauncherExe) && IsProgramFile(target, kLauncherExe))) {
    return false;
  }
  return program.empty() || IsProgramFile(program, kLauncherExe);
}

int RunReplaceMode(const std::vector<std::string>& values, const ReplaceObserver& observer) {
  if (values.size() != 3 || !IsAcceptedReplaceCommand(values[0], values[1], values[2])) {
    Tell(observer, "refused");
    return kReplaceRefused;
  }
  // The launcher that started this copy must be gone before its executable
  // and fonts are replaced. Its process is watched, not guessed at.
  const pid_t launcher = platform::RunningParentOf(kLauncherExe);
  Tell(observer, "waiting " + std::to_string(launcher));
  platform::WaitForProcessExit(launcher);
  Tell(observer, "launcher_ended");

  if (!values[0].empty() && platform::CopyFileAtomically(kStagedLauncherExe, kLauncherExe)) {
    Tell(observer, "launcher_replaced");
  }
  ApplyCefUpdate();
  ApplyFontUpdate();
  Tell(observer, "lists_applied");
  if (!values[2].empty()) {
    Tell(observer, StartProgram(kLauncherExe, std::string()) ? "restarted" : "restart_failed");
  }
  DeleteSelf();
  return kReplaceDone;
}
