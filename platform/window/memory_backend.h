// The window back-end without a display, for tests: windows are records, the
// test sets sizes, monitors, DPI and the time, injects input, and reads back
// the last picture presented to each window. Input goes through the same
// steps as on X11 (hit test first, double clicks, hover and leave, pop-ups
// left by a press outside them, move and resize drags bounded by the
// window's track sizes).
// Single-threaded except the Inject* calls, which may come from any thread.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/window/double_click_detector.h"
#include "platform/window/mouse_tracker.h"
#include "platform/window/popup_tracker.h"
#include "platform/window/size_limits.h"
#include "platform/window/touch_pointer_input.h"
#include "platform/window/window_backend.h"

namespace platform {

class MemoryBackend : public WindowBackend, private TouchPointerSource {
 public:
  struct Tooltip {
    std::u16string text;
    Point position;  // screen
    int max_width = 0;
    bool visible = false;
    int show_count = 0;
  };
  struct Picture {
    std::vector<uint32_t> pixels;  // premultiplied, constant alpha applied
    int width = 0;
    int height = 0;
    uint8_t constant_alpha = 255;
  };
  struct MoveResize {
    NativeWindow window = 0;
    LRESULT hit_test = 0;
    Point screen_point;
  };

  MemoryBackend();
  ~MemoryBackend() override;
  MemoryBackend(const MemoryBackend&) = delete;
  MemoryBackend& operator=(const MemoryBackend&) = delete;

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
  Point GetCursorPos() const override { return cursor_pos_; }
  bool IsKeyDown(uint32_t virtual_key) const override { return keys_down_.count(virtual_key) != 0; }
  void TrackMouse(NativeWindow window, uint32_t flags, int hover_ms) override;
  void BeginMoveResize(NativeWindow window, LRESULT hit_test, Point screen_point) override;
  void UpdateSizeLimits(NativeWindow window) override;
  void ShowTooltip(NativeWindow owner, const std::u16string& text, Point screen_point, int max_width) override;
  void HideTooltip(NativeWindow owner) override;
  TouchPointerSource* GetTouchPointerSource() override { return touch_enabled_ ? this : nullptr; }
  std::vector<MonitorInfo> GetMonitors() const override { return monitors_; }
  int GetDpi() const override { return dpi_; }
  void SetSharedProperty(NativeWindow window, const std::string& name, uint64_t value) override;
  void RemoveSharedProperty(NativeWindow window, const std::string& name) override;
  std::optional<uint64_t> GetSharedProperty(NativeWindow window, const std::string& name) const override;
  int EventDescriptor() const override { return event_fd_; }
  bool DispatchEvents() override;
  int NextTimeoutMs() const override;

  // Set by the test.
  void SetMonitors(std::vector<MonitorInfo> monitors) { monitors_ = std::move(monitors); }
  void SetDpi(int dpi) { dpi_ = dpi; }
  void SetTimeMs(int64_t now_ms) { now_ms_ = now_ms; }
  void AdvanceTimeMs(int64_t ms) { now_ms_ += ms; }

  // Input, delivered by the next DispatchEvents. Points are client points.
  void InjectMessage(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam);
  void InjectMouseMove(NativeWindow window, Point client);
  // button: 1 left, 2 middle, 3 right.
  void InjectButton(NativeWindow window, int button, bool down, Point client);
  void InjectWheel(NativeWindow window, int notches, Point client);
  // The pointer at a screen point, as the X server reports it: to the window
  // of a running move or resize, else to the capturing window, else to the
  // topmost shown window there (the one shown last), else to no window (the
  // desktop, or another program's window).
  void InjectButtonAt(Point screen, int button, bool down);
  void InjectMouseMoveAt(Point screen);
  void InjectMouseLeave(NativeWindow window);
  void InjectKey(NativeWindow window, uint32_t virtual_key, bool down);
  void InjectText(NativeWindow window, const std::u16string& text);
  // The window manager's close button.
  void InjectCloseRequest(NativeWindow window);
  void InjectExpose(NativeWindow window, const Rect& rect);
  // Touch and pen: a system without them (the default, as under X11) reports
  // the lookups missing.
  void EnableTouchPointer(bool enabled) { touch_enabled_ = enabled; }
  // WM_TOUCH with these inputs (screen points in hundredths of a pixel);
  // returns the handle it carries. This and InjectPointer run on the
  // back-end's own thread.
  HTOUCHINPUT InjectTouch(NativeWindow window, const std::vector<TOUCHINPUT>& inputs);
  // A WM_POINTER* message of a pointer of the given type at a client point.
  void InjectPointer(NativeWindow window, uint32_t message, uint32_t pointer_id, bool primary, uint32_t type,
                     Point client, uint32_t pressure);

