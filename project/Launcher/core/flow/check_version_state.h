#pragma once
// Compares the local version map with the remote one: the files to download
// go to the flow's update map. An interrupted game update resumes through the
// apply list; the disk space is checked before a game update; when nothing
// changed the fetched map becomes the installed one and the flow goes idle.

#include <memory>
#include <string>
#include <vector>

#include "project/Launcher/core/flow/state.h"

class CheckVersionState : public State {
 public:
  explicit CheckVersionState(int32_t mode) : State(mode) {}

  int32_t TypeId() const override { return kCheckVersionStateId; }
  void Enter(State* previous) override;
  void Update() override;
  void Leave(State* next) override;

  const std::vector<std::string>& removedFiles() const { return removedFiles_; }

 private:
  void ResumeFromApplyList();
  void DropRemovedSkinPackage();
  void StartTransfers();
  void AdoptRemoteMap();

  std::string localMapKey_;
  std::string remoteMapKey_;
  std::string updateMapKey_;
  std::string remoteMapPath_;
  std::string localMapPath_;
  std::vector<std::string> removedFiles_;
  bool decided_ = false;
};
