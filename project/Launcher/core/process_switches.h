#pragma once
// Process-wide switches read on several threads.

// Set by the main window when the user exits; the patch applier stops early
// once it is set.
bool ExitRequested();
void SetExitRequested(bool requested);
