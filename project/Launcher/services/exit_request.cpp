#include "project/Launcher/services/exit_request.h"

#include <atomic>

namespace {
std::atomic<bool> g_exitRequested{false};
}  // namespace

bool ExitRequested() { return g_exitRequested.load(std::memory_order_acquire); }

void SetExitRequested(bool requested) {
  g_exitRequested.store(requested, std::memory_order_release);
}
