#pragma once
// Where a failed game flow ends: the failure is shown with a retry offer and
// the state waits for the user. Retrying starts a new game check; cancelling
// leaves this state current until the main button, the tray or a repair
// starts another flow.

#include <string>

#include "project/Launcher/core/flow/state.h"

class ExceptionState : public State {
 public:
  ExceptionState(int32_t code, std::string text, std::string detailText, bool retry);

  int32_t TypeId() const override { return kExceptionStateId; }
  void Enter(State* previous) override;
  void Update() override {}
  // The error box's answer arrives as a task posted to the worker.
  bool HasWork() const override { return false; }
  void Leave(State*) override {}

  int32_t offerRetry = 0;
};
