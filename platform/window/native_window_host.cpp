#include "platform/window/native_window_host.h"

#include "platform/clock/clock.h"
#include "platform/message/window_registry.h"
#include "platform/window/window_state.h"

namespace platform {

namespace {

bool IsMouseMessage(uint32_t message) {
  return (message >= WM_MOUSEMOVE && message <= WM_MOUSEHWHEEL) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCLBUTTONDBLCLK) || message == WM_MOUSEHOVER ||
         message == WM_MOUSELEAVE;
}

// Messages that Windows sends rather than posts, or whose result the
// back-end needs.
bool IsCalledAtOnce(uint32_t message) {
  switch (message) {
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_COPYDATA:
    case WM_SIZE:
    case WM_MOVE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED:
    case WM_GETMINMAXINFO:  // lParam points into the back-end's frame
      return true;
    default:
      return false;
  }
}

}  // namespace

NativeWindowHost::NativeWindowHost(WindowBackend* backend, std::shared_ptr<MessageQueue> queue)
    : backend_(backend), queue_(std::move(queue)) {
  backend_->SetClient(this);
  queue_->AddEventSource(this);
}

NativeWindowHost::~NativeWindowHost() {
  queue_->RemoveEventSource(this);
  backend_->SetClient(nullptr);
}

void NativeWindowHost::Map(NativeWindow native, HWND hwnd) {
  std::lock_guard<std::mutex> lock(lock_);
  windows_[native] = hwnd;
}

void NativeWindowHost::Unmap(NativeWindow native) {
  std::lock_guard<std::mutex> lock(lock_);
  auto it = windows_.find(native);
  if (it == windows_.end()) return;
  if (mouse_window_ == it->second) mouse_window_ = nullptr;
  windows_.erase(it);
}

HWND NativeWindowHost::Lookup(NativeWindow native) const {
  std::lock_guard<std::mutex> lock(lock_);
  auto it = windows_.find(native);
  return it == windows_.end() ? nullptr : it->second;
}

HWND NativeWindowHost::mouse_window() const {
  std::lock_guard<std::mutex> lock(lock_);
  return mouse_window_;
}

void NativeWindowHost::Pump() {
  // A procedure called from here may run a nested loop that pumps again;
  // the outer pass finishes the events.
  if (pumping_) return;
  pumping_ = true;
  backend_->DispatchEvents();
  pumping_ = false;
}

int64_t NativeWindowHost::NextDeadline() const {
  const int ms = backend_->NextTimeoutMs();
  if (ms < 0) return 0;
  return NowMicroseconds() + static_cast<int64_t>(ms) * 1000;
}

LRESULT NativeWindowHost::Call(HWND hwnd, uint32_t message, WPARAM wparam, LPARAM lparam) {
  std::shared_ptr<WindowRecord> record = WindowRegistry::Instance().Find(hwnd);
  if (!record) return 0;
  return record->proc.load()(hwnd, message, wparam, lparam);
}

LRESULT NativeWindowHost::OnBackendMessage(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  const HWND hwnd = Lookup(window);
  if (!hwnd) return message == WM_NCHITTEST ? HTCLIENT : 0;
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      wparam = reinterpret_cast<WPARAM>(Lookup(static_cast<NativeWindow>(wparam)));
      break;
    case WM_CAPTURECHANGED:
      lparam = reinterpret_cast<LPARAM>(Lookup(static_cast<NativeWindow>(lparam)));
      break;
    case WM_COPYDATA:
      // The sender is a window of another process.
      wparam = reinterpret_cast<WPARAM>(internal::ForeignHandle(static_cast<NativeWindow>(wparam)));
      break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      // Only classes that ask for double clicks get them.
      std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
      if (state && !(state->class_style & CS_DBLCLKS)) message -= 2;
      break;
    }
    default:
      break;
  }
  const bool is_key = message >= WM_KEYDOWN && message <= WM_SYSKEYUP;
  if ((IsMouseMessage(message) || is_key || message == WM_NCHITTEST) && !IsWindowEnabled(hwnd)) {
    // A disabled window (the owner of a modal box) takes no input; nowhere
    // to hit means no move or resize either.
    return message == WM_NCHITTEST ? HTNOWHERE : 0;
  }
  if (IsMouseMessage(message)) {
    {
      std::lock_guard<std::mutex> lock(lock_);
      mouse_window_ = hwnd;
    }
    const bool sets_cursor = message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
                             message == WM_MBUTTONDOWN;
    if (sets_cursor && backend_->GetCapture() == 0) {
      Call(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MakeLParam(static_cast<int>(HTCLIENT), static_cast<int>(message)));
    }
  }
  if (IsCalledAtOnce(message)) return Call(hwnd, message, wparam, lparam);
  PostMessage(hwnd, message, wparam, lparam);
  return 0;
}

void NativeWindowHost::OnBackendInvalidate(NativeWindow window, const Rect& rect) {
  const HWND hwnd = Lookup(window);
  if (hwnd) InvalidateRect(hwnd, &rect, false);
}

}  // namespace platform
