#pragma once
// Puts the downloaded files into place. The game flow works through the
// changed files in steps of about one second per worker tick: a file with a
// downloaded patch is patched first and its result checked against the
// version map, then the file is moved from the "update" folder into the game
// folder and recorded in the apply list, so an interrupted update resumes
// with the files not yet moved. At the end the fetched version map becomes
// the installed one. The launcher flow applies everything at once and leaves
// the launcher's own executable, the browser files and the fonts in the
// "update" folder for the self-update copy.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "project/Launcher/core/apply_list.h"
#include "project/Launcher/core/flow/state.h"

class ApplyUpdateState : public State {
 public:
  explicit ApplyUpdateState(int32_t mode) : State(mode) {}

  int32_t TypeId() const override { return kApplyUpdateStateId; }
  void Enter(State* previous) override;
  void Update() override;
  void Leave(State* next) override;

  // The launcher flow's whole apply, run by Enter.
  void ApplyLauncherUpdate();
  // One budgeted step of the game flow, run by Update.
  void ApplyGameStep();

  // The budget of one game step, in microseconds of the process clock; at
  // least one file is handled per step whatever the budget.
  static void SetStepBudgetForTesting(int64_t microseconds);

  int32_t totalFiles = 0;
  std::vector<std::string> pendingFiles;
  std::vector<std::string> failedFiles;
  ApplyList applyList;
};

