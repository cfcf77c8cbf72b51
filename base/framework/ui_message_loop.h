#pragma once
// The UI thread's loop: tasks and window messages on one thread, through the
// UI pump. A run whose run state carries a dispatcher hands it every message.

#include "base/framework/message_loop.h"

namespace kbase {

class WinUIMessagePump;

class UIMessageLoop : public MessageLoop {
 public:
  UIMessageLoop();
  ~UIMessageLoop() override;

  void Run() override;

  static UIMessageLoop* Current();
  WinUIMessagePump* ui_pump() const;
};

}  // namespace kbase
