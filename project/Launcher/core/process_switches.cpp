#include "project/Launcher/core/process_switches.h"

#include <atomic>

namespace {
std::atomic<bool> g_exitRequested{false};
}  // namespace

bool ExitRequested() { return g_exitRequested.load(); }
void SetExitRequested(bool requested) { g_exitRequested.store(requested); }
