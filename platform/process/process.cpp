#include "platform/process/process.h"

#include <signal.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

extern char** environ;

namespace platform {

namespace {

class FileActions {
 public:
  FileActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
  ~FileActions() {
    if (ok_) posix_spawn_file_actions_destroy(&actions_);
  }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  bool ok() const { return ok_; }
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  bool ok_ = false;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { ok_ = posix_spawnattr_init(&attributes_) == 0; }
  ~SpawnAttributes() {
    if (ok_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  bool ok() const { return ok_; }
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
  bool ok_ = false;
};

}  // namespace

bool SpawnProcess(const std::vector<std::string>& argv, const SpawnOptions& options, pid_t* pid,
                  int* error) {
  auto fail = [error](int code) {
    if (error) *error = code;
    return false;
  };
  if (argv.empty() || argv[0].empty()) return fail(EINVAL);

  FileActions actions;
  SpawnAttributes attributes;
  if (!actions.ok() || !attributes.ok()) return fail(ENOMEM);
  // Nothing but the standard descriptors (and the hand-over pair) reaches the
  // child, whatever the parent opened without close-on-exec.
  const bool handOver = options.handOverRead >= 0 || options.handOverWrite >= 0;
  if (handOver && (options.handOverRead < 0 || options.handOverWrite < 0)) return fail(EINVAL);
  int rc = 0;
  if (options.standardError >= 0)
    rc = posix_spawn_file_actions_adddup2(actions.get(), options.standardError, 2);
  if (rc == 0 && options.standardOutput >= 0)
    rc = posix_spawn_file_actions_adddup2(actions.get(), options.standardOutput, 1);
  if (rc != 0) return fail(rc);
  if (handOver) {
    // Both are first lifted above 4 so that moving one onto 3 or 4 can never
    // overwrite the other (dup2 onto itself would also keep close-on-exec).
    rc = posix_spawn_file_actions_adddup2(actions.get(), options.handOverRead, 100);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(actions.get(), options.handOverWrite, 101);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(actions.get(), 100, 3);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(actions.get(), 101, 4);
    if (rc != 0) return fail(rc);
  }
  rc = posix_spawn_file_actions_addclosefrom_np(actions.get(), handOver ? 5 : 3);
  if (rc != 0) return fail(rc);
  if (!options.workingFolder.empty()) {
    rc = posix_spawn_file_actions_addchdir_np(actions.get(), options.workingFolder.c_str());
    if (rc != 0) return fail(rc);
  }
  // The child starts with default signal dispositions and an empty mask, not
  // with whatever the launcher's threads blocked.
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(attributes.get(), &none);
  posix_spawnattr_setsigdefault(attributes.get(), &all);
  posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  pid_t child = -1;
  rc = options.searchPath
           ? posix_spawnp(&child, args[0], actions.get(), attributes.get(), args.data(), environ)
           : posix_spawn(&child, args[0], actions.get(), attributes.get(), args.data(), environ);
  if (rc != 0) return fail(rc);
  if (pid) *pid = child;
  if (options.detach) {
    // Nobody waits for a detached child; reaping it here keeps it from
    // lingering as a zombie for the launcher's lifetime.
    std::thread([child] { WaitProcess(child); }).detach();
  }
  return true;
}

int WaitProcess(pid_t pid) {
  int status = 0;
  pid_t rc;
  do {
    rc = ::waitpid(pid, &status, 0);
  } while (rc < 0 && errno == EINTR);
  if (rc != pid) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

pid_t RunningParentOf(const std::string& executable) {
  const pid_t parent = getppid();
  if (parent <= 1) return 0;
  struct stat mine, theirs;
  const std::string link = "/proc/" + std::to_string(parent) + "/exe";
  if (stat(executable.c_str(), &mine) != 0 || stat(link.c_str(), &theirs) != 0) return 0;
  if (mine.st_dev != theirs.st_dev || mine.st_ino != theirs.st_ino) return 0;
  return parent;
}

bool WaitForProcessExit(pid_t pid) {
  if (pid <= 0) return true;
#ifdef SYS_pidfd_open
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) {
    struct pollfd watch = {fd, POLLIN, 0};
    int rc;
    do {
      rc = poll(&watch, 1, -1);
    } while (rc < 0 && errno == EINTR);
    ::close(fd);
    return rc > 0;
  }
  if (errno == ESRCH) return true;
#endif
  // Kernels without pidfds: the process is watched through its /proc entry.
  const std::string entry = "/proc/" + std::to_string(pid);
  struct stat info;
  while (stat(entry.c_str(), &info) == 0) {
    poll(nullptr, 0, 20);
  }
  return true;
}

bool IsOpenableUrl(const std::string& url) {
  std::string scheme = url.substr(0, 8);
  for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t rest;
  if (scheme.rfind("https://", 0) == 0) {
    rest = 8;
  } else if (scheme.rfind("http://", 0) == 0) {
    rest = 7;
  } else {
    return false;
  }
  if (url.size() <= rest) return false;  // no host
  for (unsigned char c : url) {
    if (c <= 0x20 || c == 0x7F) return false;
  }
  return true;
}

bool OpenUrlInBrowser(const std::string& url) {
  if (!IsOpenableUrl(url)) return false;
  SpawnOptions options;
  options.searchPath = true;
  return SpawnProcess({"xdg-open", url}, options, nullptr, nullptr);
}

}  // namespace platform
