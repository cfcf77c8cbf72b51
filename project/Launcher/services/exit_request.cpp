#include "project/Launcher/services/exit_request.h"

std::atomic<bool> ExitRequested{false};

void SetPatchExitRequested(bool requested) { ExitRequested = requested; }
