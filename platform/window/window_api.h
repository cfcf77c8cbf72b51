// The Win32-shaped window functions over the message core: window classes,
// top-level windows backed by a native window of the installed back-end,
// named properties, painting (WM_PAINT made when the queue is idle, one per
// window however often it was invalidated), SendMessage, input state,
// monitors and DPI, and the windows of other processes.
//
// A window belongs to the thread that created it; the functions that change
// a window run on that thread. PostMessage, IsWindow, GetProp and the look-ups
// of other processes' windows run on any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/message/message_api.h"
#include "platform/window/geometry.h"
#include "platform/window/window_backend.h"
#include "platform/window/window_messages.h"

namespace platform {

// Errors that GetLastError reports.
constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr uint32_t ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr uint32_t ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
uint32_t GetLastError();
void SetLastError(uint32_t error);

// Window styles.
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_MINIMIZE = 0x20000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_DISABLED = 0x08000000;
constexpr uint32_t WS_MAXIMIZE = 0x01000000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_THICKFRAME = 0x00040000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr uint32_t WS_EX_LAYERED = 0x00080000;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_STYLE = -16;

// The parent that makes a message-only window.
inline HWND const HWND_MESSAGE = reinterpret_cast<HWND>(static_cast<intptr_t>(-3));

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// SetWindowPos flags.
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t SWP_FRAMECHANGED = 0x0020;
constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
constexpr uint32_t SWP_HIDEWINDOW = 0x0080;

// GetWindow relations.
constexpr uint32_t GW_OWNER = 4;

struct WNDCLASS {
  uint32_t style = 0;
  WNDPROC lpfnWndProc = nullptr;
  CursorKind cursor = CursorKind::kArrow;
  std::u16string lpszClassName;
};

// The creation parameters WM_NCCREATE and WM_CREATE point at (lParam).
struct CREATESTRUCT {
  void* lpCreateParams = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  uint32_t style = 0;
  const char16_t* lpszName = nullptr;
  const char16_t* lpszClass = nullptr;
  uint32_t dwExStyle = 0;
};

struct PAINTSTRUCT {
  Rect rcPaint;
  bool fErase = false;
};

struct TRACKMOUSEEVENT {
  uint32_t dwFlags = 0;
  HWND hwndTrack = nullptr;
  int dwHoverTime = 0;
};

// The back-end that native windows are made by, installed on the thread
// that will own them (the UI thread); its events then reach that thread's
// queue. Null uninstalls it (every native window must be gone by then).
void InstallWindowBackend(WindowBackend* backend);
WindowBackend* GetWindowBackend();

// Classes. Registering a name twice fails with ERROR_CLASS_ALREADY_EXISTS.
bool RegisterClass(const WNDCLASS& window_class);
bool UnregisterClass(const std::u16string& class_name);
bool GetClassInfo(const std::u16string& class_name, WNDCLASS* window_class);
std::u16string GetClassName(HWND hwnd);

// Creation: HWND_MESSAGE as the parent makes a message-only window; any other
// window is a top-level native window, owned by `parent` when one is given.
// WS_POPUP without a caption makes a pop-up (see "Pop-ups" in
// window_backend.h: it loses the focus, WM_KILLFOCUS, to a press outside it).
// WM_NCCREATE and WM_CREATE are sent with the CREATESTRUCT; -1 from
// WM_CREATE (or 0 from WM_NCCREATE) destroys it again and returns null.
// WM_GETMINMAXINFO is sent once the window is created, again before it is
// shown or sized, and when the user starts to move or resize it; the track
// sizes it answers bound the user's resizes (and are the window manager's
// size hints). SetWindowPos itself is not bound by them, as on Windows.
HWND CreateWindowEx(uint32_t ex_style, const std::u16string& class_name, const std::u16string& title,
                    uint32_t style, int x, int y, int width, int height, HWND parent, void* param);

// Same thread: the window procedure's result. A window of another thread of
// this process: 0 and ERROR_ACCESS_DENIED (no blocking between threads). A
// window of another process: posted, 0 (WM_COPYDATA is carried with its data).
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

bool ShowWindow(HWND hwnd, int command);
bool IsWindowVisible(HWND hwnd);
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);
bool SetWindowPos(HWND hwnd, HWND insert_after, int x, int y, int width, int height, uint32_t flags);
bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);
bool GetWindowRect(HWND hwnd, Rect* rect);
bool GetClientRect(HWND hwnd, Rect* rect);
bool ClientToScreen(HWND hwnd, Point* point);
bool ScreenToClient(HWND hwnd, Point* point);
bool SetWindowText(HWND hwnd, const std::u16string& text);
std::u16string GetWindowText(HWND hwnd);
HWND GetWindow(HWND hwnd, uint32_t relation);
bool SetForegroundWindow(HWND hwnd);
bool EnableWindow(HWND hwnd, bool enable);
bool IsWindowEnabled(HWND hwnd);

