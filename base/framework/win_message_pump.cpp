#include "base/framework/win_message_pump.h"

#include "base/time/task_time_clock.h"

namespace kbase {

void WinMessagePump::RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher) {
  RunState state;
  state.run_depth = state_ ? state_->run_depth + 1 : 1;
  state.delegate = delegate;
  state.dispatcher = dispatcher;
  RunState* previous = state_;
  state_ = &state;
  RunLoop(delegate);
  state_ = previous;
}

void WinMessagePump::Quit() {
  if (state_)
    state_->should_quit = true;
}

int64_t WinMessagePump::GetCurrentDelay() const {
  if (delayed_work_time_ == 0)
    return -1;
  int64_t delay = delayed_work_time_ - TaskTimeClock::Now();
  return delay < 0 ? 0 : delay;
}

}  // namespace kbase
