#pragma once
// The Win32-shaped message functions: windows with procedures, posting from
// any thread, peeking, getting, waiting, dispatching, timers, quit, and the
// message-filter hook. Each thread that creates windows or reads messages has
// its own queue (MessageQueue); a window belongs to the thread that made it,
// and only that thread reads its messages, dispatches to it, sets its timers
// or destroys it.

#include <cstdint>

#include "platform/message/message_queue.h"
#include "platform/message/message_types.h"

namespace platform {

// A message-only window of the calling thread (never shown; it only receives
// messages), handled by |proc|. Returns null when |proc| is null.
HWND CreateMessageWindow(WNDPROC proc);
// Destroys the windows it owns first (as Windows does), then sends
// WM_DESTROY and WM_NCDESTROY to the procedure and forgets the window, its
// timers and its queued messages. Only on the window's thread.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);
// The kernel identifier of the thread that owns |hwnd|, 0 when none.
uint32_t GetWindowThreadId(HWND hwnd);

// GWLP_USERDATA and GWLP_WNDPROC; Set returns the previous value.
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);

// Any thread. False for no window or a full queue.
bool PostMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Asks the calling thread's message loop to end: WM_QUIT (wParam = the exit
// code) is retrieved once no posted message is left.
void PostQuitMessage(int exit_code);

bool PeekMessage(MSG* message, HWND hwnd, UINT min, UINT max, UINT remove);
// Blocks for the next message: 1 for a message, 0 for WM_QUIT, -1 for a
// window filter naming no window.
int GetMessage(MSG* message, HWND hwnd, UINT min, UINT max);
// Blocks until the calling thread has a message.
void WaitMessage();
// Blocks until the calling thread has a message (true), an event source of
// it becomes readable and queues one (true), or the process clock reaches
// |deadline| in microseconds (false; 0 waits without a deadline).
bool WaitForQueueInput(int64_t deadline);

// Hands keyboard messages to the thread's translator (installed by a display
// back-end, which queues the character messages); true when it made any.
bool TranslateMessage(const MSG* message);
// Calls the procedure of the message's window (on its own thread only), or
// the timer procedure a WM_TIMER carries. Returns the procedure's result.
LRESULT DispatchMessage(const MSG* message);
// The default handling: WM_CLOSE destroys the window; everything else is 0.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Timers of the calling thread. WM_TIMER comes when no posted message is
// waiting, once per due period (periods are clamped to 10 ms ... 2^31-1 ms).
// A window timer is replaced by setting the same (window, id) again; a thread
// timer (hwnd null) gets an identifier of its own. Returns the identifier, 0
// on failure (a window of another thread).
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, TIMERPROC proc);
bool KillTimer(HWND hwnd, UINT_PTR id);

// Message-filter hooks of the calling thread: CallMsgFilter offers a message
// to them (latest first) before it is dispatched; true when one took it.
int SetMessageFilterHook(MessageQueue::MessageFilterHook hook);
void UnhookMessageFilter(int hook_id);
bool CallMsgFilter(MSG* message, int code);

}  // namespace platform
