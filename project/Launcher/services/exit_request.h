// The process-wide exit request: set by the main window when the user exits,
// cleared by the update applier when it starts, read by the streaming patch
// applier between chunks (it stops early once the request is set). Safe on
// any thread.
#pragma once

bool ExitRequested();
void SetExitRequested(bool requested);
