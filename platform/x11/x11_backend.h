// The window back-end on an X server (Xlib): borderless top-level windows on a
// 32-bit ARGB visual, presenting premultiplied pictures, focus, capture and
// moves. Its events become window messages in X11EventTranslator, which also
// receives the messages of other processes. Pop-ups are override-redirect
// windows; while one is shown the pointer is grabbed (reporting to our own
// windows as usual) so that a press anywhere on the screen is seen. The
// window manager gets each window's track sizes as size hints. Everything
// runs on the thread that created it (the UI thread).
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/window/popup_tracker.h"
#include "platform/window/size_limits.h"
#include "platform/window/window_backend.h"
#include "platform/x11/x11_event_translator.h"
#include "platform/x11/x11_presenter.h"
#include "platform/x11/x11_tooltip.h"

namespace platform::x11 {

class X11Backend : public WindowBackend {
 public:
  struct Options {
    std::string display_name;  // empty: $DISPLAY
    PresentMode present_mode = PresentMode::kAuto;
    int dpi_override = 0;      // 0: Xft.dpi, else 96
  };

  // Null when the display cannot be opened or offers no 32-bit visual.
  static std::unique_ptr<X11Backend> Open(const Options& options);
  ~X11Backend() override;
  X11Backend(const X11Backend&) = delete;
  X11Backend& operator=(const X11Backend&) = delete;

  // WindowBackend.
  void SetClient(BackendClient* client) override { client_ = client; }
  NativeWindow CreateNativeWindow(const NativeWindowParams& params) override;
  void DestroyNativeWindow(NativeWindow window) override;
  bool IsNativeWindow(NativeWindow window) const override;
  void ShowNativeWindow(NativeWindow window, ShowCommand command) override;
  bool IsVisible(NativeWindow window) const override;
  bool IsMinimized(NativeWindow window) const override;
  bool IsMaximized(NativeWindow window) const override;
  void SetWindowRect(NativeWindow window, const Rect& rect) override;
  Rect GetWindowRect(NativeWindow window) const override;
  void SetTitle(NativeWindow window, const std::u16string& title) override;
  void Present(NativeWindow window, const PresentBuffer& buffer) override;
  void SetRoundShape(NativeWindow window, Size ellipse) override;
  void SetFocus(NativeWindow window) override;
  NativeWindow GetFocus() const override { return focus_; }
  void SetCapture(NativeWindow window) override;
  void ReleaseCapture() override;
  NativeWindow GetCapture() const override { return capture_; }
  void SetCursor(NativeWindow window, CursorKind shape) override;
  Point GetCursorPos() const override;
  bool IsKeyDown(uint32_t virtual_key) const override { return translator_.IsKeyDown(virtual_key); }
  void TrackMouse(NativeWindow window, uint32_t flags, int hover_ms) override;
  void BeginMoveResize(NativeWindow window, LRESULT hit_test, Point screen_point) override;
  void UpdateSizeLimits(NativeWindow window) override;
  void ShowTooltip(NativeWindow owner, const std::u16string& text, Point screen_point, int max_width) override;
  void HideTooltip(NativeWindow owner) override;
  std::vector<MonitorInfo> GetMonitors() const override;
  int GetDpi() const override { return dpi_; }
  void SetSharedProperty(NativeWindow window, const std::string& name, uint64_t value) override;
  void RemoveSharedProperty(NativeWindow window, const std::string& name) override;
  std::optional<uint64_t> GetSharedProperty(NativeWindow window, const std::string& name) const override;
  int EventDescriptor() const override;
  bool DispatchEvents() override;
  int NextTimeoutMs() const override;

  Display* display() const { return display_; }
  bool HasWindowManager() const;
  bool UsingSharedMemory(NativeWindow window) const;
  // The pop-up showing a window's tooltip, 0 while none is shown.
  Window ShownTooltipWindow(NativeWindow owner) const;

 private:
  // The translator reads and updates the window records, focus, capture and
  // drag as the events arrive.
  friend class X11EventTranslator;

  struct NativeRecord {
    NativeWindowParams params;
    Rect rect;
    Rect restore_rect;
    bool shown = false;
    bool mapped = false;
    bool minimized = false;
    bool maximized = false;
    bool focus_on_map = false;
    Size shape;
    CursorKind cursor = CursorKind::kArrow;
    XIC input_context = nullptr;
    std::unique_ptr<X11Presenter> presenter;
    SizeLimits limits;
  };
  struct Drag {
    Window window = 0;
    LRESULT hit_test = 0;
    Point start_pointer;
    Rect start_rect;
  };
  struct Synthetic {
    Window window;
    uint32_t message;
    WPARAM wparam;
    LPARAM lparam;
  };

  X11Backend(Display* display, const Options& options);
  bool Init();
  Atom AtomFor(const char* name) const;
  NativeRecord* Find(Window window);
  const NativeRecord* Find(Window window) const;
  LRESULT Send(Window window, uint32_t message, WPARAM wparam, LPARAM lparam);
  void Queue(Window window, uint32_t message, WPARAM wparam, LPARAM lparam);
  int64_t NowMs() const;
  void ApplyShape(Window window, const NativeRecord& record);
  void SendNetWmState(Window window, bool add, const char* first, const char* second);
  bool WindowManagerSupports(const char* atom_name) const;
  int ReadDpi() const;
  void UpdateDrag(Point pointer);
  void ApplySizeHints(Window window, const NativeRecord& record);
  // The pointer grab that the state asks for: none while a capture or a
  // drag holds the pointer, the latest shown pop-up's while any is shown,
  // else none.
  void RestorePointerGrab();
  // A pop-up is shown but could not take the pointer yet (another client
  // held a grab, such as the tray icon's own press): it is tried again.
  bool PopupGrabPending() const;
  // Tells the pop-ups a press at `screen` leaves (see window_backend.h);
  // `pressed` is our window that took the press, 0 for none.
  void LeavePopups(Point screen, Window pressed);

  Display* display_;
  Options options_;
  int screen_ = 0;
  Window root_ = 0;
  Visual* visual_ = nullptr;
  Colormap colormap_ = 0;
  XIM input_method_ = nullptr;
  Cursor cursors_[3] = {0, 0, 0};
  int dpi_ = 96;
  BackendClient* client_ = nullptr;
  std::map<Window, NativeRecord> windows_;
  std::deque<Synthetic> synthetic_;
  Window focus_ = 0;
  Window capture_ = 0;
  std::optional<Drag> drag_;
  PopupTracker popups_;
  bool popup_grab_ = false;  // the pointer is grabbed for the shown pop-ups
  std::map<Window, std::unique_ptr<X11Tooltip>> tooltips_;
  X11EventTranslator translator_{*this};
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace platform::x11
