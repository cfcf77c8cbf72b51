#pragma once
// Starting other programs: the game, the browser opener and the self-update
// copy. A program is started from an argument vector, never from a command
// string and never through a shell, so no text of a link, a map or a server
// is ever interpreted. This folder is the only place that calls posix_spawn.

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform {

struct SpawnOptions {
  // Empty: the caller's working folder.
  std::string workingFolder;
  // Look the program up in PATH when it holds no "/".
  bool searchPath = false;
  // The child is reaped in the background; the caller never waits for it.
  bool detach = true;
  // Descriptors handed to the child as its descriptors 3 and 4 (-1: none).
  // Everything from 5 up is closed in the child either way. A program driven
  // over a pipe pair (the browser engine) reads 3 and writes 4.
  int handOverRead = -1;
  int handOverWrite = -1;
  // A descriptor the child writes its standard error to (-1: the caller's).
  int standardError = -1;
  // A descriptor the child writes its standard output to (-1: the caller's).
  int standardOutput = -1;
};

// Starts |argv[0]| with |argv| as its arguments. The child inherits only the
// standard descriptors (and the hand-over pair, when given). True with the child's id in |pid| (may be null) when
// the program runs; false with the errno value in |error| (may be null) when
// it could not be started (missing, not executable, bad working folder).
bool SpawnProcess(const std::vector<std::string>& argv, const SpawnOptions& options, pid_t* pid,
                  int* error);

// Waits for a child started without |detach|; its exit status (the signal
// number plus 128 when it was killed), or -1.
int WaitProcess(pid_t pid);

// The id of the process that started this one, when that process still runs
// the program at |executable| (the same file); 0 otherwise, for instance when
// it has already ended and this process was handed to another parent.
pid_t RunningParentOf(const std::string& executable);

// Blocks until the process |pid| has ended (a pidfd where the kernel offers
// one). True once it is gone; false when it cannot be watched.
bool WaitForProcessExit(pid_t pid);

// True for an absolute http or https URL without control characters or
// blanks: the only links handed to the desktop's opener.
bool IsOpenableUrl(const std::string& url);

// Opens the URL in the user's default browser through "xdg-open", which is
// found in PATH and given the URL as its only argument. False, starting
// nothing, for a URL IsOpenableUrl refuses or when the opener cannot start.
bool OpenUrlInBrowser(const std::string& url);

}  // namespace platform
