#pragma once
// The built launcher run as a separate process from a folder of its own: a
// copy of the program in "prog/" (its "save" folder lands beside it), its
// own XDG_RUNTIME_DIR (so the single-instance lock is the test's alone) and
// a pipe that carries the program's record lines to the test.

#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

extern char** environ;

// A folder holding one copy of the launcher and its surroundings.
class LauncherFolder {
 public:
  LauncherFolder() {
    std::filesystem::create_directories(folder_.File("prog"));
    std::filesystem::create_directories(folder_.File("run"));
    std::filesystem::permissions(folder_.File("run"), std::filesystem::perms::owner_all);
    std::filesystem::copy_file(LAUNCHER_EXE, program());
  }
  std::string program() const { return folder_.File("prog/launcher.exe"); }
  std::string File(const std::string& name) const { return folder_.File(name); }
  bool Exists(const std::string& name) const { return folder_.Exists(name); }
  // Where the launcher writes its UI dump when asked (SIGUSR1).
  std::string dumpFile() const { return folder_.File("ui_dump.jsonl"); }

  // The environment a launcher of this folder runs with; |record| names the
  // record pipe or is empty.
  std::vector<std::string> Environment(const std::string& record) const {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      std::string entry = *e;
      for (const char* drop : {"XDG_RUNTIME_DIR=", "LAUNCHER_RECORD=", "LAUNCHER_UI_DUMP=", "XDG_CONFIG_HOME=", "XDG_DATA_HOME=", "LANG=",
                               "LC_ALL=", "http_proxy=", "https_proxy=", "HTTPS_PROXY=", "ALL_PROXY=", "all_proxy=",
                               "no_proxy=", "NO_PROXY="}) {
        if (entry.rfind(drop, 0) == 0) entry.clear();
      }
      if (!entry.empty()) env.push_back(entry);
    }
    env.push_back("XDG_RUNTIME_DIR=" + folder_.File("run"));
    env.push_back("XDG_CONFIG_HOME=" + folder_.File("config"));
    // The carried fonts are installed into the user's font folder.
    env.push_back("XDG_DATA_HOME=" + folder_.File("data"));
    env.push_back("LANG=C");
    // The launcher's built-in servers are real hosts: every request to them
    // goes to a closed local port and fails at once, so no test waits on the
    // machine's name service or network; local servers are reached directly.
    env.push_back("http_proxy=http://127.0.0.1:9");
    env.push_back("https_proxy=http://127.0.0.1:9");
    env.push_back("no_proxy=127.0.0.1,localhost");
    if (!record.empty()) env.push_back("LAUNCHER_RECORD=" + record);
    env.push_back("LAUNCHER_UI_DUMP=" + dumpFile());
    return env;
  }

 private:
  TempFolder folder_;
};

class LauncherProcess {
 public:
  // Starts the launcher of |folder| with |arguments|; with |recorded| its
  // record lines come through a pipe the test reads.
  LauncherProcess(const LauncherFolder& folder, std::vector<std::string> arguments, bool recorded) {
    std::string record;
    if (recorded) {
      record = folder.File("record." + std::to_string(++counter_));
      ::mkfifo(record.c_str(), 0600);
      // Opened before the program starts, so its writer finds a reader.
      recordFd_ = ::open(record.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    arguments.insert(arguments.begin(), folder.program());
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = folder.Environment(record);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    if (pid_ > 0) pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
  }
  ~LauncherProcess() {
    if (pid_ > 0 && !exitCode_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (pidfd_ >= 0) ::close(pidfd_);
    if (recordFd_ >= 0) ::close(recordFd_);
  }

  bool started() const { return pid_ > 0 && pidfd_ >= 0; }
  pid_t pid() const { return pid_; }

  // Waits for the process to end; its exit code, or nothing when it did not
  // end in |timeout| (or died of a signal: -signal).
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout) {
    if (exitCode_) return exitCode_;
    pollfd p{pidfd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return std::nullopt;
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_) return std::nullopt;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return exitCode_;
  }

  // Reads record lines until one satisfies |match| (true) or |timeout|
  // passes or the record ends (false). Every line read is kept in lines().
  bool WaitForLine(const std::function<bool(const std::string&)>& match,
                   std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      while (next_ < lines_.size()) {
        if (match(lines_[next_++])) return true;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || recordFd_ < 0) return false;
      pollfd p{recordFd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
      char buffer[4096];
      ssize_t n = ::read(recordFd_, buffer, sizeof(buffer));
      if (n > 0) {
        partial_.append(buffer, static_cast<size_t>(n));
        for (size_t end; (end = partial_.find('\n')) != std::string::npos;) {
          lines_.push_back(partial_.substr(0, end));
          partial_.erase(0, end + 1);
        }
      } else if (n == 0 && (p.revents & POLLHUP)) {
        return false;  // the program closed its record
      }
    }
  }
  bool WaitForLine(const std::string& line, std::chrono::milliseconds timeout) {
    return WaitForLine([&line](const std::string& seen) { return seen == line; }, timeout);
  }
  // Every line of the record up to its end.
  std::vector<std::string> ReadToEnd(std::chrono::milliseconds timeout) {
    WaitForLine([](const std::string&) { return false; }, timeout);
    return lines_;
  }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  static inline int counter_ = 0;
  pid_t pid_ = -1;
  int pidfd_ = -1;
  int recordFd_ = -1;
  std::optional<int> exitCode_;
  std::vector<std::string> lines_;
  size_t next_ = 0;
  std::string partial_;
};
