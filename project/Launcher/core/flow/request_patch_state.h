#pragma once
// Fetches the patch list of the flow's current version: every file for which
// a patch from that version exists. Whatever the answer, the downloads
// follow; without a usable list every file is fetched whole.

#include <string>

#include "project/Launcher/core/flow/state.h"

class RequestPatchState : public State {
 public:
  explicit RequestPatchState(int32_t mode) : State(mode) {}

  int32_t TypeId() const override { return kRequestPatchStateId; }
  void Enter(State* previous) override;
  void Update() override;
  void Leave(State*) override {}
  void OnRequestDone(int32_t code, std::string url, std::string body,
                     std::string errorText) override;

 private:
  std::string patchMapKey_;
};
