// The launcher program.
#include <string>
#include <vector>

#include "project/Launcher/launcher_entry.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  return RunLauncher(arguments);
}
