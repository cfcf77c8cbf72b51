// Parses arbitrary text with ParseJson and runs the key lookup and the
// string-list reader over what it accepts; the path and text splitters get
// the same bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "project/Launcher/services/launcher_paths.h"
#include "project/Launcher/services/json_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  Json::Value value;
  std::string error;
  if (ParseJson(text, value, error)) {
    Json::Value found;
    std::vector<std::string> list;
    for (const char* key : {"a", "urls", "version", ""}) {
      FindJsonKey(value, key, found);
      GetJsonStringList(value, key, list);
    }
  }

  std::vector<std::string> pieces;
  SplitAtSeparator(text, "_", pieces);
  std::string folder, name;
  SplitPath(text, folder, name);
  NormalizePath(text, size % 2 == 0);
  return 0;
}
