#include "project/Launcher/core/process_switches.h"

#include <atomic>

// The patch applier's flag (services/exit_request.h, whose variable shares
// this function's name, so it is declared here rather than included).
void SetPatchExitRequested(bool requested);

namespace {
std::atomic<bool> g_exitRequested{false};
}  // namespace

bool ExitRequested() { return g_exitRequested.load(); }
void SetExitRequested(bool requested) {
  g_exitRequested.store(requested);
  SetPatchExitRequested(requested);
}
