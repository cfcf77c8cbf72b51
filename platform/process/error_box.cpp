#include "platform/process/error_box.h"

#include <cstdio>
#include <vector>

#include "platform/process/process.h"

namespace platform {

void ShowErrorBox(const std::string& title, const std::string& text) {
  const std::vector<std::string> argv = {"zenity", "--error", "--no-markup", "--title=" + title,
                                         "--text=" + text};
  SpawnOptions options;
  options.searchPath = true;
  options.detach = false;
  pid_t pid = 0;
  if (SpawnProcess(argv, options, &pid, nullptr)) {
    WaitProcess(pid);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

}  // namespace platform
