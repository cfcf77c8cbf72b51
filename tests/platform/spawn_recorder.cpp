// A child program for the process tests. Invoked under any name (also as
// "xdg-open"), it writes what it was started with to the file or FIFO named
// by SPAWN_RECORD: its working folder, every argument and its open
// descriptors, one "key=value" a line, then "end". With the single argument
// "--hold-lock NAME" it takes the named instance lock, prints "held" and
// waits until its standard input closes.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/instance/instance_lock.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--hold-lock") == 0) {
    platform::InstanceLock lock(argv[2]);
    if (!lock.Acquire()) return 2;
    std::printf("held\n");
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
  }
  const char* recordPath = std::getenv("SPAWN_RECORD");
  if (!recordPath) return 3;
  std::string record;
  char cwd[4096];
  record += std::string("cwd=") + (::getcwd(cwd, sizeof cwd) ? cwd : "") + "\n";
  for (int i = 1; i < argc; ++i) record += std::string("arg=") + argv[i] + "\n";
  std::string fds;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    int own = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      int fd = std::atoi(entry->d_name);
      if (fd == own) continue;
      fds += (fds.empty() ? "" : ",") + std::to_string(fd);
    }
    ::closedir(dir);
  }
  // What a hand-over put on descriptors 3 and 4 ("pipe:[inode]").
  for (int fd : {3, 4}) {
    char target[256];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n > 0) record += "fd" + std::to_string(fd) + "=" + std::string(target, n) + "\n";
  }
  record += "fds=" + fds + "\nend\n";
  int out = ::open(recordPath, O_WRONLY | O_APPEND | O_CREAT, 0600);
  if (out < 0) return 4;
  bool ok = ::write(out, record.data(), record.size()) == static_cast<ssize_t>(record.size());
  ::close(out);
  return ok ? 0 : 5;
}
