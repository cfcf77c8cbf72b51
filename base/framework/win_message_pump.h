#pragma once
// The common half of the UI and I/O pumps: nested pump runs, quitting, the
// have-work flag that keeps at most one wake-up in flight, and the delay to
// the next delayed task.

#include <atomic>
#include <cstdint>

#include "base/framework/message_pump.h"
#include "base/framework/win_message_pump_dispatcher.h"

namespace kbase {

class WinMessagePump : public MessagePump {
 public:
  using Dispatcher = WinMessagePumpDispatcher;

  void Run(Delegate* delegate) override { RunWithDispatcher(delegate, nullptr); }
  // Runs with |dispatcher| handling every window message of this run.
  void RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher);
  void Quit() override;

 protected:
  struct RunState {
    int run_depth = 1;
    bool should_quit = false;
    Delegate* delegate = nullptr;
    Dispatcher* dispatcher = nullptr;
  };

  bool QuitRequested() const override { return state_->should_quit; }

  // Microseconds until the next delayed task: -1 when there is none, 0 when
  // it is due.
  int64_t GetCurrentDelay() const;

  // 1 while a wake-up is in flight; changed only by atomic exchange.
  std::atomic<int> have_work_{0};
  RunState* state_ = nullptr;
};

}  // namespace kbase
