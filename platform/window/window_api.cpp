#include "platform/window/window_api.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/text/utf_conversion.h"
#include "platform/ipc/foreign_windows.h"
#include "platform/message/message_queue.h"
#include "platform/message/window_registry.h"
#include "platform/window/native_window_host.h"
#include "platform/window/window_class_registry.h"
#include "platform/window/window_state.h"

namespace platform {

namespace {

thread_local uint32_t t_last_error = ERROR_SUCCESS;

// Handles of other processes' windows: the native window with a tag bit that
// no handle of this process ever has.
constexpr uintptr_t kForeignTag = uintptr_t{1} << 62;

std::mutex g_host_lock;
std::shared_ptr<NativeWindowHost> g_host;

std::shared_ptr<NativeWindowHost> Host() {
  std::lock_guard<std::mutex> lock(g_host_lock);
  return g_host;
}

// Process-wide connection for other processes' windows; null without a
// display.
ForeignWindows* Foreign() {
  static std::once_flag once;
  static ForeignWindows* foreign = nullptr;
  std::call_once(once, [] { foreign = ForeignWindows::Open().release(); });
  return foreign;
}

NativeWindow ForeignNative(HWND hwnd) {
  return static_cast<NativeWindow>(reinterpret_cast<uintptr_t>(hwnd) & ~kForeignTag);
}

// The state of a window of the calling thread, null (and the error set)
// otherwise.
std::shared_ptr<WindowState> OwnState(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = WindowRegistry::Instance().Find(hwnd);
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  if (!record || !state) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (record->queue != MessageQueue::ForCurrentThread()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return state;
}

// A top-level window of the calling thread with its host.
struct NativeTarget {
  std::shared_ptr<WindowState> state;
  std::shared_ptr<NativeWindowHost> host;
  WindowBackend* backend() const { return host->backend(); }
  NativeWindow native() const { return state->native; }
};

std::optional<NativeTarget> Native(HWND hwnd) {
  std::shared_ptr<WindowState> state = OwnState(hwnd);
  if (!state || state->native == 0) return std::nullopt;
  std::shared_ptr<NativeWindowHost> host = Host();
  if (!host) return std::nullopt;
  return NativeTarget{state, host};
}

HWND HandleOf(NativeWindow native) {
  std::shared_ptr<NativeWindowHost> host = Host();
  return host && native ? host->Lookup(native) : nullptr;
}

}  // namespace

uint32_t GetLastError() { return t_last_error; }
void SetLastError(uint32_t error) { t_last_error = error; }

void InstallWindowBackend(WindowBackend* backend) {
  std::shared_ptr<NativeWindowHost> host =
      backend ? std::make_shared<NativeWindowHost>(backend, MessageQueue::ForCurrentThread()) : nullptr;
  std::shared_ptr<NativeWindowHost> old;
  {
    std::lock_guard<std::mutex> lock(g_host_lock);
    old = std::move(g_host);
    g_host = std::move(host);
  }
}

WindowBackend* GetWindowBackend() {
  std::shared_ptr<NativeWindowHost> host = Host();
  return host ? host->backend() : nullptr;
}

bool RegisterClass(const WNDCLASS& window_class) {
  uint32_t error = ERROR_SUCCESS;
  if (WindowClassRegistry::Instance().Register(window_class, &error)) return true;
  SetLastError(error);
  return false;
}

bool UnregisterClass(const std::u16string& class_name) {
  if (WindowClassRegistry::Instance().Unregister(class_name)) return true;
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return false;
}

bool GetClassInfo(const std::u16string& class_name, WNDCLASS* window_class) {
  auto found = WindowClassRegistry::Instance().Find(class_name);
  if (!found) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  *window_class = *found;
  return true;
}

std::u16string GetClassName(HWND hwnd) {
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  return state ? state->class_name : std::u16string();
}

HWND CreateWindowEx(uint32_t ex_style, const std::u16string& class_name, const std::u16string& title,
                    uint32_t style, int x, int y, int width, int height, HWND parent, void* param) {
  const std::optional<WNDCLASS> window_class = WindowClassRegistry::Instance().Find(class_name);
  if (!window_class) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return nullptr;
  }
  const bool message_only = parent == HWND_MESSAGE;
  std::shared_ptr<NativeWindowHost> host = message_only ? nullptr : Host();
  if (!message_only && (!host || host->queue() != MessageQueue::ForCurrentThread())) {
    // Native windows live on the thread the back-end was installed on.
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto record = std::make_shared<WindowRecord>();
  record->queue = MessageQueue::ForCurrentThread();
  record->proc = window_class->lpfnWndProc;
  record->message_only = message_only;
  const HWND hwnd = WindowRegistry::Instance().Add(record);

  auto state = std::make_shared<WindowState>();
  state->hwnd = hwnd;
  state->class_name = class_name;
  state->class_style = window_class->style;
  state->class_cursor = window_class->cursor;
  state->message_only = message_only;
  state->owner = message_only ? nullptr : parent;
  state->style = style & ~WS_VISIBLE;
  state->ex_style = ex_style;
  state->title = title;
  if (!message_only) {
    NativeWindowParams params;
    params.class_name = UTF16ToUTF8(class_name);
    params.title = title;
    params.rect = Rect{x, y, x + width, y + height};
    if (std::shared_ptr<WindowState> owner = WindowStateTable::Instance().Find(parent)) params.owner = owner->native;
    params.layered = (ex_style & WS_EX_LAYERED) != 0;
    params.popup = (style & WS_POPUP) != 0 && (style & WS_CAPTION) == 0;
    state->native = host->backend()->CreateNativeWindow(params);
    if (state->native == 0) {
      WindowRegistry::Instance().Remove(hwnd);
      SetLastError(ERROR_NOT_SUPPORTED);
      return nullptr;
    }
    host->Map(state->native, hwnd);
  }
  WindowStateTable::Instance().Add(state);

  CREATESTRUCT create;
  create.lpCreateParams = param;
  create.hwndParent = parent;
  create.x = x;
  create.y = y;
  create.cx = width;
  create.cy = height;
  create.style = style;
  create.lpszName = title.c_str();
  create.lpszClass = class_name.c_str();
  create.dwExStyle = ex_style;
  const WNDPROC proc = window_class->lpfnWndProc;
  const auto create_param = static_cast<LPARAM>(reinterpret_cast<intptr_t>(&create));
  if (proc(hwnd, WM_NCCREATE, 0, create_param) == 0 || proc(hwnd, WM_CREATE, 0, create_param) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!message_only && IsWindow(hwnd)) {
    // The first size and position, before the window is shown, as Windows
    // sends them: handlers of WM_SIZE (the window region) see the window once.
    proc(hwnd, WM_SIZE, SIZE_RESTORED, MakeLParam(width, height));
    if (IsWindow(hwnd)) proc(hwnd, WM_MOVE, 0, MakeLParam(x, y));
    // The track sizes the window named while it was created, for the window
    // manager before it first sees the window.
    if (IsWindow(hwnd)) host->backend()->UpdateSizeLimits(state->native);
  }
  if (IsWindow(hwnd) && (style & WS_VISIBLE)) ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

namespace internal {

void DestroyOwnedWindows(HWND owner) {
  for (const auto& state : WindowStateTable::Instance().TopLevel()) {
    if (state->owner == owner) DestroyWindow(state->hwnd);
  }
}

void ReleaseWindowState(HWND hwnd) {
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Remove(hwnd);
  if (!state || state->native == 0) return;
  if (std::shared_ptr<NativeWindowHost> host = Host()) {
    host->Unmap(state->native);
    host->backend()->DestroyNativeWindow(state->native);
  }
}

LRESULT DefaultWindowHandling(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE:
      return 1;
    case WM_PAINT:
      ValidateRect(hwnd, nullptr);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_RBUTTONUP: {
      // The context menu request follows the right button, at the screen point.
      Point point{GetXLParam(lparam), GetYLParam(lparam)};
      if (ClientToScreen(hwnd, &point)) {
        SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MakeLParam(point.x, point.y));
      }
      return 0;
    }
    case WM_SETCURSOR:
      if (LoWord(static_cast<uint64_t>(lparam)) == HTCLIENT) {
        if (std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd)) {
          SetCursor(state->class_cursor);
        }
      }
      return 0;
    case WM_SYSCOMMAND:
      switch (wparam & 0xFFF0) {
        case SC_CLOSE:
          SendMessage(hwnd, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(hwnd, SW_MINIMIZE);
          break;
        case SC_MAXIMIZE:
          ShowWindow(hwnd, SW_MAXIMIZE);
          break;
        case SC_RESTORE:
          ShowWindow(hwnd, SW_RESTORE);
          break;
        default:
          break;
      }
      return 0;
    default:
      return 0;
  }
}

LONG_PTR SetWindowStyleLong(HWND hwnd, int index, LONG_PTR value) {
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  if (!state || (index != GWL_STYLE && index != GWL_EXSTYLE)) return 0;
  std::lock_guard<std::mutex> lock(state->lock);
  uint32_t& field = index == GWL_STYLE ? state->style : state->ex_style;
  const uint32_t old = field;
  field = static_cast<uint32_t>(value);
  if (index == GWL_STYLE) {
    // Visibility follows ShowWindow, not the style word.
    field = (field & ~WS_VISIBLE) | (old & WS_VISIBLE);
  }
  return static_cast<LONG_PTR>(old);
}

LONG_PTR GetWindowStyleLong(HWND hwnd, int index) {
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  if (!state || (index != GWL_STYLE && index != GWL_EXSTYLE)) return 0;
  std::lock_guard<std::mutex> lock(state->lock);
  return static_cast<LONG_PTR>(index == GWL_STYLE ? state->style : state->ex_style);
}

HWND ForeignHandle(NativeWindow native) {
  if (native == 0) return nullptr;
  if (HWND own = HandleOf(native)) return own;
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(native) | kForeignTag);
}

bool ForeignWindowExists(HWND hwnd) {
  ForeignWindows* foreign = Foreign();
  return foreign && foreign->Exists(ForeignNative(hwnd));
}

bool PostToForeignWindow(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  ForeignWindows* foreign = Foreign();
  return foreign && foreign->PostMessage(ForeignNative(hwnd), message, wparam, lparam);
}

}  // namespace internal

