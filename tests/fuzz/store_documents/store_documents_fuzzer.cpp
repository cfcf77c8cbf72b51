// Feeds one input to every reader of the store's documents: version maps,
// the gate configuration, the settings and download log, the channel
// configuration and version texts. None may crash or accept a map whose
// names leave its tree.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "project/Launcher/core/gate_config.h"
#include "project/Launcher/core/launcher_settings.h"
#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/core/version_map.h"
#include "project/Launcher/services/json_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  VersionMap map;
  std::string error;
  if (ParseVersionMap(text, &map, &error)) {
    for (const auto& [name, entry] : map) {
      if (name == kVersionKey) continue;
      if (!IsSafeRelativePath(name) || entry.md5.size() != 32 || entry.size < 0) std::abort();
    }
  }

  Json::Value root;
  if (ParseJson(text, root, error)) {
    GateConfig gate;
    GateConfigFromJson(root, &gate);
    LauncherSettings settings;
    SettingsFromJson(root, &settings);
    DownloadLog log;
    DownloadLogFromJson(root, &log);
  }

  LauncherStore store;
  StoreHooks hooks;
  hooks.readResourceFile = [&text](const std::string&, std::string* bytes) {
    *bytes = text;
    return true;
  };
  store.SetHooks(hooks);
  store.LoadCommonConfig();

  FormatDisplayVersion(text);
  ComparePreDownloadVersion(text, "10099_0_1", "");
  return 0;
}
