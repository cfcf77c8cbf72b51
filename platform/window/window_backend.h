// The interface behind which native top-level windows live: the X11 back-end
// for the real program and the in-memory back-end for tests that need no
// display. The message model above it owns window records, queues and
// procedures; a back-end only makes, moves, shows and paints native windows
// and turns what happens to them into window messages for its client.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/window/geometry.h"
#include "platform/window/window_messages.h"

namespace platform {

class TouchPointerSource;

// A native window of a back-end; 0 is none. Under X11 it is the X window id,
// which is also how other processes name the window.
using NativeWindow = uint64_t;

enum class ShowCommand {
  kHide,
  kShowNormal,      // show and activate
  kShowNoActivate,  // show, keep the focus where it is
  kShow,            // show; activate when shown for the first time
  kMinimize,
  kMaximize,
  kRestore,
};

enum class CursorKind { kArrow, kHand, kIBeam };

struct NativeWindowParams {
  std::string class_name;  // WM_CLASS under X11: other processes find windows by it
  std::u16string title;
  Rect rect;               // screen coordinates
  NativeWindow owner = 0;  // owned windows stay above their owner
  bool layered = true;     // per-pixel alpha from the presented buffer
  bool popup = false;      // a pop-up: see "Pop-ups" below
};

// Pop-ups (the combo box's list, menus, the pre-download pop-up): a window
// made with `popup` has no frame, no taskbar entry and no window manager
// between it and the screen (override-redirect under X11); it shows above
// the other windows. While it is shown it watches the pointer, as Windows
// watches a click that activates another window: a button pressed anywhere
// outside it (and outside the shown windows it owns) takes the focus away
// from it, and it gets WM_KILLFOCUS with wParam the window of ours that was
// pressed, or 0 for any other place on the screen. It gets that message once,
// whether or not it held the focus; it stays open until its own code closes
// it (the combo list and menus close on that WM_KILLFOCUS). A press on one
// of our windows then reaches that window as usual, which also takes the
// focus; a press elsewhere on the screen belongs to nobody (under X11 the
// pointer is grabbed while a pop-up is shown, so the other program never
// sees it). The wheel closes nothing.

// A premultiplied ARGB32 picture (0xAARRGGBB in native byte order, as cairo's
// image surfaces hold it) drawn into the whole window, with a constant alpha
// applied over its own.
struct PresentBuffer {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride_bytes = 0;
  uint8_t constant_alpha = 255;
};

struct MonitorInfo {
  Rect monitor;
  Rect work;
  bool primary = false;
};

// Receives what happens to native windows as window messages, on the thread
// that dispatches the back-end's events. The result matters for the messages
// that Windows sends rather than posts: WM_NCHITTEST (the hit-test code that
// decides between a click and a move or resize), WM_COPYDATA.
class BackendClient {
 public:
  virtual ~BackendClient() = default;
  virtual LRESULT OnBackendMessage(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam) = 0;
  // A part of the window must be painted again (client coordinates).
  virtual void OnBackendInvalidate(NativeWindow window, const Rect& rect) = 0;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  virtual void SetClient(BackendClient* client) = 0;

  virtual NativeWindow CreateNativeWindow(const NativeWindowParams& params) = 0;
  virtual void DestroyNativeWindow(NativeWindow window) = 0;
  virtual bool IsNativeWindow(NativeWindow window) const = 0;

  virtual void ShowNativeWindow(NativeWindow window, ShowCommand command) = 0;
  virtual bool IsVisible(NativeWindow window) const = 0;
  virtual bool IsMinimized(NativeWindow window) const = 0;
  virtual bool IsMaximized(NativeWindow window) const = 0;
  virtual void SetWindowRect(NativeWindow window, const Rect& rect) = 0;
  virtual Rect GetWindowRect(NativeWindow window) const = 0;
  virtual void SetTitle(NativeWindow window, const std::u16string& title) = 0;

  virtual void Present(NativeWindow window, const PresentBuffer& buffer) = 0;
  // Rounded corners as Windows' round-rect region of (0, 0, width + 1,
  // height + 1) with the given ellipse; (0, 0) makes the window rectangular.
  virtual void SetRoundShape(NativeWindow window, Size ellipse) = 0;

  virtual void SetFocus(NativeWindow window) = 0;
  virtual NativeWindow GetFocus() const = 0;
  virtual void SetCapture(NativeWindow window) = 0;
  virtual void ReleaseCapture() = 0;
  virtual NativeWindow GetCapture() const = 0;
  virtual void SetCursor(NativeWindow window, CursorKind shape) = 0;
  virtual Point GetCursorPos() const = 0;
  // Whether a key (virtual-key code) is held, as GetKeyState's high bit says.
  virtual bool IsKeyDown(uint32_t virtual_key) const = 0;
  // Arms WM_MOUSELEAVE and WM_MOUSEHOVER (TME_LEAVE, TME_HOVER) once.
  virtual void TrackMouse(NativeWindow window, uint32_t flags, int hover_ms) = 0;
  // Starts moving or resizing the window as the hit-test code says, driven by
  // the pointer until the button is released. The window's track sizes
  // (UpdateSizeLimits) are asked for first and bound the resize.
  virtual void BeginMoveResize(NativeWindow window, LRESULT hit_test, Point screen_point) = 0;
  // Asks the window for its track sizes (WM_GETMINMAXINFO through the client,
  // filled with the defaults first) and applies them: the size hints of the
  // window manager under X11, and the back-end's own resizes.
  virtual void UpdateSizeLimits(NativeWindow window) = 0;

  // The text pop-up of a window's tooltip, its top-left corner at a screen
  // point, lines wrapped at `max_width` pixels (0: no wrapping); one a window,
  // replaced by the next, gone with the window.
  virtual void ShowTooltip(NativeWindow /*owner*/, const std::u16string& /*text*/, Point /*screen_point*/,
                           int /*max_width*/) {}
  virtual void HideTooltip(NativeWindow /*owner*/) {}
  // Touch and pointer input where the system has a source of them; null when
  // it has none.
  virtual TouchPointerSource* GetTouchPointerSource() { return nullptr; }

  virtual std::vector<MonitorInfo> GetMonitors() const = 0;
  virtual int GetDpi() const = 0;

  // A property that other processes can read and look the window up by.
  virtual void SetSharedProperty(NativeWindow window, const std::string& name, uint64_t value) = 0;
  virtual void RemoveSharedProperty(NativeWindow window, const std::string& name) = 0;
  virtual std::optional<uint64_t> GetSharedProperty(NativeWindow window, const std::string& name) const = 0;

  // A descriptor that becomes readable when events wait (-1: none), for the
  // UI pump's wait; DispatchEvents delivers what waits to the client and
  // tells whether it delivered anything.
  virtual int EventDescriptor() const = 0;
  virtual bool DispatchEvents() = 0;
  // Milliseconds until the back-end needs DispatchEvents called again without
  // any event (a hover time), or -1.
  virtual int NextTimeoutMs() const = 0;
};

// Picks the monitor nearest to a point (containing it, else the closest by
// distance), as MonitorFromPoint with MONITOR_DEFAULTTONEAREST does.
std::optional<MonitorInfo> MonitorNearestPoint(const std::vector<MonitorInfo>& monitors, Point p);

// The virtual screen: the smallest rectangle that holds every monitor (what
// SM_XVIRTUALSCREEN ... SM_CYVIRTUALSCREEN describe); empty without monitors.
Rect VirtualScreenRect(const std::vector<MonitorInfo>& monitors);

}  // namespace platform