bool IsForeignWindow(HWND hwnd) { return (reinterpret_cast<uintptr_t>(hwnd) & kForeignTag) != 0; }

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (IsForeignWindow(hwnd)) {
    if (message == WM_COPYDATA && lparam != 0) {
      const auto* data = reinterpret_cast<const CopyDataStruct*>(lparam);
      return SendCopyData(hwnd, reinterpret_cast<HWND>(wparam), *data, 5000).value_or(0);
    }
    // Another process is never waited for: a hung receiver must not hang us.
    internal::PostToForeignWindow(hwnd, message, wparam, lparam);
    return 0;
  }
  std::shared_ptr<WindowRecord> record = WindowRegistry::Instance().Find(hwnd);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (record->queue != MessageQueue::ForCurrentThread()) {
    // Between threads of this process nothing needs it; refusing beats a
    // dead-lock.
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  return record->proc.load()(hwnd, message, wparam, lparam);
}

bool ShowWindow(HWND hwnd, int command) {
  if (IsForeignWindow(hwnd)) {
    ForeignWindows* foreign = Foreign();
    return foreign && command != SW_HIDE && foreign->Activate(ForeignNative(hwnd));
  }
  auto target = Native(hwnd);
  if (!target) return false;
  WindowBackend* backend = target->backend();
  const bool was_visible = backend->IsVisible(target->native());
  ShowCommand show = ShowCommand::kShow;
  switch (command) {
    case SW_HIDE: show = ShowCommand::kHide; break;
    case SW_SHOWNORMAL: show = ShowCommand::kShowNormal; break;
    case SW_SHOWNOACTIVATE: show = ShowCommand::kShowNoActivate; break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: show = ShowCommand::kMinimize; break;
    case SW_MAXIMIZE: show = ShowCommand::kMaximize; break;
    case SW_RESTORE: show = ShowCommand::kRestore; break;
    default: show = ShowCommand::kShow; break;
  }
  if (show != ShowCommand::kHide) {
    // The window manager reads the size hints when the window appears.
    backend->UpdateSizeLimits(target->native());
    if (!IsWindow(hwnd)) return false;
  }
  backend->ShowNativeWindow(target->native(), show);
  {
    std::lock_guard<std::mutex> lock(target->state->lock);
    if (show == ShowCommand::kHide) {
      target->state->style &= ~WS_VISIBLE;
    } else {
      target->state->style |= WS_VISIBLE;
    }
  }
  return was_visible;
}

