#include "project/Launcher/core/flow/patch_extension_probe.h"

#include "project/Launcher/core/flow/flow_helpers.h"
#include "project/Launcher/services/download_manager.h"

PatchExtensionProbe::Outcome PatchExtensionProbe::Start(const LauncherStore& store, int32_t mode,
                                                        std::string file, ProbeDoneCallback done,
                                                        int32_t token) {
  mode_ = mode;
  file_ = std::move(file);
  done_ = std::move(done);
  token_ = token;
  return Ask(store, false);
}

PatchExtensionProbe::Outcome PatchExtensionProbe::OnProbeDone(const LauncherStore& store,
                                                              int32_t code, bool exists) {
  if (code < 0) return Outcome::kFailed;
  if (exists) {
    SetPatchExtensionOvdiff(ovdiff_);
    return Outcome::kFound;
  }
  if (!ovdiff_) return Ask(store, true);
  return Outcome::kNotOffered;
}

PatchExtensionProbe::Outcome PatchExtensionProbe::Ask(const LauncherStore& store, bool ovdiff) {
  ovdiff_ = ovdiff;
  url_ = MakePatchUrl(store, mode_, file_ + (ovdiff ? ".ovdiff" : ".patch"));
  const bool asked =
      DownloadManager::GetInstance().ProbeRemoteFile(url_, std::string(), done_, token_);
  return asked ? Outcome::kAsked : Outcome::kNotAsked;
}
