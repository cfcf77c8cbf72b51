#include "project/Launcher/core/store_state_machine.h"

#include <cstdio>
#include <utility>

#include "project/Launcher/core/flow/state.h"
#include "project/Launcher/services/download_manager.h"

namespace {

std::function<void(const std::string&)> DefaultTrace() {
#ifdef NDEBUG
  return nullptr;
#else
  return [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
#endif
}

std::string Describe(const State* state) {
  if (!state) return "none";
  return std::string(StateName(state->TypeId())) + (state->IsGameFlow() ? "(game)" : "(launcher)");
}

}  // namespace

StoreStateMachine::StoreStateMachine(std::function<void()> changed)
    : changed_(std::move(changed)), trace_(DefaultTrace()) {}

StoreStateMachine::~StoreStateMachine() = default;

std::unique_ptr<State> StoreStateMachine::MakeFirstState(int32_t mode) const {
  return firstStateFactory_ ? firstStateFactory_(mode) : nullptr;
}

bool StoreStateMachine::ChangeState(std::unique_ptr<State> next) {
  const int32_t oldId = current_ ? current_->TypeId() : -1;
  const int32_t newId = next ? next->TypeId() : -1;
  if (oldId == newId) {
    // The same step again is refused unless it is the other flow's (a game
    // check replaces a launcher check); nothing to nothing is no change.
    if (!current_ || !next) return false;
    if (current_->IsGameFlow() == next->IsGameFlow()) return false;
  }
  Trace(current_.get(), next.get());
  if (current_) current_->Leave(next.get());
  std::unique_ptr<State> old = std::move(current_);
  current_ = std::move(next);
  if (changed_) changed_();
  if (current_) current_->Enter(old.get());
  // |old| is destroyed here, after the new state's Enter.
  return true;
}

void StoreStateMachine::Stop() {
  if (!current_) return;
  current_->Leave(nullptr);
  current_.reset();
}

void StoreStateMachine::BeginFlow(std::unique_ptr<State> first, bool enterGame) {
  if (!first) return;
  const bool requested = enterGame && first->IsGameFlow();
  const bool before = flowEntersGame_;
  // Set before the first state's entry, which may already end the flow.
  flowEntersGame_ = requested;
  // Refused: the same step of the same flow runs on and takes the request.
  if (!ChangeState(std::move(first))) flowEntersGame_ = before || requested;
}

bool StoreStateMachine::TakeEnterGameRequest() { return std::exchange(flowEntersGame_, false); }

void StoreStateMachine::Trace(const State* from, const State* to) const {
  if (trace_) trace_("state " + Describe(from) + " -> " + Describe(to));
}

void StoreStateMachine::RouteFileDone(int32_t token, int32_t code, std::string url,
                                      std::string errorText) {
  if (current_ && current_->JobToken() == token) {
    current_->OnFileDone(code, std::move(url), std::move(errorText));
  }
}

void StoreStateMachine::RouteRequestDone(int32_t token, int32_t code, std::string url,
                                         const char* body, int64_t length, std::string errorText) {
  if (!current_ || current_->JobToken() != token) return;
  std::string copy;
  if (body && length > 0) copy.assign(body, static_cast<size_t>(length));
  current_->OnRequestDone(code, std::move(url), std::move(copy), std::move(errorText));
}

void StoreStateMachine::RouteProbeDone(int32_t token, int32_t code, std::string url, bool exists,
                                       std::string errorText) {
  if (current_ && current_->JobToken() == token) {
    current_->OnProbeDone(code, std::move(url), exists, std::move(errorText));
  }
}

void StoreStateMachine::RouteProgress(int32_t token, double bytesPerSecond) {
  if (current_ && current_->JobToken() == token && current_->TypeId() == kDownloadFilesStateId) {
    DownloadManager::GetInstance().AddSpeedSample(bytesPerSecond);
  }
}
