// The process-wide exit request: set by the main window when the user exits,
// cleared by the update applier when it starts, read by the streaming patch
// applier between chunks.
#pragma once

#include <atomic>

extern std::atomic<bool> ExitRequested;

// Sets the flag (for callers that name it through a function).
void SetPatchExitRequested(bool requested);
