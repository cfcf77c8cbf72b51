#include "platform/process/output_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "platform/process/process.h"

namespace platform {

OutputProcess::~OutputProcess() {
  bool running;
  {
    std::lock_guard<std::mutex> hold(lock_);
    running = pid_ > 0 && !reaped_;
  }
  if (running) {
    Signal(SIGKILL);
    WaitProcess(pid_);
  }
  if (output_ >= 0) ::close(output_);
  if (pidfd_ >= 0) ::close(pidfd_);
}

bool OutputProcess::Start(const std::vector<std::string>& argv) {
  std::lock_guard<std::mutex> hold(lock_);
  if (terminated_ || pid_ > 0) return false;
  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) return false;
  SpawnOptions options;
  options.searchPath = true;
  options.detach = false;
  options.standardOutput = pipe_ends[1];
  pid_t child = -1;
  const bool started = SpawnProcess(argv, options, &child, nullptr);
  ::close(pipe_ends[1]);
  if (!started) {
    ::close(pipe_ends[0]);
    return false;
  }
  pid_ = child;
  output_ = pipe_ends[0];
#ifdef SYS_pidfd_open
  pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
#endif
  return true;
}

int OutputProcess::ReadOutputAndWait(std::string* output, size_t limit) {
  pid_t child;
  {
    std::lock_guard<std::mutex> hold(lock_);
    child = pid_;
  }
  if (child <= 0 || output_ < 0) return -1;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(output_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    if (output != nullptr && output->size() < limit)
      output->append(buffer, std::min(static_cast<size_t>(got), limit - output->size()));
  }
  const int status = WaitProcess(child);
  std::lock_guard<std::mutex> hold(lock_);
  reaped_ = true;
  return status;
}

void OutputProcess::Terminate() {
  Signal(SIGTERM);
}

void OutputProcess::Signal(int signal) {
  std::lock_guard<std::mutex> hold(lock_);
  terminated_ = true;
  if (pid_ <= 0) return;
#ifdef SYS_pidfd_send_signal
  if (pidfd_ >= 0) {
    ::syscall(SYS_pidfd_send_signal, pidfd_, signal, nullptr, 0);
    return;
  }
#endif
  // Without a pidfd the pid is only signalled while it cannot have been
  // reused: before the reading thread reaped it.
  if (!reaped_) ::kill(pid_, signal);
}

}  // namespace platform