  // Read by the test.
  std::optional<Picture> LastPicture(NativeWindow window) const;
  int PresentCount(NativeWindow window) const;
  Size RoundShape(NativeWindow window) const;
  CursorKind Cursor(NativeWindow window) const;
  std::u16string Title(NativeWindow window) const;
  NativeWindow Owner(NativeWindow window) const;
  std::string ClassName(NativeWindow window) const;
  std::optional<MoveResize> LastMoveResize() const { return last_move_resize_; }
  // The track sizes the window gave last (the defaults until it was asked).
  SizeLimits SizeLimitsOf(NativeWindow window) const;
  // The tooltip of a window, once one was shown for it.
  std::optional<Tooltip> TooltipOf(NativeWindow owner) const;
  // Touch handles given out and not closed yet.
  size_t OpenTouchHandles() const { return touch_inputs_.size(); }

 private:
  struct Window {
    NativeWindowParams params;
    Rect rect;
    Rect restore_rect;
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    Size shape;
    CursorKind cursor = CursorKind::kArrow;
    std::map<std::string, uint64_t> properties;
    std::optional<Picture> picture;
    int present_count = 0;
    SizeLimits limits;
  };
  struct Drag {
    NativeWindow window = 0;
    LRESULT hit_test = 0;
    Point start_pointer;
    Rect start_rect;
  };
  enum class EventKind { kMessage, kButton, kMove, kWheel, kLeave, kExpose };
  struct Event {
    EventKind kind = EventKind::kMessage;
    NativeWindow window = 0;
    uint32_t message = 0;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
    int button = 0;
    bool down = false;
    Point point;
    Rect rect;
    bool at_screen = false;  // `point` is a screen point, the window still to be found
  };

  struct PointerRecord {
    uint32_t type = PT_POINTER;
    PointerSample sample;
  };

  // TouchPointerSource.
  bool GetTouchInputInfo(HTOUCHINPUT handle, uint32_t count, TOUCHINPUT* inputs) override;
  bool CloseTouchInputHandle(HTOUCHINPUT handle) override;
  bool GetPointerType(uint32_t pointer_id, uint32_t* type) override;
  bool GetPointerTouchInfo(uint32_t pointer_id, PointerSample* sample) override;
  bool GetPointerPenInfo(uint32_t pointer_id, PointerSample* sample) override;

  Window* Find(NativeWindow window);
  const Window* Find(NativeWindow window) const;
  void Queue(Event event);
  void Deliver(const Event& event);
  void DeliverButton(const Event& event);
  void DeliverMove(const Event& event);
  Event ResolveScreenEvent(const Event& event) const;
  NativeWindow WindowAt(Point screen) const;
  Point ScreenPoint(const Event& event) const;
  void LeavePopups(Point screen, NativeWindow pressed);
  void Raise(NativeWindow window);
  WPARAM ButtonState() const;
  LRESULT Send(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam);
  void ApplyRect(NativeWindow window, const Rect& rect, WPARAM size_kind);

  BackendClient* client_ = nullptr;
  std::map<NativeWindow, Window> windows_;
  NativeWindow next_id_ = 0x100;
  NativeWindow focus_ = 0;
  NativeWindow capture_ = 0;
  Point cursor_pos_;
  std::vector<MonitorInfo> monitors_;
  int dpi_ = 96;
  int64_t now_ms_ = 0;
  std::set<uint32_t> keys_down_;
  bool buttons_down_[4] = {false, false, false, false};
  DoubleClickDetector double_click_;
  MouseTracker tracker_;
  std::optional<MoveResize> last_move_resize_;
  std::optional<Drag> drag_;
  std::vector<NativeWindow> stacking_;  // bottom first
  PopupTracker popups_;
  std::map<NativeWindow, Tooltip> tooltips_;
  bool touch_enabled_ = false;
  HTOUCHINPUT next_touch_handle_ = 1;
  std::map<HTOUCHINPUT, std::vector<TOUCHINPUT>> touch_inputs_;
  std::map<uint32_t, PointerRecord> pointers_;

  int event_fd_ = -1;
  mutable std::mutex pending_lock_;
  std::deque<Event> pending_;
};

}  // namespace platform