bool IsWindowVisible(HWND hwnd) {
  if (IsForeignWindow(hwnd)) {
    ForeignWindows* foreign = Foreign();
    return foreign && foreign->IsShown(ForeignNative(hwnd));
  }
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  if (!state) return false;
  std::lock_guard<std::mutex> lock(state->lock);
  return (state->style & WS_VISIBLE) != 0;
}

bool IsIconic(HWND hwnd) {
  if (IsForeignWindow(hwnd)) {
    ForeignWindows* foreign = Foreign();
    return foreign && foreign->IsIconic(ForeignNative(hwnd));
  }
  auto target = Native(hwnd);
  return target && target->backend()->IsMinimized(target->native());
}

bool IsZoomed(HWND hwnd) {
  auto target = Native(hwnd);
  return target && target->backend()->IsMaximized(target->native());
}

bool SetWindowPos(HWND hwnd, HWND, int x, int y, int width, int height, uint32_t flags) {
  auto target = Native(hwnd);
  if (!target) return false;
  WindowBackend* backend = target->backend();
  const Rect current = backend->GetWindowRect(target->native());
  Rect wanted = current;
  if (!(flags & SWP_NOMOVE)) wanted = Rect{x, y, x + current.Width(), y + current.Height()};
  if (!(flags & SWP_NOSIZE)) {
    wanted.right = wanted.left + width;
    wanted.bottom = wanted.top + height;
  }
  if (wanted.Width() != current.Width() || wanted.Height() != current.Height()) {
    // Asked before sizing, as Windows does; the size itself is the caller's.
    backend->UpdateSizeLimits(target->native());
    if (!IsWindow(hwnd)) return false;
  }
  if (wanted != current) backend->SetWindowRect(target->native(), wanted);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNOACTIVATE : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  return true;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
  if (!SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE)) return false;
  if (repaint) InvalidateRect(hwnd, nullptr, true);
  return true;
}

