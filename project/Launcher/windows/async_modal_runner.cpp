#include "project/Launcher/windows/async_modal_runner.h"

#include <utility>

namespace jov_comp {

AsyncModalRunner::AsyncModalRunner(Delegate* delegate) : delegate_(delegate) {}

AsyncModalRunner::~AsyncModalRunner() {
  RequestEnd();
  // Joined before the dialog goes: Run may still be using it.
  Join();
  dialog_.reset();
}

void AsyncModalRunner::SetDialog(std::unique_ptr<ModalWndBase> dialog) {
  dialog_ = std::move(dialog);
}

void AsyncModalRunner::ClearDelegate() {
  std::lock_guard<std::mutex> hold(delegate_lock_);
  delegate_ = nullptr;
}

void AsyncModalRunner::RequestEnd() {
  if (!running_ || end_requested_) return;
  end_requested_ = true;
  if (dialog_) dialog_->EndModal();
}

bool AsyncModalRunner::WaitForRunEnd(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> hold(finish_lock_);
  return finished_cv_.wait_for(hold, limit, [this] { return finished_; });
}

void AsyncModalRunner::Run() {
  if (dialog_) dialog_->RunModal();
  {
    std::lock_guard<std::mutex> hold(delegate_lock_);
    if (delegate_ != nullptr) delegate_->OnThreadWillExit(this);
  }
  std::lock_guard<std::mutex> hold(finish_lock_);
  finished_ = true;
  finished_cv_.notify_all();
}

}  // namespace jov_comp
