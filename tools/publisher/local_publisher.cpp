#include "tools/publisher/local_publisher.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <json/json.h>

namespace publisher {

namespace fs = std::filesystem;

namespace {

constexpr char kTrackToken[] = "0123456789abcdef01234567";

std::string CompactJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  return Json::writeString(builder, value);
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The version before |version| in |versions|, empty for the first.
std::string VersionBefore(const std::vector<std::string>& versions, const std::string& version) {
  auto it = std::find(versions.begin(), versions.end(), version);
  if (it == versions.end() || it == versions.begin()) return {};
  return *(it - 1);
}

}  // namespace

LocalPublisher::LocalPublisher(GeneratedContent content) : content_(std::move(content)) {}

LocalPublisher::~LocalPublisher() { Stop(); }

bool LocalPublisher::Start(uint16_t port, const std::string& certFile, const std::string& keyFile) {
  if (!server_.Start(port, certFile, keyFile)) return false;
  RefreshMirror();
  return true;
}

void LocalPublisher::Stop() { server_.Stop(); }

std::string LocalPublisher::BaseUrl() const { return server_.BaseUrl() + "/"; }

std::string LocalPublisher::TrackUrl() const {
  return BaseUrl() + "track/json_track?token=" + kTrackToken;
}

void LocalPublisher::ServeGameVersion(const std::string& version) {
  gameVersion_ = version;
  RefreshMirror();
}

void LocalPublisher::ServeLauncherVersion(const std::string& version) {
  launcherVersion_ = version;
  RefreshMirror();
}

void LocalPublisher::ServePreDownloadVersion(const std::string& version) {
  preDownloadVersion_ = version;
  RefreshMirror();
}

void LocalPublisher::SetPatchExtension(const std::string& extension) {
  patchExtension_ = extension;
  RefreshFaults();
}

void LocalPublisher::SetGateOptions(const GateOptions& options) {
  gateOptions_ = options;
  RefreshMirror();
}

void LocalPublisher::SetFault(const std::string& path, const testsrv::Fault& fault) {
  userFaults_[path] = fault;
  server_.SetFault(path, fault);
}

void LocalPublisher::ClearFaults() {
  userFaults_.clear();
  RefreshFaults();
}

std::string LocalPublisher::GateAnswer() const {
  Json::Value dlc(Json::arrayValue);
  if (gateOptions_.dlcAddr.empty()) {
    dlc.append(MirrorUrl());
  } else {
    for (const std::string& url : gateOptions_.dlcAddr) dlc.append(url);
  }
  Json::Value others(Json::objectValue);
  others["DlcAddr"] = dlc;
  others["ActivityAddr"] =
      gateOptions_.activityAddr.empty() ? BaseUrl() + "activity/" : gateOptions_.activityAddr;
  others["PatchOption"] = gateOptions_.patchOption;
  others["PreDlcCheck"] = gateOptions_.preDownloadCheck;
  others["UseWebExtraParam"] = false;
  others["DeleteLogTXT"] = false;
  Json::Value preDlc(Json::arrayValue);
  preDlc.append(PreDownloadUrl());
  others["PreDlcAddr"] = preDlc;
  Json::Value trans(Json::objectValue);
  trans["channel"] = "KOREA";
  others["TransToGame"] = trans;

  Json::Value answer(Json::objectValue);
  answer["DlcAddr"] = dlc;
  if (!gateOptions_.othersAbsent) answer["Others"] = CompactJson(others);
  if (gateOptions_.inlineCdn) {
    answer["CDN"] = ReadText(content_.GameFolder(gameVersion_) + "version_map.txt");
  }
  return CompactJson(answer);
}

std::string LocalPublisher::SettingJson(bool withDlcUrls) const {
  Json::Value setting(Json::objectValue);
  Json::Value gates(Json::arrayValue);
  gates.append(BaseUrl());
  setting["GateURLs"] = gates;
  setting["TrackURL"] = TrackUrl();
  if (withDlcUrls) {
    Json::Value dlc(Json::arrayValue);
    dlc.append(MirrorUrl());
    setting["DlcURLs"] = dlc;
  }
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "\t";
  return Json::writeString(builder, setting) + "\n";
}

void LocalPublisher::ServeTree(const std::string& urlPrefix, const std::string& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return;
  for (auto it = fs::recursive_directory_iterator(folder, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string relative = fs::relative(it->path(), folder, ec).generic_string();
    const std::string path = urlPrefix + relative;
    server_.AddFile(path, testsrv::MakeDiskContent(it->path().string()));
    servedPaths_.push_back(path);
  }
}

void LocalPublisher::RefreshMirror() {
  for (const std::string& path : servedPaths_) server_.RemoveFile(path);
  servedPaths_.clear();

  ServeTree("/dlc/", content_.GameFolder(gameVersion_));
  const std::string gameBefore = VersionBefore(content_.gameVersions, gameVersion_);
  if (!gameBefore.empty()) {
    ServeTree("/dlc/patchs/" + gameBefore + "/", content_.GamePatchFolder(gameBefore));
  }
  ServeTree("/dlc/", content_.LauncherFolder(launcherVersion_));
  const std::string launcherBefore = VersionBefore(content_.launcherVersions, launcherVersion_);
  if (!launcherBefore.empty()) {
    ServeTree("/dlc/patchs/" + LauncherPatchFolderName(launcherBefore) + "/",
              content_.LauncherPatchFolder(launcherBefore));
  }
  ServeTree("/predl/", content_.GameFolder(preDownloadVersion_));
  const std::string preBefore = VersionBefore(content_.gameVersions, preDownloadVersion_);
  if (!preBefore.empty()) {
    ServeTree("/predl/patchs/" + preBefore + "/", content_.GamePatchFolder(preBefore));
  }

  server_.AddFile("/get/urls", testsrv::MakeStringContent(GateAnswer()));
  Json::Value info(Json::objectValue);
  Json::Value servers(Json::arrayValue);
  servers.append(PreDownloadUrl());
  info["KOREA_pc_addr"] = servers;
  Json::Value preDownload(Json::objectValue);
  preDownload["info"] = CompactJson(info);
  server_.AddFile("/pre_download", testsrv::MakeStringContent(CompactJson(preDownload)));
  server_.AddFile("/ip", testsrv::MakeStringContent("127.0.0.1\n"));
  server_.AddFile("/track/json_track", testsrv::MakeStringContent("{}"));
  server_.AddFile("/v1/adjust", testsrv::MakeStringContent("{}"));
  server_.AddFile("/activity/", testsrv::MakeStringContent("<html><body>activity</body></html>"));
  RefreshFaults();
}

void LocalPublisher::RefreshFaults() {
  server_.ClearFaults();
  // Patches are written under both extensions; the one not offered is 404.
  const std::string hidden = patchExtension_ == ".patch" ? ".ovdiff" : ".patch";
  for (const std::string& path : servedPaths_) {
    if (path.size() > hidden.size() &&
        path.compare(path.size() - hidden.size(), hidden.size(), hidden) == 0 &&
        path.find("/patchs/") != std::string::npos) {
      testsrv::Fault missing;
      missing.status = 404;
      missing.body = "not found";
      server_.SetFault(path, missing);
    }
  }
  for (const auto& [path, fault] : userFaults_) server_.SetFault(path, fault);
}

std::string RequestJsonLine(const testsrv::RequestRecord& record) {
  Json::Value line(Json::objectValue);
  line["seq"] = static_cast<Json::UInt64>(record.seq);
  line["method"] = record.method;
  line["path"] = record.path;
  line["query"] = record.query;
  line["range"] = record.range;
  line["status"] = record.status;
  line["bytes"] = static_cast<Json::Int64>(record.bytesSent);
  if (!record.body.empty()) line["body"] = record.body;
  return CompactJson(line) + "\n";
}

std::string LocalPublisher::RequestLogJsonLines(uint64_t first) const {
  std::string text;
  for (const testsrv::RequestRecord& record : server_.Requests()) {
    if (record.seq >= first) text += RequestJsonLine(record);
  }
  return text;
}

}  // namespace publisher
