#pragma once
// The UI thread's pump: window messages and tasks share one thread. It owns a
// message-only window on the thread's queue; a posted work message wakes it
// for tasks, and a window timer wakes delayed work also while a foreign modal
// loop is dispatching the thread's messages. Its own wait uses the exact time
// to the next delayed task.

#include "base/framework/win_message_pump.h"
#include "platform/message/message_types.h"

namespace kbase {

class WinUIMessagePump : public WinMessagePump {
 public:
  // The work message, posted to the pump's window: wParam = the pump.
  static constexpr platform::UINT kMsgHaveWork = platform::WM_USER + 1;
  // The code a message is offered to the message-filter hooks with.
  static constexpr int kMessageFilterCode = 0x5001;

  WinUIMessagePump();
  ~WinUIMessagePump() override;

  void SignalWork() override;
  void SignalDelayedWork(int64_t delayed_work_time) override;

  platform::HWND message_hwnd() const { return message_hwnd_; }

 private:
  static platform::LRESULT WndProcThunk(platform::HWND hwnd, platform::UINT message,
                                        platform::WPARAM wparam, platform::LPARAM lparam);
  platform::UINT_PTR TimerId() const;
  bool RunNativeWork() override;
  void OnDelayedWorkRan(bool more_work_is_plausible) override;
  void WaitForMoreWork() override;
  void HandleWorkMessage();
  void HandleTimerMessage();
  bool ProcessNextWindowsMessage();
  bool ProcessMessageHelper(const platform::MSG& message);
  bool ProcessPumpReplacementMessage();

  platform::HWND message_hwnd_ = nullptr;
};

}  // namespace kbase