bool GetWindowRect(HWND hwnd, Rect* rect) {
  auto target = Native(hwnd);
  if (!target) return false;
  *rect = target->backend()->GetWindowRect(target->native());
  return true;
}

bool GetClientRect(HWND hwnd, Rect* rect) {
  Rect window;
  if (!GetWindowRect(hwnd, &window)) return false;
  // Our windows draw their own frame: the client area is the whole window.
  *rect = Rect{0, 0, window.Width(), window.Height()};
  return true;
}

bool ClientToScreen(HWND hwnd, Point* point) {
  Rect window;
  if (!GetWindowRect(hwnd, &window)) return false;
  point->x += window.left;
  point->y += window.top;
  return true;
}

bool ScreenToClient(HWND hwnd, Point* point) {
  Rect window;
  if (!GetWindowRect(hwnd, &window)) return false;
  point->x -= window.left;
  point->y -= window.top;
  return true;
}

bool SetWindowText(HWND hwnd, const std::u16string& text) {
  std::shared_ptr<WindowState> state = OwnState(hwnd);
  if (!state) return false;
  {
    std::lock_guard<std::mutex> lock(state->lock);
    state->title = text;
  }
  if (auto target = Native(hwnd)) target->backend()->SetTitle(target->native(), text);
  return true;
}

