#pragma once
// The Win32-shaped types and message numbers of the message model. Message
// numbers keep their Windows values; wParam and lParam are 64-bit.

#include <cstddef>
#include <cstdint>

namespace platform {

// A window handle: an opaque number looked up in the window registry, never
// dereferenced, never reused within a process. nullptr is "no window".
struct HWND__;
using HWND = HWND__*;

using UINT = uint32_t;
using WPARAM = uint64_t;
using LPARAM = int64_t;
using LRESULT = int64_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;

struct POINT {
  int32_t x = 0;
  int32_t y = 0;
};

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  uint64_t time = 0;  // milliseconds of the process clock when queued
  POINT pt;
};

using WNDPROC = LRESULT (*)(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
using TIMERPROC = void (*)(HWND hwnd, UINT message, UINT_PTR id, uint64_t time);

// As a PeekMessage/GetMessage filter: only messages posted to the thread
// itself (hwnd null).
inline HWND const kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

// Message numbers (Windows values).
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSELAST = 0x020D;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// PeekMessage options.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// SetWindowLongPtr/GetWindowLongPtr slots.
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_USERDATA = -21;

// Timer periods are clamped to these, in milliseconds.
constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// Most messages one thread's queue holds; posting beyond fails.
constexpr size_t kMaxPostedMessages = 10000;

}  // namespace platform
