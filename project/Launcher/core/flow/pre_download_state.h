#pragma once
// The pre-download of the next game version. It runs on the worker beside
// the current update state (the store keeps it apart): it finds the servers
// of the next version, fetches its version map, checks that it follows the
// installed game, and then either only reports that a pre-download is
// offered or fetches every new or changed file (or its patch) into
// "update/predownload/<version>/" under the file's MD5 digest, where the
// game update later takes them from. "predownload_version_map.txt" in that
// folder marks a complete pre-download.

#include <cstdint>
#include <string>
#include <vector>

#include "project/Launcher/core/flow/patch_extension_probe.h"
#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/services/download_task.h"

class LauncherStore;

class PreDownloadState : public State {
 public:
  // The steps, in the order they normally run.
  enum Step : int32_t {
    kIdle = 0,
    kPreDownloadRequest = 1,
    kGateRequest = 2,
    kRemoteMap = 3,
    kPatchList = 4,
    kDownloads = 5,
    kFinish = 6,
    kFailed = 7,
  };

  PreDownloadState() = default;

  int32_t TypeId() const override { return kPreDownloadStateId; }
  void Enter(State* previous) override;
  void Update() override;
  // Busy while a step is to be taken or its downloads are to be watched;
  // otherwise it waits for an answer posted to the worker.
  bool HasWork() const override { return result != 0 || step_ == kDownloads; }
  void Leave(State* next) override;
  void OnFileDone(int32_t code, std::string url, std::string errorText) override;
  void OnRequestDone(int32_t code, std::string url, std::string body,
                     std::string errorText) override;
  void OnProbeDone(int32_t code, std::string url, bool exists, std::string errorText) override;
  void OnProgress(double bytesPerSecond) override;

  int32_t step() const { return step_; }
  int32_t pendingFiles() const { return pendingFiles_; }
  bool hasFiles() const { return hasFiles_; }

 private:
  void Request(const std::string& path, const std::vector<std::string>& servers);
  // Fails the pre-download: State::Fail, and the failed step.
  void FailStep(int32_t code, std::string text, std::string detailText);
  void OnRemoteMap(const std::string& body);
  void StartDownloads();
  void QueueDownloads(bool patchesOffered);
  void CheckCompletion();
  void Finish();
  void HandleFailure();

  int32_t step_ = kIdle;
  int32_t pendingFiles_ = 0;
  bool hasFiles_ = false;
  std::string folder_;       // the version's pre-download folder, with "/"
  PatchExtensionProbe probe_;
  bool queued_ = false;      // transfers of this state were queued
};

// "pre_download?channel=KOREA&udid=<device>", white space removed and the
// device identifier percent-encoded.
std::string BuildPreDownloadUrl(const std::string& deviceId);

// The base URLs under "KOREA_pc_addr" of the document in "info" (a string, or
// the first element of an array). True when there is at least one.
bool ParsePreDownloadReply(const std::string& text, std::vector<std::string>* servers,
                           std::string* error);

// The gate's "DlcAddr" servers and, with |withOthers|, the "PreDlcAddr"
// servers of the document in "Others" (left empty when that is missing).
// False when the text is not JSON or names no "DlcAddr".
bool ParseGateDlcAddr(const std::string& text, std::vector<std::string>* servers,
                      std::vector<std::string>* preDownloadServers, std::string* error,
                      bool withOthers);

// Ends the running pre-download (its transfers stop): at once when
// |immediately| (callers on the worker), else in a task of the worker.
void StopPreDownload(LauncherStore& store, bool immediately);

// The download manager's callbacks of the pre-download: delivered to the
// store's pre-download state when the job token is that state's.
FileDoneCallback RoutePreDownloadFileDone();
ProgressCallback RoutePreDownloadProgress();
MemoryDoneCallback RoutePreDownloadRequestDone();
ProbeDoneCallback RoutePreDownloadProbeDone();