std::u16string GetWindowText(HWND hwnd) {
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  if (!state) return std::u16string();
  std::lock_guard<std::mutex> lock(state->lock);
  return state->title;
}

HWND GetWindow(HWND hwnd, uint32_t relation) {
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  if (!state || relation != GW_OWNER) return nullptr;
  return state->owner;
}

bool SetForegroundWindow(HWND hwnd) {
  if (IsForeignWindow(hwnd)) {
    ForeignWindows* foreign = Foreign();
    return foreign && foreign->Activate(ForeignNative(hwnd));
  }
  auto target = Native(hwnd);
  if (!target) return false;
  target->backend()->SetFocus(target->native());
  return true;
}

bool EnableWindow(HWND hwnd, bool enable) {
  std::shared_ptr<WindowState> state = OwnState(hwnd);
  if (!state) return false;
  std::lock_guard<std::mutex> lock(state->lock);
  const bool was_disabled = !state->enabled;
  state->enabled = enable;
  return was_disabled;
}

bool IsWindowEnabled(HWND hwnd) {
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  if (!state) return false;
  std::lock_guard<std::mutex> lock(state->lock);
  return state->enabled;
}

bool InvalidateRect(HWND hwnd, const Rect* rect, bool) {
  std::shared_ptr<WindowState> state = OwnState(hwnd);
  if (!state || state->message_only) return false;
  Rect client;
  if (!GetClientRect(hwnd, &client)) return false;
  const Rect added = rect ? Intersect(*rect, client) : client;
  if (added.IsEmpty()) return true;
  {
    std::lock_guard<std::mutex> lock(state->lock);
    state->update = Union(state->update, added);
  }
  MessageQueue::ForCurrentThread()->SetPaintPending(hwnd, true);
  return true;
}

bool ValidateRect(HWND hwnd, const Rect* rect) {
  std::shared_ptr<WindowState> state = OwnState(hwnd);
  if (!state) return false;
  bool empty = false;
  {
    std::lock_guard<std::mutex> lock(state->lock);
    // The update area is kept as one rectangle: it goes only when covered.
    if (!rect || Intersect(*rect, state->update) == state->update) state->update = Rect{};
    empty = state->update.IsEmpty();
  }
  if (empty) MessageQueue::ForCurrentThread()->SetPaintPending(hwnd, false);
  return true;
}

bool GetUpdateRect(HWND hwnd, Rect* rect, bool) {
  std::shared_ptr<WindowState> state = OwnState(hwnd);
  if (!state) return false;
  std::lock_guard<std::mutex> lock(state->lock);
  if (rect) *rect = state->update;
  return !state->update.IsEmpty();
}

bool BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  Rect update;
  GetUpdateRect(hwnd, &update, false);
  if (paint) {
    paint->rcPaint = update;
    paint->fErase = false;
  }
  return ValidateRect(hwnd, nullptr);
}

bool EndPaint(HWND hwnd, const PAINTSTRUCT*) { return IsWindow(hwnd); }

bool UpdateLayeredWindow(HWND hwnd, const PresentBuffer& picture) {
  auto target = Native(hwnd);
  if (!target) return false;
  target->backend()->Present(target->native(), picture);
  return true;
}

bool SetWindowRoundRegion(HWND hwnd, Size ellipse) {
  auto target = Native(hwnd);
  if (!target) return false;
  target->backend()->SetRoundShape(target->native(), ellipse);
  return true;
}

HWND SetFocus(HWND hwnd) {
  std::shared_ptr<NativeWindowHost> host = Host();
  if (!host) return nullptr;
  const HWND previous = HandleOf(host->backend()->GetFocus());
  if (hwnd) {
    auto target = Native(hwnd);
    if (!target) return nullptr;
    target->backend()->SetFocus(target->native());
  }
  return previous;
}

