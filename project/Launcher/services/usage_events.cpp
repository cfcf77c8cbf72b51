#include "project/Launcher/services/usage_events.h"

#include <atomic>
#include <cstdio>

#include <json/json.h>

#include "base/util/string_util.h"

namespace {

constexpr char kGameId[] = "10043";
constexpr char kPackage[] = "com.orvanegames.vdl.pc.kr";
constexpr char kAttributionGameId[] = "_VDL_GAME_KOREA";

std::atomic<UsageEventStore*> g_store{nullptr};
std::atomic<UsageEventEnvironment*> g_environment{nullptr};
std::atomic<UsageEventTransport*> g_transport{nullptr};

std::string ToLowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Serialize(const Json::Value& record) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, record);
}

void SetDate(UsageEventEnvironment& env, Json::Value* record) {
  std::string date, time;
  env.UtcDateTime(&date, &time);
  (*record)["event_date"] = date;
  (*record)["event_time"] = date + " " + time;
}

void SetSpeedFigures(const DownloadSpeedFigures& speeds, Json::Value* record) {
  (*record)["lowest_speed"] = FormatMebibytesPerSecond(speeds.minSpeed);
  (*record)["highest_speed"] = FormatMebibytesPerSecond(speeds.maxSpeed);
  (*record)["lowest_speed_location"] = speeds.slowestFile;
}

bool CarriesDownloadFigures(const std::string& actionId) {
  return actionId == "15" || actionId == "17" || actionId == "22";
}

bool CarriesEventValues(const std::string& eventName) {
  return eventName == "click_launch_pause_game" || eventName == "download_game_finish" ||
         eventName == "update_game_finish";
}

// Runs |build| on the worker with the registered services; dropped when they
// are not all registered.
void PostRecord(std::function<void(UsageEventEnvironment&, UsageEventTransport&)> build) {
  UsageEventTransport* transport = g_transport.load();
  if (transport == nullptr || g_environment.load() == nullptr) return;
  transport->PostToWorker([build = std::move(build)] {
    UsageEventEnvironment* env = g_environment.load();
    UsageEventTransport* transport = g_transport.load();
    if (env != nullptr && transport != nullptr) build(*env, *transport);
  });
}

}  // namespace

void SetUsageEventServices(UsageEventStore* store, UsageEventEnvironment* environment,
                           UsageEventTransport* transport) {
  g_store.store(store);
  g_environment.store(environment);
  g_transport.store(transport);
}

