#pragma once
// A child program whose standard output the caller reads to the end: the
// desktop's dialogs (the folder chooser) answer that way. One thread starts
// and reads; any other thread may end the child at any time, so a dialog
// still open when the launcher exits is closed instead of waited for.

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class OutputProcess {
 public:
  OutputProcess() = default;
  // Ends and reaps a child that is still running.
  ~OutputProcess();
  OutputProcess(const OutputProcess&) = delete;
  OutputProcess& operator=(const OutputProcess&) = delete;

  // Starts |argv| (looked up in PATH when argv[0] holds no "/") with its
  // standard output on a pipe. False when it cannot start, or when Terminate
  // came first.
  bool Start(const std::vector<std::string>& argv);
  // Reads the child's output until it closes it, keeping at most |limit|
  // bytes (the rest is read and dropped), then waits for the child. The exit
  // status (128 + the signal for a killed child), or -1 when nothing ran.
  int ReadOutputAndWait(std::string* output, size_t limit);
  // Any thread: ends the child (SIGTERM) unless it has already been reaped;
  // a later Start refuses to run anything.
  void Terminate();

 private:
  void Signal(int signal);

  std::mutex lock_;  // guards the child's ids against Terminate
  pid_t pid_ = -1;
  int pidfd_ = -1;   // signals through it cannot reach a reused pid
  int output_ = -1;  // read end of the pipe (reading thread only)
  bool reaped_ = false;
  bool terminated_ = false;
};

}  // namespace platform
