// The launcher as far as the self-update needs it, installed as
// "launcher.exe" in a test's program folder:
//   launcher.exe old_launcher   starts the self-update copy (the launcher was
//                               replaced and is to be restarted), says so on
//                               its output, and runs until its input closes
//   launcher.exe replace S T P  the copy's run, telling each step
//   launcher.exe                a normal start: tells the digest of its own
//                               executable and ends
// Every line goes to standard output, which the copy and the restarted
// launcher inherit, so the test reads one story from one pipe.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "project/Launcher/services/file_md5.h"
#include "project/Launcher/services/self_update.h"

namespace {

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

std::string OwnDigest() {
  std::ifstream self("/proc/self/exe", std::ios::binary);
  std::string md5;
  int64_t size = 0;
  return FileMd5(self, md5, size) ? md5 : std::string("unreadable");
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
  if (chdir(exe.parent_path().c_str()) != 0) return 1;
  std::vector<std::string> args(argv + 1, argv + argc);

  if (args.size() == 4 && args[0] == "replace") {
    ReplaceObserver observer;
    observer.step = [](const std::string& step) { Say("copy " + step); };
    return RunReplaceMode({args[1], args[2], args[3]}, observer);
  }
  if (args.size() == 1 && args[0] == "old_launcher") {
    Say(StartSelfUpdate(u"./launcher.exe", true) ? "old copy_started" : "old copy_failed");
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof(buffer)) > 0) {
    }
    Say("old exit");
    return 0;
  }
  if (args.empty()) {
    Say("started " + OwnDigest());
    return 0;
  }
  return 2;
}