std::string PercentEncode(const std::string& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : value) {
    bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

std::string FormatMebibytesPerSecond(int64_t bytesPerSecond) {
  float mebibytes = static_cast<float>(bytesPerSecond) * (1.0f / 1048576.0f);
  char text[64];
  std::snprintf(text, sizeof(text), "%.3f", static_cast<double>(mebibytes));
  return text;
}

std::string BuildUiClickRecord(const UsageEventStoreFacts& store, UsageEventEnvironment& env,
                               const std::string& uitype, const std::string& action) {
  Json::Value record(Json::objectValue);
  record["log_type"] = "ovdnlepcstarteruiclick";
  record["game_id"] = kGameId;
  record["install_package_type"] = store.installPackageType;
  record["pc_id"] = env.DeviceId();
  record["uitype"] = uitype;
  record["action"] = ToLowerAscii(action);
  SetDate(env, &record);
  return Serialize(record);
}

std::string BuildLauncherDetailRecord(const UsageEventStoreFacts& store,
                                      UsageEventEnvironment& env,
                                      const DownloadSpeedFigures& speeds,
                                      const std::string& actionId, const std::string& speed,
                                      const std::string& size, const std::string& downloadTime) {
  Json::Value record(Json::objectValue);
  std::string guid = env.MachineGuid();
  record["log_type"] = "ovdnlepclauncherdetail";
  record["game_id"] = kGameId;
  record["install_package_type"] = store.installPackageType;
  record["machine_guid"] = guid;
  record["idfa"] = guid;
  record["channel"] = store.gid;
  record["language"] = store.languageCode;
  record["ip"] = store.publicAddress;
  record["game_version"] = store.localGameVersion;
  record["download_game_version"] = store.remoteGameVersion;
  record["cpu"] = env.CpuName();
  record["system_type"] = "win";
  record["system_ver"] = env.OsVersion();
  record["action_id"] = actionId;
  record["pkg"] = kPackage;
  if (std::optional<std::string> country = env.Country()) record["country"] = *country;
  if (CarriesDownloadFigures(actionId)) {
    record["speed"] = speed;
    record["size"] = size;
    record["download_time"] = downloadTime;
    SetSpeedFigures(speeds, &record);
  }
  SetDate(env, &record);
  return Serialize(record);
}

std::string BuildLauncherRecord(const UsageEventStoreFacts& store, UsageEventEnvironment& env,
                                const DownloadSpeedFigures& speeds, const std::string& printInfo,
                                const std::string& speed, const std::string& size,
                                const std::string& actionType, const std::string& step) {
  Json::Value record(Json::objectValue);
  record["log_type"] = "ovdnlepclauncher";
  record["game_id"] = kGameId;
  record["machine_guid"] = env.MachineGuid();
  record["pc_id"] = env.DeviceId();
  record["install_package_type"] = store.installPackageType;
  SetDate(env, &record);
  record["language"] = store.languageCode;
  record["ip"] = store.publicAddress;
  SetSpeedFigures(speeds, &record);
  record["game_version"] = store.localGameVersion;
  record["action_type"] = ToLowerAscii(actionType);
  std::string lowerStep = ToLowerAscii(step);
  record["step"] = lowerStep;
  record["install_game_path"] = kbase::UTF16ToUTF8(store.gamePath);
  record["install_launcher_path"] = kbase::UTF16ToUTF8(env.ModuleDirectory());
  record["speed"] = speed;
  record["size"] = size;
  record["limit_speed"] = std::to_string(store.downloadSpeedSetting);
  record["system_language"] = kbase::UTF16ToUTF8(env.UiLanguage());
  record["system"] = env.ProductName();
  record["download_game_version"] = store.downloadingGameVersion;
  // Unknown drive space is sent as an empty text rather than a made-up figure.
  std::string capacity;
  if (std::optional<uint64_t> available = env.AvailableBytes(store.gamePath)) {
    float gibibytes = static_cast<float>(*available) * (1.0f / 1073741824.0f);
    char text[64];
    std::snprintf(text, sizeof(text), "%.3f", static_cast<double>(gibibytes));
    capacity = text;
  }
  record["left_capacity"] = capacity;

  std::string info = printInfo;
  if (lowerStep == "pre_install") {
    bool launchedByUs = info == "rungame";
    if (launchedByUs) info.clear();
    if (store.preDownloadVersion.empty() || store.preDownloadComparison != 1) {
      record["if_install_play"] = "-1";
    } else {
      record["if_install_play"] = launchedByUs || env.IsGameRunning() ? "1" : "0";
    }
  }
  record["print_info"] = info;
  return Serialize(record);
}

std::string BuildSettingRecord(const UsageEventStoreFacts& store, UsageEventEnvironment& env,
                               const std::string& autostart, const std::string& closeSet,
                               int32_t gameLimit, int32_t preDownloadLimit) {
  Json::Value record(Json::objectValue);
  record["log_type"] = "ovdnlepcstartersetting";
  record["game_id"] = kGameId;
  record["pc_id"] = env.DeviceId();
  record["language"] = store.languageCode;
  record["machine_guid"] = env.MachineGuid();
  record["install_package_type"] = store.installPackageType;
  if (!autostart.empty()) record["if_autostart"] = autostart;
  if (!closeSet.empty()) record["close_set"] = closeSet;
  record["install_speed_limit"] = std::to_string(gameLimit);
  record["pre_install_speed_limit"] = std::to_string(preDownloadLimit);
  SetDate(env, &record);
  return Serialize(record);
}

std::string BuildInstallAttributionQuery(const UsageEventStoreFacts& store,
                                         UsageEventEnvironment& env, const std::string& eventName,
                                         const std::string& value1, const std::string& value2,
                                         const std::string& value3) {
  std::string query = "activity_kind=pc_starter";
  auto add = [&query](const char* key, const std::string& value) {
    query += '&';
    query += key;
    query += '=';
    query += PercentEncode(value);
  };
  add("install_package_type", store.installPackageType);
  add("uuid", env.MachineGuid());
  add("gid", store.gid);
  add("app_version", store.localGameVersion);
  add("app_id", kPackage);
  add("app_name", kPackage);
  add("package_name", kPackage);
  add("created_at", std::to_string(env.UnixTimeSeconds()));
  query += "&store=pc";
  add("game_id", kAttributionGameId);
  add("ip_address", store.publicAddress);
  add("language", store.languageCode);
  add("os_version", env.OsVersion());
  add("event_name", eventName);
  if (CarriesEventValues(eventName)) {
    add("event_value1", value1);
    add("event_value2", value2);
    add("event_value3", value3);
  }
  add("cpu_type", env.CpuName());
  return query;
}

void SendUiClickEvent(const std::string& uitype, const std::string& action) {
  PostRecord([uitype, action](UsageEventEnvironment& env, UsageEventTransport& transport) {
    UsageEventStore* store = g_store.load();
    if (store == nullptr) return;
    transport.SendEvent(BuildUiClickRecord(store->UsageEventFacts(), env, uitype, action),
                        transport.TrackUrl(), false);
  });
}

void SendLauncherDetailEvent(const UsageEventStore* store, const std::string& actionId,
                             const std::string& speed, const std::string& size,
                             const std::string& downloadTime) {
  if (store == nullptr) return;
  PostRecord([=](UsageEventEnvironment& env, UsageEventTransport& transport) {
    transport.PostJson(BuildLauncherDetailRecord(store->UsageEventFacts(), env,
                                                 transport.SpeedFigures(), actionId, speed, size,
                                                 downloadTime),
                       transport.TrackUrl());
  });
}

void SendInstallAttribution(const UsageEventStore* store, const std::string& eventName,
                            const std::string& value1, const std::string& value2,
                            const std::string& value3) {
  if (store == nullptr) return;
  PostRecord([=](UsageEventEnvironment& env, UsageEventTransport& transport) {
    transport.SendEvent(BuildInstallAttributionQuery(store->UsageEventFacts(), env, eventName,
                                                     value1, value2, value3),
                        transport.AttributionUrl(), true);
  });
}

void SendLauncherEvent(const UsageEventStore* store, const std::string& printInfo,
                       const std::string& speed, const std::string& size,
                       const std::string& actionType, const std::string& step, bool sendNow) {
  if (store == nullptr) return;
  PostRecord([=](UsageEventEnvironment& env, UsageEventTransport& transport) {
    transport.SendEvent(BuildLauncherRecord(store->UsageEventFacts(), env,
                                            transport.SpeedFigures(), printInfo, speed, size,
                                            actionType, step),
                        transport.TrackUrl(), sendNow);
  });
}

void SendSettingEvent(const UsageEventStore* store, const std::string& autostart,
                      const std::string& closeSet, int32_t gameLimit, int32_t preDownloadLimit) {
  if (store == nullptr) return;
  PostRecord([=](UsageEventEnvironment& env, UsageEventTransport& transport) {
    transport.SendEvent(BuildSettingRecord(store->UsageEventFacts(), env, autostart, closeSet,
                                           gameLimit, preDownloadLimit),
                        transport.TrackUrl(), false);
  });
}
