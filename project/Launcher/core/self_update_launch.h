#pragma once
// Starting the self-update copy for the store: on the way out (the UI
// thread's clean-up) or from the restart question after a launcher update.

#include <string>

class LauncherStore;

// Starts the copy when the launcher, the browser files or the fonts were
// replaced (the launcher is replaced only when its flag says so). Once a copy
// runs, all three flags are cleared, so no second copy can race it. True when
// a copy was started.
bool StartStoreSelfUpdate(LauncherStore& store, const std::u16string& program);

// The restart after a launcher update (the restart question's answer): the
// copy replaces the launcher when |replaceLauncher| (the flag, already
// cleared by the caller), applies the lists and starts "./launcher.exe"
// again. The other two flags are cleared once it runs. True when it runs.
bool StartRestartingSelfUpdate(LauncherStore& store, bool replaceLauncher);
