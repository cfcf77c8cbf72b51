// The local publisher: the publisher's services on 127.0.0.1 over HTTP or
// HTTPS, on the test server, for the end-to-end tests and the demo.
//
//   /get/urls?key=...&udid=...        the gate's answer (JSON)
//   /pre_download?channel=KOREA&...   the pre-download servers
//   /dlc/...                          the mirror: the current game version's
//                                     files and "version_map.txt", the
//                                     launcher's files and map, and
//                                     "patchs/<from>/" with the patch list and
//                                     patches from the version before
//   /predl/...                        the pre-download version, laid out the
//                                     same way
//   /ip                               the address echo ("127.0.0.1")
//   /track/json_track, /v1/adjust     usage events and install attribution
//                                     (logged, answered 200)
//
// Every request is logged; the log can be read as JSON lines. Faults of the
// test server (a status, a dropped connection, a stall, a corrupt byte) can be
// set on any path, and the gate's answer can be shaped (an inline "CDN" map,
// "Others" absent, the patch option).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/publisher/content_generator.h"
#include "tools/test_server/test_server.h"

namespace publisher {

struct GateOptions {
  int patchOption = 2;          // "PatchOption" inside "Others"
  bool inlineCdn = false;       // "CDN": the current game map inline
  bool othersAbsent = false;    // no "Others" (the launcher flow fails)
  bool preDownloadCheck = true; // "PreDlcCheck"
  std::vector<std::string> dlcAddr;  // empty: this publisher's "/dlc/"
  std::string activityAddr;     // empty: this publisher's "/activity/"
};

class LocalPublisher {
 public:
  explicit LocalPublisher(GeneratedContent content);
  ~LocalPublisher();
  LocalPublisher(const LocalPublisher&) = delete;
  LocalPublisher& operator=(const LocalPublisher&) = delete;

  // Listens on 127.0.0.1:port (0 = a free port); TLS with a certificate and
  // key. False when the server cannot start.
  bool Start(uint16_t port = 0, const std::string& certFile = {}, const std::string& keyFile = {});
  void Stop();

  // "http://127.0.0.1:PORT/" (or https), with the trailing "/" that gate and
  // mirror base addresses carry.
  std::string BaseUrl() const;
  std::string MirrorUrl() const { return BaseUrl() + "dlc/"; }
  std::string PreDownloadUrl() const { return BaseUrl() + "predl/"; }
  std::string EchoUrl() const { return BaseUrl() + "ip"; }
  std::string TrackUrl() const;
  std::string AttributionUrl() const { return BaseUrl() + "v1/adjust"; }

  // The game version the mirror serves (with the patches from the version
  // before it) and the launcher version; the pre-download version.
  void ServeGameVersion(const std::string& version);
  void ServeLauncherVersion(const std::string& version);
  void ServePreDownloadVersion(const std::string& version);
  const std::string& gameVersion() const { return gameVersion_; }

  // Patches are offered under this extension only (".patch" or ".ovdiff");
  // the other one answers 404.
  void SetPatchExtension(const std::string& extension);

  void SetGateOptions(const GateOptions& options);
  const GateOptions& gateOptions() const { return gateOptions_; }
  // The gate's answer as it is served now.
  std::string GateAnswer() const;

  // A fault on a path of the server ("/dlc/KVOR.exe"); kept until cleared.
  void SetFault(const std::string& path, const testsrv::Fault& fault);
  void ClearFaults();

  // The contents of "setting.json" that point a launcher at this publisher:
  // "GateURLs" and "TrackURL", and "DlcURLs" when asked.
  std::string SettingJson(bool withDlcUrls) const;

  testsrv::TestServer& server() { return server_; }
  const GeneratedContent& content() const { return content_; }
  std::vector<testsrv::RequestRecord> Requests() const { return server_.Requests(); }
  // The requests from |first| on (by sequence number), one JSON object a line.
  std::string RequestLogJsonLines(uint64_t first = 0) const;

 private:
  void ServeTree(const std::string& urlPrefix, const std::string& folder);
  void RefreshMirror();
  void RefreshFaults();
  std::string PatchPathPrefix() const;

  GeneratedContent content_;
  testsrv::TestServer server_;
  GateOptions gateOptions_;
  std::string gameVersion_ = kGameVersion2;
  std::string launcherVersion_ = kLauncherVersionNew;
  std::string preDownloadVersion_ = kGameVersion3;
  std::string patchExtension_ = ".patch";
  std::vector<std::string> servedPaths_;
  std::map<std::string, testsrv::Fault> userFaults_;
};

// One request as a JSON object on one line.
std::string RequestJsonLine(const testsrv::RequestRecord& record);

}  // namespace publisher