HWND GetFocus() {
  std::shared_ptr<NativeWindowHost> host = Host();
  return host ? HandleOf(host->backend()->GetFocus()) : nullptr;
}

HWND SetCapture(HWND hwnd) {
  std::shared_ptr<NativeWindowHost> host = Host();
  if (!host) return nullptr;
  const HWND previous = HandleOf(host->backend()->GetCapture());
  if (auto target = Native(hwnd)) target->backend()->SetCapture(target->native());
  return previous;
}

bool ReleaseCapture() {
  std::shared_ptr<NativeWindowHost> host = Host();
  if (!host) return false;
  host->backend()->ReleaseCapture();
  return true;
}

HWND GetCapture() {
  std::shared_ptr<NativeWindowHost> host = Host();
  return host ? HandleOf(host->backend()->GetCapture()) : nullptr;
}

void SetCursor(CursorKind cursor) {
  std::shared_ptr<NativeWindowHost> host = Host();
  if (!host) return;
  HWND target = HandleOf(host->backend()->GetCapture());
  if (!target) target = host->mouse_window();
  if (auto native = Native(target)) native->backend()->SetCursor(native->native(), cursor);
}

bool GetCursorPos(Point* point) {
  WindowBackend* backend = GetWindowBackend();
  if (!backend) return false;
  *point = backend->GetCursorPos();
  return true;
}

int16_t GetKeyState(uint32_t virtual_key) {
  WindowBackend* backend = GetWindowBackend();
  return backend && backend->IsKeyDown(virtual_key) ? static_cast<int16_t>(-32768) : 0;
}

bool TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (!track) return false;
  auto target = Native(track->hwndTrack);
  if (!target) return false;
  // HOVER_DEFAULT (0xFFFFFFFF) and other non-positive times take the
  // system's 400 ms.
  const int hover = track->dwHoverTime > 0 ? track->dwHoverTime : 400;
  target->backend()->TrackMouse(target->native(), track->dwFlags, hover);
  return true;
}

std::optional<MonitorInfo> MonitorFromPoint(Point point) {
  WindowBackend* backend = GetWindowBackend();
  if (!backend) return std::nullopt;
  return MonitorNearestPoint(backend->GetMonitors(), point);
}

