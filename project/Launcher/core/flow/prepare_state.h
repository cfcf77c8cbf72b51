#pragma once
// The first state of both flows: stops a running pre-download, lists the
// local files whose digests must be computed, and asks the gate for the
// download servers and the flow's settings. Its Update hashes the listed
// files into the local version map and moves on to the remote map request,
// to the version check (when the gate sent the game's map inline), or to the
// flow's failure state.

#include <string>
#include <vector>

#include "project/Launcher/core/flow/state.h"

// The longest failure detail kept in the text; a longer answer is kept in
// "exception/response.txt" instead.
inline constexpr size_t kMaxDetailLength = 128;
inline constexpr char kResponseFileSentence[] =
    "The information has been saved to file:exception/response.txt";

class PrepareState : public State {
 public:
  explicit PrepareState(int32_t mode);

  int32_t TypeId() const override { return kPrepareStateId; }
  void Enter(State* previous) override;
  void Update() override;
  void Leave(State* next) override;
  void OnRequestDone(int32_t code, std::string url, std::string body,
                     std::string errorText) override;

  bool inlineMap() const { return inlineMap_; }
  int32_t totalFiles() const { return totalFiles_; }

 private:
  void ListLauncherFiles();
  void ListGameFiles();
  void StopPreDownload();
  void OnLauncherGateReply(int32_t code, const std::string& body);
  void OnGameGateReply(int32_t code, const std::string& url, const std::string& body,
                       const std::string& errorText);
  // detail := the answer, or the response-file sentence when it is long.
  std::string AnswerAsDetail(const std::string& body);

  std::string localMapKey_;
  std::string remoteMapKey_;
  std::string localMapPath_;
  std::string remoteMapPath_;
  std::string rootFolder_;
  bool inlineMap_ = false;
  int32_t totalFiles_ = 0;
  std::vector<std::string> pendingFiles_;
};
