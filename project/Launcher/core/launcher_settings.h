#pragma once
// The user's settings ("EnvConfig.json") and the download log ("Log.json"):
// plain records, and their JSON forms as the save folder holds them.

#include <cstdint>
#include <string>

#include <json/value.h>

struct LauncherSettings {
  int32_t languageType = 0;
  std::u16string gamePath;
  bool closeToHide = false;
  bool autoUpdate = true;
  bool downloadLimit = false;
  int32_t downloadSpeed = 4096;
  bool predlcLimit = false;
  int32_t predlcSpeed = 4096;
  bool automaticStart = false;
  std::string languageCode = "en";  // derived from languageType, not stored

  bool operator==(const LauncherSettings&) const = default;
};

struct DownloadLog {
  bool firstInstall = true;
  int64_t downloadSize = 0;
  int64_t downloadSpeed = 0;
  int64_t downloadTime = 0;
  std::string downloadVersion;

  bool operator==(const DownloadLog&) const = default;
};

// Takes every listed member of |root| that has the expected type; missing or
// wrongly typed members leave the field as it was. A root that is not an
// object changes nothing.
void SettingsFromJson(const Json::Value& root, LauncherSettings* settings);
Json::Value SettingsToJson(const LauncherSettings& settings);

// As above; the three counters are taken only as integers from 0 to 2^63-1.
void DownloadLogFromJson(const Json::Value& root, DownloadLog* log);
Json::Value DownloadLogToJson(const DownloadLog& log);

// The receive limit of a speed setting in bytes per second: the setting
// times 204 when the limit is on and the setting positive, else 0 (none).
// Computed in 64 bits, so no setting overflows it.
int64_t SpeedLimitBytesPerSecond(bool limitOn, int32_t speedSetting);

// True when |value| is a JSON integer (not a real) that fits 32 bits.
bool IsJsonInt32(const Json::Value& value);
// True when |value| is a JSON integer from 0 to 2^63-1.
bool IsJsonNonNegativeInt64(const Json::Value& value);
