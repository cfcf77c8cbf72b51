#pragma once

#include "platform/message/message_types.h"

namespace kbase {

// Handles every window message of a UI loop's run in place of
// TranslateMessage/DispatchMessage; returning false ends the run after the
// message. Known to the pumps as WinMessagePump::Dispatcher.
class WinMessagePumpDispatcher {
 public:
  virtual ~WinMessagePumpDispatcher() = default;
  virtual bool Dispatch(const platform::MSG& message) = 0;
};

}  // namespace kbase
