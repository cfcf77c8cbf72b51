#include "project/Launcher/core/self_update_launch.h"

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/services/self_update.h"

bool StartStoreSelfUpdate(LauncherStore& store, const std::u16string& program) {
  const bool launcherReplaced = store.launcherReplaced.load();
  if (!launcherReplaced && !store.browserFilesChanged.load() && !store.fontsChanged.load()) {
    return false;
  }
  if (!StartSelfUpdate(program, launcherReplaced)) return false;
  store.launcherReplaced = false;
  store.browserFilesChanged = false;
  store.fontsChanged = false;
  return true;
}

bool StartRestartingSelfUpdate(LauncherStore& store, bool replaceLauncher) {
  if (!StartSelfUpdate(u"./launcher.exe", replaceLauncher)) {
    // The clean-up at exit tries again.
    if (replaceLauncher) store.launcherReplaced = true;
    return false;
  }
  store.launcherReplaced = false;
  store.browserFilesChanged = false;
  store.fontsChanged = false;
  return true;
}
