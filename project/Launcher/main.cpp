// The launcher program.
#include <string>
#include <vector>

#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/launcher_entry.h"
#include "skin/embedded_resources.h"

int main(int argc, char** argv) {
  // The skin package built from skin/ and carried in the program; a
  // "resources.zip" beside the program still replaces it.
  const auto package = skin::EmbeddedSkinPackage();
  SetEmbeddedSkinPackage(package.data(), package.size());
  std::vector<std::string> arguments(argv, argv + argc);
  return RunLauncher(arguments);
}
