#pragma once
// One thread's message queue: messages posted from any thread, the quit
// request, the thread's timers, its message-filter hooks and its event
// sources. Woken through an eventfd; its waits poll that eventfd together with
// the event sources' descriptors, against the process clock.
//
// Retrieval order: posted messages in posting order, then WM_QUIT, then
// WM_PAINT of a window with something to paint, then WM_TIMER of a due timer
// (paint and timer messages are made when retrieved, so at most one per
// window or timer is ever pending).

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/clock/descriptor_waiter.h"
#include "platform/message/message_types.h"

namespace platform {

class EventSource;

// Which messages a peek or a wait looks at: |hwnd| null for any, a window for
// that window's, kThreadMessagesOnly for those without a window; |min| and
// |max| both 0 for every number.
struct MessageFilter {
  HWND hwnd = nullptr;
  UINT min = 0;
  UINT max = 0;
  bool Matches(HWND message_hwnd, UINT message) const;
};

class MessageQueue final : private ClockWaiter {
 public:
  using MessageFilterHook = std::function<bool(int code, MSG* message)>;
  using MessageTranslator = std::function<bool(const MSG& message)>;

  // The calling thread's queue, made on first use.
  static std::shared_ptr<MessageQueue> ForCurrentThread();

  ~MessageQueue();
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;

  // The kernel identifier of the owning thread.
  uint32_t thread_id() const { return thread_id_; }

  // Any thread. False when the queue is full.
  bool Post(const MSG& message);

  // The rest only on the owning thread.
  void PostQuit(int exit_code);
  bool Peek(MSG* message, const MessageFilter& filter, bool remove);
  // Blocks until a message matching |filter| is available (true) or the
  // clock reaches |deadline| (false; 0 = no deadline).
  bool WaitForInput(int64_t deadline, const MessageFilter& filter = MessageFilter());

  UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, TIMERPROC proc);
  bool KillTimer(HWND hwnd, UINT_PTR id);
  // Forgets everything of a destroyed window: its timers, queued messages and
  // pending paint.
  void ForgetWindow(HWND hwnd);

  // A window of this thread has (or no longer has) something to paint:
  // WM_PAINT is made for it, oldest first, until it is validated.
  void SetPaintPending(HWND hwnd, bool pending);

  int AddMessageFilterHook(MessageFilterHook hook);
  void RemoveMessageFilterHook(int id);
  // Latest hook first; true when one of them took the message.
  bool CallMessageFilterHooks(MSG* message, int code);

  void SetMessageTranslator(MessageTranslator translator);
  bool Translate(const MSG& message);

  void AddEventSource(EventSource* source);
  void RemoveEventSource(EventSource* source);

 private:
  struct Timer {
    HWND hwnd;
    UINT_PTR id;
    int64_t period;  // microseconds
    int64_t due;     // microseconds of the process clock
    TIMERPROC proc;
  };

  MessageQueue();
  void OnClockAdvanced() override;
  void Wake();
  void DrainWake();
  void PumpEventSources();
  bool HasInput(const MessageFilter& filter, int64_t now);
  int64_t NextTimerDue(const MessageFilter& filter) const;
  bool PeekTimer(MSG* message, const MessageFilter& filter, bool remove, int64_t now);
  bool PeekPaint(MSG* message, const MessageFilter& filter) const;
  int64_t NextSourceDeadline() const;

  const uint32_t thread_id_;
  int wake_fd_ = -1;
  DescriptorWaiter waiter_;

  std::mutex lock_;  // guards posted_ alone; everything else is the owner's
  std::deque<MSG> posted_;

  bool quit_posted_ = false;
  int quit_code_ = 0;
  std::vector<Timer> timers_;
  std::vector<HWND> paint_pending_;
  UINT_PTR next_thread_timer_id_ = 1;
  std::vector<std::pair<int, MessageFilterHook>> filter_hooks_;
  int next_hook_id_ = 1;
  MessageTranslator translator_;
  std::vector<EventSource*> event_sources_;
};

}  // namespace platform
