#include "base/framework/ui_message_loop.h"

#include <memory>

#include "base/framework/win_ui_message_pump.h"

namespace kbase {

UIMessageLoop::UIMessageLoop()
    : MessageLoop(kUIMessageLoop, std::make_shared<WinUIMessagePump>()) {}

UIMessageLoop::~UIMessageLoop() = default;

void UIMessageLoop::Run() {
  const RunState* state = run_state();
  if (state && state->dispatcher)
    ui_pump()->RunWithDispatcher(this, state->dispatcher);
  else
    ui_pump()->Run(this);
}

UIMessageLoop* UIMessageLoop::Current() {
  MessageLoop* loop = MessageLoop::Current();
  return loop && loop->IsType(kUIMessageLoop) ? static_cast<UIMessageLoop*>(loop) : nullptr;
}

WinUIMessagePump* UIMessageLoop::ui_pump() const { return static_cast<WinUIMessagePump*>(pump()); }

}  // namespace kbase