std::optional<MonitorInfo> MonitorFromWindow(HWND hwnd) {
  Rect rect;
  if (!GetWindowRect(hwnd, &rect)) return PrimaryMonitor();
  return MonitorFromPoint(Point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

std::optional<MonitorInfo> PrimaryMonitor() {
  WindowBackend* backend = GetWindowBackend();
  if (!backend) return std::nullopt;
  for (const MonitorInfo& m : backend->GetMonitors()) {
    if (m.primary) return m;
  }
  return std::nullopt;
}

int GetSystemMetrics(int index) {
  WindowBackend* backend = GetWindowBackend();
  if (!backend) return 0;
  const std::vector<MonitorInfo> monitors = backend->GetMonitors();
  const Rect screen = VirtualScreenRect(monitors);
  Rect primary;
  for (const MonitorInfo& m : monitors) {
    if (m.primary) primary = m.monitor;
  }
  switch (index) {
    case SM_CXSCREEN: return primary.Width();
    case SM_CYSCREEN: return primary.Height();
    case SM_XVIRTUALSCREEN: return screen.left;
    case SM_YVIRTUALSCREEN: return screen.top;
    case SM_CXVIRTUALSCREEN: return screen.Width();
    case SM_CYVIRTUALSCREEN: return screen.Height();
    case SM_CMONITORS: return static_cast<int>(monitors.size());
    default: return 0;
  }
}

int GetDpiForSystem() {
  WindowBackend* backend = GetWindowBackend();
  return backend ? backend->GetDpi() : 96;
}

bool SetProp(HWND hwnd, const std::u16string& name, uintptr_t value) {
  std::shared_ptr<WindowState> state = OwnState(hwnd);
  if (!state || name.empty()) return false;
  {
    std::lock_guard<std::mutex> lock(state->lock);
    state->properties[name] = value;
  }
  if (auto target = Native(hwnd)) {
    // Other processes know the window by its native id, not by our handle.
    const uint64_t published = value == reinterpret_cast<uintptr_t>(hwnd) ? target->native() : value;
    target->backend()->SetSharedProperty(target->native(), UTF16ToUTF8(name), published);
  }
  return true;
}

uintptr_t GetProp(HWND hwnd, const std::u16string& name) {
  if (IsForeignWindow(hwnd)) {
    ForeignWindows* foreign = Foreign();
    if (!foreign) return 0;
    const NativeWindow native = ForeignNative(hwnd);
    const std::optional<uint64_t> value = foreign->GetProperty(native, UTF16ToUTF8(name));
    if (!value) return 0;
    // A window that names itself names its handle here.
    return *value == native ? reinterpret_cast<uintptr_t>(hwnd) : static_cast<uintptr_t>(*value);
  }
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  if (!state) return 0;
  std::lock_guard<std::mutex> lock(state->lock);
  auto it = state->properties.find(name);
  return it == state->properties.end() ? 0 : it->second;
}

uintptr_t RemoveProp(HWND hwnd, const std::u16string& name) {
  std::shared_ptr<WindowState> state = OwnState(hwnd);
  if (!state) return 0;
  uintptr_t old = 0;
  {
    std::lock_guard<std::mutex> lock(state->lock);
    auto it = state->properties.find(name);
    if (it == state->properties.end()) return 0;
    old = it->second;
    state->properties.erase(it);
  }
  if (auto target = Native(hwnd)) target->backend()->RemoveSharedProperty(target->native(), UTF16ToUTF8(name));
  return old;
}

std::vector<HWND> FindWindowsWithSelfProperty(const std::u16string& name) {
  std::vector<HWND> found;
  std::vector<NativeWindow> own_natives;
  for (const auto& state : WindowStateTable::Instance().TopLevel()) {
    own_natives.push_back(state->native);
    std::lock_guard<std::mutex> lock(state->lock);
    auto it = state->properties.find(name);
    if (it != state->properties.end() && it->second == reinterpret_cast<uintptr_t>(state->hwnd)) {
      found.push_back(state->hwnd);
    }
  }
  if (ForeignWindows* foreign = Foreign()) {
    for (NativeWindow native : foreign->FindBySelfProperty(UTF16ToUTF8(name))) {
      if (std::find(own_natives.begin(), own_natives.end(), native) != own_natives.end()) continue;
      found.push_back(internal::ForeignHandle(native));
    }
  }
  return found;
}

HWND FindWindow(const std::u16string& class_name, const std::u16string& title) {
  for (const auto& state : WindowStateTable::Instance().TopLevel()) {
    if (state->class_name != class_name) continue;
    std::lock_guard<std::mutex> lock(state->lock);
    if (title.empty() || state->title == title) return state->hwnd;
  }
  ForeignWindows* foreign = Foreign();
  if (!foreign) return nullptr;
  for (NativeWindow native : foreign->FindByClass(UTF16ToUTF8(class_name))) {
    if (HandleOf(native)) continue;  // ours, and already looked at
    return internal::ForeignHandle(native);
  }
  return nullptr;
}

std::optional<LRESULT> SendCopyData(HWND hwnd, HWND, const CopyDataStruct& data, int timeout_ms) {
  ForeignWindows* foreign = Foreign();
  if (!IsForeignWindow(hwnd) || !foreign) return std::nullopt;
  return foreign->SendCopyData(ForeignNative(hwnd), data.dwData, data.lpData, data.cbData, timeout_ms);
}

NativeWindow GetNativeWindow(HWND hwnd) {
  std::shared_ptr<WindowState> state = WindowStateTable::Instance().Find(hwnd);
  return state ? state->native : 0;
}

}  // namespace platform
