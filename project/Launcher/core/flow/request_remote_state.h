#pragma once
// Fetches the server's version map of the flow from the download servers and
// keeps a copy of it as the flow's "tmp_" map file; then the version check.

#include <string>

#include "project/Launcher/core/flow/state.h"

class RequestRemoteState : public State {
 public:
  explicit RequestRemoteState(int32_t mode) : State(mode) {}

  int32_t TypeId() const override { return kRequestRemoteStateId; }
  void Enter(State* previous) override;
  void Update() override;
  void Leave(State*) override {}
  void OnRequestDone(int32_t code, std::string url, std::string body,
                     std::string errorText) override;

 private:
  std::string remoteMapKey_;
  std::string remoteMapPath_;
};
