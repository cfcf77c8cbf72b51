#pragma once
// Decides per file between the whole file and its patch, takes over files a
// pre-download already fetched (after checking their digest), queues the
// rest with the download manager into the "update" folder, and waits until
// every queued file has reported success.

#include <string>

#include "project/Launcher/core/flow/patch_extension_probe.h"
#include "project/Launcher/core/flow/state.h"

class DownloadFilesState : public State {
 public:
  explicit DownloadFilesState(int32_t mode) : State(mode) {}

  int32_t TypeId() const override { return kDownloadFilesStateId; }
  void Enter(State* previous) override;
  void Update() override;
  void Leave(State* next) override;
  void OnFileDone(int32_t code, std::string url, std::string errorText) override;
  void OnProbeDone(int32_t code, std::string url, bool exists, std::string errorText) override;

  int32_t queuedFiles() const { return queuedFiles_; }
  int32_t doneFiles() const { return doneFiles_; }

 private:
  // The first file of the update map that has a patch; empty when none.
  std::string FirstPatchedFile() const;
  void OnProbeOutcome(PatchExtensionProbe::Outcome outcome);
  void StartDownloads();

  PatchExtensionProbe probe_;
  bool patchesOffered_ = true;
  int32_t queuedFiles_ = 0;
  int32_t doneFiles_ = 0;
};

// Takes the pre-downloaded copy named |md5| in |preDownloadFolder| over as
// |name| in |targetFolder|: true when the file now lies there complete, with
// the digest |md5|. An incomplete copy is moved with its resume record (the
// download then resumes from it) and gives false; a complete copy whose
// digest is wrong is not taken.
bool TakePreDownloadedFile(const std::string& preDownloadFolder, const std::string& targetFolder,
                           const std::string& name, const std::string& md5);