// Painting.
bool InvalidateRect(HWND hwnd, const Rect* rect, bool erase);
bool ValidateRect(HWND hwnd, const Rect* rect);
// The part waiting to be painted (client coordinates); false when none.
bool GetUpdateRect(HWND hwnd, Rect* rect, bool erase);
// Takes the update rectangle and validates it; EndPaint finishes.
bool BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
bool EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// What UpdateLayeredWindow does here: the whole picture with a constant alpha.
bool UpdateLayeredWindow(HWND hwnd, const PresentBuffer& picture);
// SetWindowRgn with CreateRoundRectRgn (0, 0, width + 1, height + 1, cx, cy);
// (0, 0) makes the window rectangular again.
bool SetWindowRoundRegion(HWND hwnd, Size ellipse);

// Input.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();
// Sets the pointer's shape over the window the mouse is in (or that holds
// the capture).
void SetCursor(CursorKind cursor);
bool GetCursorPos(Point* point);
// High bit set while the key is down, as GetKeyState returns it.
int16_t GetKeyState(uint32_t virtual_key);
bool TrackMouseEvent(TRACKMOUSEEVENT* track);

// Monitors and DPI. The virtual screen is the rectangle that holds every
// monitor; its origin may be negative.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
constexpr int SM_CMONITORS = 80;
// The metrics above (SM_CXSCREEN and SM_CYSCREEN: the primary monitor); 0 for
// any other index or without a back-end.
int GetSystemMetrics(int index);
std::optional<MonitorInfo> MonitorFromPoint(Point point);
std::optional<MonitorInfo> MonitorFromWindow(HWND hwnd);
std::optional<MonitorInfo> PrimaryMonitor();
int GetDpiForSystem();

// Named properties. On a top-level window they are also visible to other
// processes (a value equal to the window's own handle is published as the
// native window, so that another process reading it finds that window).
bool SetProp(HWND hwnd, const std::u16string& name, uintptr_t value);
uintptr_t GetProp(HWND hwnd, const std::u16string& name);
uintptr_t RemoveProp(HWND hwnd, const std::u16string& name);

// Windows of other processes appear as handles of their own (never those
// of this process's windows). IsWindow, PostMessage, SendMessage, GetProp,
// ShowWindow and SetForegroundWindow accept them.
bool IsForeignWindow(HWND hwnd);
// Top-level windows, this process's and others', whose property `name` holds
// the window itself.
std::vector<HWND> FindWindowsWithSelfProperty(const std::u16string& name);
// The first top-level window of the class (this process's first), null when
// none; an empty title matches any.
HWND FindWindow(const std::u16string& class_name, const std::u16string& title);
// WM_COPYDATA to a window of another process, waiting up to `timeout_ms` for
// its answer; nothing when it refused the data, is gone or did not answer.
std::optional<LRESULT> SendCopyData(HWND hwnd, HWND from, const CopyDataStruct& data, int timeout_ms);

// The native window of a top-level window (0 for message-only windows).
NativeWindow GetNativeWindow(HWND hwnd);

// What the message core calls into the window layer for.
namespace internal {
// DestroyWindow's first step: the windows `owner` owns are destroyed before
// it (each gets WM_DESTROY before its owner does), as Windows does.
void DestroyOwnedWindows(HWND owner);
void ReleaseWindowState(HWND hwnd);
LRESULT DefaultWindowHandling(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
bool ForeignWindowExists(HWND hwnd);
bool PostToForeignWindow(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
HWND ForeignHandle(NativeWindow native);
// GWL_STYLE and GWL_EXSTYLE of SetWindowLongPtr and GetWindowLongPtr.
LONG_PTR SetWindowStyleLong(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetWindowStyleLong(HWND hwnd, int index);
}  // namespace internal

}  // namespace platform
