#include "project/Launcher/core/launcher_settings.h"

#include "base/util/string_util.h"

bool IsJsonInt32(const Json::Value& value) {
  return (value.type() == Json::intValue || value.type() == Json::uintValue) && value.isInt();
}

bool IsJsonNonNegativeInt64(const Json::Value& value) {
  if (value.type() == Json::intValue) return value.asInt64() >= 0;
  if (value.type() == Json::uintValue) return value.isInt64();
  return false;
}

namespace {

void TakeBool(const Json::Value& root, const char* key, bool* field) {
  const Json::Value& value = root[key];
  if (value.isBool()) *field = value.asBool();
}

void TakeInt32(const Json::Value& root, const char* key, int32_t* field) {
  const Json::Value& value = root[key];
  if (IsJsonInt32(value)) *field = value.asInt();
}

void TakeInt64(const Json::Value& root, const char* key, int64_t* field) {
  const Json::Value& value = root[key];
  if (IsJsonNonNegativeInt64(value)) *field = value.asInt64();
}

}  // namespace

void SettingsFromJson(const Json::Value& root, LauncherSettings* settings) {
  if (!root.isObject()) return;
  TakeInt32(root, "languageType", &settings->languageType);
  const Json::Value& gamePath = root["gamePath"];
  if (gamePath.isString()) settings->gamePath = kbase::UTF8ToUTF16(gamePath.asString());
  TakeBool(root, "closeToHide", &settings->closeToHide);
  TakeBool(root, "downloadLimit", &settings->downloadLimit);
  TakeInt32(root, "downloadSpeed", &settings->downloadSpeed);
  TakeBool(root, "predlcLimit", &settings->predlcLimit);
  TakeInt32(root, "predlcSpeed", &settings->predlcSpeed);
  TakeBool(root, "automaticStart", &settings->automaticStart);
  TakeBool(root, "autoUpdate", &settings->autoUpdate);
}

Json::Value SettingsToJson(const LauncherSettings& settings) {
  Json::Value root(Json::objectValue);
  root["languageType"] = settings.languageType;
  root["gamePath"] = kbase::UTF16ToUTF8(settings.gamePath);
  root["closeToHide"] = settings.closeToHide;
  root["downloadLimit"] = settings.downloadLimit;
  root["downloadSpeed"] = settings.downloadSpeed;
  root["predlcLimit"] = settings.predlcLimit;
  root["predlcSpeed"] = settings.predlcSpeed;
  root["automaticStart"] = settings.automaticStart;
  root["autoUpdate"] = settings.autoUpdate;
  return root;
}

void DownloadLogFromJson(const Json::Value& root, DownloadLog* log) {
  if (!root.isObject()) return;
  TakeBool(root, "firstInstall", &log->firstInstall);
  TakeInt64(root, "downloadSize", &log->downloadSize);
  TakeInt64(root, "downloadSpeed", &log->downloadSpeed);
  TakeInt64(root, "downloadTime", &log->downloadTime);
  const Json::Value& version = root["downloadVersion"];
  if (version.isString()) log->downloadVersion = version.asString();
}

Json::Value DownloadLogToJson(const DownloadLog& log) {
  Json::Value root(Json::objectValue);
  root["firstInstall"] = log.firstInstall;
  root["downloadSize"] = Json::Int64(log.downloadSize);
  root["downloadSpeed"] = Json::Int64(log.downloadSpeed);
  root["downloadTime"] = Json::Int64(log.downloadTime);
  root["downloadVersion"] = log.downloadVersion;
  return root;
}

int64_t SpeedLimitBytesPerSecond(bool limitOn, int32_t speedSetting) {
  if (!limitOn || speedSetting <= 0) return 0;
  return static_cast<int64_t>(speedSetting) * 204;
}
