#include "platform/message/message_api.h"

#include "platform/message/window_registry.h"
#include "platform/window/window_api.h"

namespace platform {

namespace {

std::shared_ptr<WindowRecord> FindOwnWindow(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = WindowRegistry::Instance().Find(hwnd);
  if (!record || record->queue != MessageQueue::ForCurrentThread())
    return nullptr;
  return record;
}

}  // namespace

HWND CreateMessageWindow(WNDPROC proc) {
  if (!proc)
    return nullptr;
  auto record = std::make_shared<WindowRecord>();
  record->queue = MessageQueue::ForCurrentThread();
  record->proc = proc;
  record->message_only = true;
  return WindowRegistry::Instance().Add(std::move(record));
}

bool DestroyWindow(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = FindOwnWindow(hwnd);
  if (!record || record->destroying.exchange(true))
    return false;
  internal::DestroyOwnedWindows(hwnd);
  WNDPROC proc = record->proc.load();
  proc(hwnd, WM_DESTROY, 0, 0);
  proc(hwnd, WM_NCDESTROY, 0, 0);
  internal::ReleaseWindowState(hwnd);
  WindowRegistry::Instance().Remove(hwnd);
  record->queue->ForgetWindow(hwnd);
  return true;
}

bool IsWindow(HWND hwnd) {
  if (IsForeignWindow(hwnd))
    return internal::ForeignWindowExists(hwnd);
  return WindowRegistry::Instance().Find(hwnd) != nullptr;
}

uint32_t GetWindowThreadId(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = WindowRegistry::Instance().Find(hwnd);
  return record ? record->queue->thread_id() : 0;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  std::shared_ptr<WindowRecord> record = WindowRegistry::Instance().Find(hwnd);
  if (!record)
    return 0;
  switch (index) {
    case GWLP_USERDATA:
      return record->user_data.exchange(value);
    case GWLP_WNDPROC:
      if (value == 0)
        return 0;
      return reinterpret_cast<LONG_PTR>(record->proc.exchange(reinterpret_cast<WNDPROC>(value)));
    default:
      return internal::SetWindowStyleLong(hwnd, index, value);
  }
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  std::shared_ptr<WindowRecord> record = WindowRegistry::Instance().Find(hwnd);
  if (!record)
    return 0;
  switch (index) {
    case GWLP_USERDATA:
      return record->user_data.load();
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(record->proc.load());
    default:
      return internal::GetWindowStyleLong(hwnd, index);
  }
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (IsForeignWindow(hwnd))
    return internal::PostToForeignWindow(hwnd, message, wparam, lparam);
  std::shared_ptr<WindowRecord> record = WindowRegistry::Instance().Find(hwnd);
  if (!record)
    return false;
  MSG msg;
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wparam;
  msg.lParam = lparam;
  return record->queue->Post(msg);
}

void PostQuitMessage(int exit_code) { MessageQueue::ForCurrentThread()->PostQuit(exit_code); }

bool PeekMessage(MSG* message, HWND hwnd, UINT min, UINT max, UINT remove) {
  return MessageQueue::ForCurrentThread()->Peek(message, MessageFilter{hwnd, min, max},
                                                (remove & PM_REMOVE) != 0);
}

int GetMessage(MSG* message, HWND hwnd, UINT min, UINT max) {
  if (hwnd != nullptr && hwnd != kThreadMessagesOnly && !IsWindow(hwnd))
    return -1;
  std::shared_ptr<MessageQueue> queue = MessageQueue::ForCurrentThread();
  MessageFilter filter{hwnd, min, max};
  while (!queue->Peek(message, filter, true))
    queue->WaitForInput(0, filter);
  return message->message == WM_QUIT ? 0 : 1;
}

void WaitMessage() { MessageQueue::ForCurrentThread()->WaitForInput(0); }

bool WaitForQueueInput(int64_t deadline) {
  return MessageQueue::ForCurrentThread()->WaitForInput(deadline);
}

bool TranslateMessage(const MSG* message) {
  switch (message->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return MessageQueue::ForCurrentThread()->Translate(*message);
    default:
      return false;
  }
}

LRESULT DispatchMessage(const MSG* message) {
  if (message->message == WM_TIMER && message->lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(static_cast<intptr_t>(message->lParam));
    proc(message->hwnd, WM_TIMER, static_cast<UINT_PTR>(message->wParam), message->time);
    return 0;
  }
  // Held for the call: the procedure may destroy its own window.
  std::shared_ptr<WindowRecord> record = FindOwnWindow(message->hwnd);
  if (!record)
    return 0;
  return record->proc.load()(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    DestroyWindow(hwnd);
    return 0;
  }
  return internal::DefaultWindowHandling(hwnd, message, wparam, lparam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, TIMERPROC proc) {
  if (hwnd != nullptr && !FindOwnWindow(hwnd))
    return 0;
  return MessageQueue::ForCurrentThread()->SetTimer(hwnd, id, elapse_ms, proc);
}

bool KillTimer(HWND hwnd, UINT_PTR id) {
  return MessageQueue::ForCurrentThread()->KillTimer(hwnd, id);
}

int SetMessageFilterHook(MessageQueue::MessageFilterHook hook) {
  return MessageQueue::ForCurrentThread()->AddMessageFilterHook(std::move(hook));
}

void UnhookMessageFilter(int hook_id) {
  MessageQueue::ForCurrentThread()->RemoveMessageFilterHook(hook_id);
}

bool CallMsgFilter(MSG* message, int code) {
  return MessageQueue::ForCurrentThread()->CallMessageFilterHooks(message, code);
}

}  // namespace platform
