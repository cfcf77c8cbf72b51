#include "base/framework/win_ui_message_pump.h"

#include <algorithm>

#include "platform/message/message_api.h"

namespace kbase {

namespace {

// The shortest period a window timer has.
constexpr int64_t kMinTimerMilliseconds = 10;
constexpr int64_t kMaxTimerMilliseconds = 4294967294;

}  // namespace

WinUIMessagePump::WinUIMessagePump() {
  message_hwnd_ = platform::CreateMessageWindow(&WndProcThunk);
  platform::SetWindowLongPtr(message_hwnd_, platform::GWLP_USERDATA,
                             reinterpret_cast<platform::LONG_PTR>(this));
}

WinUIMessagePump::~WinUIMessagePump() {
  platform::KillTimer(message_hwnd_, TimerId());
  platform::DestroyWindow(message_hwnd_);
}

platform::UINT_PTR WinUIMessagePump::TimerId() const {
  return reinterpret_cast<platform::UINT_PTR>(this);
}

platform::LRESULT WinUIMessagePump::WndProcThunk(platform::HWND hwnd, platform::UINT message,
                                                 platform::WPARAM wparam,
                                                 platform::LPARAM lparam) {
  auto* pump = reinterpret_cast<WinUIMessagePump*>(
      platform::GetWindowLongPtr(hwnd, platform::GWLP_USERDATA));
  if (pump) {
    if (message == kMsgHaveWork)
      pump->HandleWorkMessage();
    else if (message == platform::WM_TIMER && wparam == pump->TimerId())
      pump->HandleTimerMessage();
  }
  return platform::DefWindowProc(hwnd, message, wparam, lparam);
}

void WinUIMessagePump::SignalWork() {
  if (have_work_.exchange(1))
    return;  // a work message is already in flight
  // A full queue refuses the message; clearing the flag lets the next signal
  // try again (the pump, busy with that queue, runs tasks at every turn).
  if (!platform::PostMessage(message_hwnd_, kMsgHaveWork,
                             reinterpret_cast<platform::WPARAM>(this), 0))
    have_work_.exchange(0);
}

void WinUIMessagePump::SignalDelayedWork(int64_t delayed_work_time) {
  delayed_work_time_ = delayed_work_time;
  int64_t delay = GetCurrentDelay();
  // Round up to whole milliseconds: the timer never fires early.
  int64_t milliseconds = (delay + 999) / 1000;
  milliseconds = std::clamp(milliseconds, kMinTimerMilliseconds, kMaxTimerMilliseconds);
  platform::SetTimer(message_hwnd_, TimerId(),
                     static_cast<platform::UINT>(std::min<int64_t>(milliseconds, platform::USER_TIMER_MAXIMUM)),
                     nullptr);
}

bool WinUIMessagePump::RunNativeWork() { return ProcessNextWindowsMessage(); }

void WinUIMessagePump::OnDelayedWorkRan(bool more_work_is_plausible) {
  // Nothing delayed left: the window timer has nothing to wake.
  if (more_work_is_plausible && delayed_work_time_ == 0)
    platform::KillTimer(message_hwnd_, TimerId());
}

void WinUIMessagePump::WaitForMoreWork() {
  // Sleeps until a message arrives (a work message included), an event
  // source has input, or the next delayed task is due, to the microsecond.
  platform::WaitForQueueInput(delayed_work_time_);
}

void WinUIMessagePump::HandleWorkMessage() {
  // Outside our own runs (a foreign modal loop, or after the loop ended)
  // only the flag is cleared; the next post signals again.
  if (!state_) {
    have_work_.exchange(0);
    return;
  }
  ProcessPumpReplacementMessage();
  if (state_->delegate->RunWork())
    SignalWork();
}

void WinUIMessagePump::HandleTimerMessage() {
  platform::KillTimer(message_hwnd_, TimerId());
  if (!state_)
    return;
  state_->delegate->RunDelayedWork(&delayed_work_time_);
  if (delayed_work_time_ != 0)
    SignalDelayedWork(delayed_work_time_);
}

bool WinUIMessagePump::ProcessNextWindowsMessage() {
  platform::MSG message;
  if (platform::PeekMessage(&message, nullptr, 0, 0, platform::PM_REMOVE))
    return ProcessMessageHelper(message);
  return false;
}

bool WinUIMessagePump::ProcessMessageHelper(const platform::MSG& message) {
  if (message.message == platform::WM_QUIT) {
    // End this run, and leave the quit for the run (or loop) outside it.
    state_->should_quit = true;
    platform::PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (message.message == kMsgHaveWork && message.hwnd == message_hwnd_)
    return ProcessPumpReplacementMessage();

  platform::MSG filtered = message;
  if (platform::CallMsgFilter(&filtered, kMessageFilterCode))
    return true;  // a hook took it

  if (state_->dispatcher) {
    if (!state_->dispatcher->Dispatch(message))
      state_->should_quit = true;
  } else {
    platform::TranslateMessage(&message);
    platform::DispatchMessage(&message);
  }
  return true;
}

bool WinUIMessagePump::ProcessPumpReplacementMessage() {
  // The work message was consumed; let one real message through in its
  // place so that a stream of tasks cannot starve the windows.
  platform::MSG message;
  bool have_message = platform::PeekMessage(&message, nullptr, 0, 0, platform::PM_REMOVE);
  have_work_.exchange(0);
  if (!have_message)
    return false;
  // More tasks may be waiting behind the message: wake again for them.
  SignalWork();
  return ProcessMessageHelper(message);
}

}  // namespace kbase
