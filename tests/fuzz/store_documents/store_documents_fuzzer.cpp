// Feeds one input to every reader of the store's documents: version maps,
// the gate configuration, the settings and download log, the channel
// configuration, version texts and the usage records built from them. None may crash or accept a map whose
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
#include "project/Launcher/services/relative_name.h"
#include "project/Launcher/services/usage_events.h"

namespace {

// Every text the records take from the machine is the fuzzer's input.
class InputEnvironment : public UsageEventEnvironment {
 public:
  explicit InputEnvironment(const std::string& text) : text_(text) {}
  std::string MachineGuid() override { return text_; }
  std::string DeviceId() override { return text_; }
  void UtcDateTime(std::string* date, std::string* time) override { *date = *time = text_; }
  int64_t UnixTimeSeconds() override { return static_cast<int64_t>(text_.size()) << 40; }
  std::string CpuName() override { return text_; }
  std::string OsVersion() override { return text_; }
  std::string ProductName() override { return text_; }
  std::optional<std::string> Country() override { return text_; }
  std::u16string ModuleDirectory() override { return u"/opt/"; }
  std::u16string UiLanguage() override { return u"en"; }
  bool IsGameRunning() override { return !text_.empty(); }
  std::optional<uint64_t> AvailableBytes(const std::u16string&) override { return text_.size(); }

 private:
  std::string text_;
};

void BuildRecords(const std::string& text) {
  UsageEventStoreFacts facts;
  facts.installPackageType = facts.languageCode = facts.publicAddress = facts.gid = text;
  facts.localGameVersion = facts.preDownloadVersion = text;
  facts.preDownloadComparison = 1;
  InputEnvironment env(text);
  DownloadSpeedFigures speeds{static_cast<int64_t>(text.size()) - 1, INT64_MAX, text};
  BuildUiClickRecord(facts, env, text, text);
  BuildLauncherDetailRecord(facts, env, speeds, "15", text, text, text);
  BuildLauncherRecord(facts, env, speeds, text, text, text, text, "pre_install");
  BuildSettingRecord(facts, env, text, text, INT32_MIN, INT32_MAX);
  std::string query = BuildInstallAttributionQuery(facts, env, "download_game_finish", text, text, text);
  for (char c : query) {
    if (c == ' ' || c == '#' || static_cast<unsigned char>(c) >= 0x80) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  VersionMap map;
  std::string error;
  if (ParseVersionMap(text, &map, &error)) {
    for (const auto& [name, entry] : map) {
      if (name == kVersionKey) continue;
      if (!IsSafeRelativeName(name) || entry.md5.size() != 32 || entry.size < 0) std::abort();
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

  BuildRecords(text);
  FormatDisplayVersion(text);
  ComparePreDownloadVersion(text, "10099_0_1", "");
  return 0;
}
