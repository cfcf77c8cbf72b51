#pragma once
// A picture of every control of every window of the UI framework, for
// end-to-end tests: one JSON line per control (window class, whether the
// window is shown, whether it takes input, name, tag, text,
// text id, visible with its ancestors, enabled, state, selected, value,
// normal image, screen rectangle) and a closing line with the counts. The program writes
// it when asked (SIGUSR1 with $LAUNCHER_UI_DUMP naming the file). UI thread
// only.

#include <string>

class UiDump {
 public:
  // The environment variable that names the dump file.
  static constexpr char kEnvironmentName[] = "LAUNCHER_UI_DUMP";

  // The lines of the dump, each ending in a newline; the closing line is
  // {"end":true,"windows":W,"controls":C}.
  static std::string Lines();
  // Writes the dump to |path| through a temporary file renamed over it, so a
  // reader never sees half a dump. False when it could not be written.
  static bool WriteTo(const std::string& path);
};
