#pragma once
// Learns which extension the mirrors give the patches of a job: asks for one
// patch the job needs as ".patch", then as ".ovdiff". The extension found is
// set process-wide (flow_helpers.h); when neither is there, the listed
// patches are not offered and the job's files are fetched whole.

#include <cstdint>
#include <string>

#include "project/Launcher/services/download_task.h"

class LauncherStore;

class PatchExtensionProbe {
 public:
  enum class Outcome {
    kAsked,       // the other extension is being asked for
    kNotAsked,    // no request could go out (no mirror)
    kFound,       // the extension is set
    kNotOffered,  // neither extension is there
    kFailed,      // the request failed
  };

  // Asks for |file|'s patch in the patch folder of the flow |mode|; the
  // answer comes to |done| with |token|. kAsked or kNotAsked.
  Outcome Start(const LauncherStore& store, int32_t mode, std::string file, ProbeDoneCallback done,
                int32_t token);
  // The answer to the last request; on a missing ".patch" the ".ovdiff" is
  // asked for.
  Outcome OnProbeDone(const LauncherStore& store, int32_t code, bool exists);
  // The URL last asked for.
  const std::string& url() const { return url_; }

 private:
  Outcome Ask(const LauncherStore& store, bool ovdiff);

  int32_t mode_ = 0;
  std::string file_;
  ProbeDoneCallback done_;
  int32_t token_ = 0;
  bool ovdiff_ = false;
  std::string url_;
};
