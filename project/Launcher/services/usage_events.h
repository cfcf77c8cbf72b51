// Usage events and the install-attribution request: the five builders any
// thread may call, and the records they build on the worker thread. Every
// figure of a record (store fields, download statistics, date and time) is
// read when the worker builds it, not at the call.
//
// The builders reach the launcher store, the machine and the transport
// through three interfaces registered once at start-up, so the records can be
// built and checked without a network or a running launcher.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What a record reads of the launcher store.
struct UsageEventStoreFacts {
  std::string installPackageType;
  std::string languageCode;
  std::string publicAddress;
  std::string gid;
  std::string localGameVersion;
  std::string remoteGameVersion;
  std::string downloadingGameVersion;
  std::string preDownloadVersion;
  // ComparePreDownloadVersion of the pre-download, local and remote game
  // versions: 1 when the pre-download applies to the installed game.
  int32_t preDownloadComparison = 0;
  std::u16string gamePath;
  int32_t downloadSpeedSetting = 0;  // the game limit's value, on or off
};

class UsageEventStore {
 public:
  virtual ~UsageEventStore() = default;
  // Called on the worker thread when a record is built.
  virtual UsageEventStoreFacts UsageEventFacts() const = 0;
};

// What a record reads of the machine and of the running launcher.
class UsageEventEnvironment {
 public:
  virtual ~UsageEventEnvironment() = default;
  virtual std::string MachineGuid() = 0;
  virtual std::string DeviceId() = 0;
  // "%4d-%02d-%02d" and "%02d:%02d:%02d" of the current UTC time.
  virtual void UtcDateTime(std::string* date, std::string* time) = 0;
  // Whole seconds since 1970-01-01 UTC.
  virtual int64_t UnixTimeSeconds() = 0;
  virtual std::string CpuName() = 0;
  virtual std::string OsVersion() = 0;
  virtual std::string ProductName() = 0;
  // The two-letter country of the system's locale; none when unknown.
  virtual std::optional<std::string> Country() = 0;
  virtual std::u16string ModuleDirectory() = 0;
  // The language the UI framework runs with.
  virtual std::u16string UiLanguage() = 0;
  virtual bool IsGameRunning() = 0;
  // Bytes the user may still write on the drive of |path|; none when unknown.
  virtual std::optional<uint64_t> AvailableBytes(const std::u16string& path) = 0;
};

// The download manager's speed statistics.
struct DownloadSpeedFigures {
  int64_t minSpeed = 100000000000;  // bytes per second; the reset value
  int64_t maxSpeed = 0;
  std::string slowestFile;
};

// Where records go: the download manager's event queue and requests.
class UsageEventTransport {
 public:
  virtual ~UsageEventTransport() = default;
  // Runs |task| on the worker thread (dropped when it no longer runs).
  virtual void PostToWorker(std::function<void()> task) = 0;
  virtual void SendEvent(const std::string& body, const std::string& url, bool sendNow) = 0;
  virtual void PostJson(const std::string& body, const std::string& url) = 0;
  virtual std::string TrackUrl() = 0;
  virtual std::string AttributionUrl() = 0;
  virtual DownloadSpeedFigures SpeedFigures() = 0;
};

// Registers the process's store, environment and transport (not owned; they
// must outlive every builder call). Until all three are set, the builders
// drop their records. Passing nulls unregisters.
void SetUsageEventServices(UsageEventStore* store, UsageEventEnvironment* environment,
                           UsageEventTransport* transport);

// The builders. Each posts the building to the worker; none reports failure.
void SendUiClickEvent(const std::string& uitype, const std::string& action);
void SendLauncherDetailEvent(const UsageEventStore* store, const std::string& actionId,
                             const std::string& speed, const std::string& size,
                             const std::string& downloadTime);
void SendInstallAttribution(const UsageEventStore* store, const std::string& eventName,
                            const std::string& value1, const std::string& value2,
                            const std::string& value3);
void SendLauncherEvent(const UsageEventStore* store, const std::string& printInfo,
                       const std::string& speed, const std::string& size,
                       const std::string& actionType, const std::string& step, bool sendNow);
void SendSettingEvent(const UsageEventStore* store, const std::string& autostart,
                      const std::string& closeSet, int32_t gameLimit, int32_t preDownloadLimit);

// The records themselves, as the worker builds them.
std::string BuildUiClickRecord(const UsageEventStoreFacts& store, UsageEventEnvironment& env,
                               const std::string& uitype, const std::string& action);
std::string BuildLauncherDetailRecord(const UsageEventStoreFacts& store,
                                      UsageEventEnvironment& env,
                                      const DownloadSpeedFigures& speeds,
                                      const std::string& actionId, const std::string& speed,
                                      const std::string& size, const std::string& downloadTime);
std::string BuildLauncherRecord(const UsageEventStoreFacts& store, UsageEventEnvironment& env,
                                const DownloadSpeedFigures& speeds, const std::string& printInfo,
                                const std::string& speed, const std::string& size,
                                const std::string& actionType, const std::string& step);
std::string BuildSettingRecord(const UsageEventStoreFacts& store, UsageEventEnvironment& env,
                               const std::string& autostart, const std::string& closeSet,
                               int32_t gameLimit, int32_t preDownloadLimit);
// The attribution query, its values percent-encoded.
std::string BuildInstallAttributionQuery(const UsageEventStoreFacts& store,
                                         UsageEventEnvironment& env, const std::string& eventName,
                                         const std::string& value1, const std::string& value2,
                                         const std::string& value3);

// Percent-encodes everything but the unreserved characters A-Z a-z 0-9 - . _ ~.
std::string PercentEncode(const std::string& value);
// "%.3f" of bytes per second as single-precision float times 2^-20 (MiB/s).
std::string FormatMebibytesPerSecond(int64_t bytesPerSecond);
