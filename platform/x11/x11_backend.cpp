#include "platform/x11/x11_backend.h"

#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/text/utf_conversion.h"
#include "platform/window/window_region.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_keys.h"
#include "platform/x11/x11_protocol.h"

namespace platform::x11 {

namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask |
                            FocusChangeMask | PropertyChangeMask;

constexpr unsigned int kPointerMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                                      LeaveWindowMask;

// _NET_WM_MOVERESIZE directions.
constexpr long kMoveResizeMove = 8;

bool IsNonClientHit(LRESULT hit) { return hit == HTCAPTION || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT); }

long MoveResizeDirection(LRESULT hit) {
  switch (hit) {
    case HTTOPLEFT: return 0;
    case HTTOP: return 1;
    case HTTOPRIGHT: return 2;
    case HTRIGHT: return 3;
    case HTBOTTOMRIGHT: return 4;
    case HTBOTTOM: return 5;
    case HTBOTTOMLEFT: return 6;
    case HTLEFT: return 7;
    default: return kMoveResizeMove;
  }
}

}  // namespace

std::unique_ptr<X11Backend> X11Backend::Open(const Options& options) {
  X11ErrorTrap::InstallHandlers();
  Display* display = OpenDisplay(options.display_name);
  if (!display) return nullptr;
  X11ErrorTrap::SurviveConnectionLoss(display);
  std::unique_ptr<X11Backend> backend(new X11Backend(display, options));
  if (!backend->Init()) return nullptr;
  return backend;
}

X11Backend::X11Backend(Display* display, const Options& options) : display_(display), options_(options) {}

bool X11Backend::Init() {
  screen_ = DefaultScreen(display_);
  root_ = RootWindow(display_, screen_);
  XVisualInfo info{};
  if (!XMatchVisualInfo(display_, screen_, 32, TrueColor, &info)) return false;
  visual_ = info.visual;
  colormap_ = XCreateColormap(display_, root_, visual_, AllocNone);
  // Key repeat arrives as presses only, so a held key is not released between.
  Bool supported = False;
  XkbSetDetectableAutoRepeat(display_, True, &supported);
  XSetLocaleModifiers("");
  input_method_ = XOpenIM(display_, nullptr, nullptr, nullptr);
  if (!input_method_) {
    XSetLocaleModifiers("@im=none");
    input_method_ = XOpenIM(display_, nullptr, nullptr, nullptr);
  }
  cursors_[static_cast<int>(CursorKind::kArrow)] = XCreateFontCursor(display_, XC_left_ptr);
  cursors_[static_cast<int>(CursorKind::kHand)] = XCreateFontCursor(display_, XC_hand2);
  cursors_[static_cast<int>(CursorKind::kIBeam)] = XCreateFontCursor(display_, XC_xterm);
  dpi_ = options_.dpi_override > 0 ? options_.dpi_override : ReadDpi();
  return true;
}

X11Backend::~X11Backend() {
  while (!windows_.empty()) DestroyNativeWindow(windows_.begin()->first);
  for (Cursor c : cursors_) {
    if (c) XFreeCursor(display_, c);
  }
  if (input_method_) XCloseIM(input_method_);
  if (colormap_) XFreeColormap(display_, colormap_);
  X11ErrorTrap::ForgetConnection(display_);
  XCloseDisplay(display_);
}

Atom X11Backend::AtomFor(const char* name) const { return XInternAtom(display_, name, False); }

X11Backend::NativeRecord* X11Backend::Find(Window window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const X11Backend::NativeRecord* X11Backend::Find(Window window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

int64_t X11Backend::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
}

int X11Backend::ReadDpi() const {
  const char* resources = XResourceManagerString(display_);
  if (resources) {
    const char* found = std::strstr(resources, "Xft.dpi:");
    if (found) {
      const double dpi = std::strtod(found + std::strlen("Xft.dpi:"), nullptr);
      if (dpi >= 48 && dpi <= 960) return static_cast<int>(std::lround(dpi));
    }
  }
  return 96;
}

NativeWindow X11Backend::CreateNativeWindow(const NativeWindowParams& params) {
  XSetWindowAttributes attributes{};
  attributes.colormap = colormap_;
  attributes.border_pixel = 0;
  attributes.background_pixmap = None;
  attributes.event_mask = kEventMask;
  const int width = std::max(1, params.rect.Width());
  const int height = std::max(1, params.rect.Height());
  X11ErrorTrap trap(display_);
  const Window window = XCreateWindow(display_, root_, params.rect.left, params.rect.top, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, 32, InputOutput, visual_,
                                      CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
  if (!trap.SyncAndCheck() || !window) return 0;

  // No frame: the window draws its own caption and borders.
  long motif_hints[5] = {2, 0, 0, 0, 0};
  const Atom motif = AtomFor("_MOTIF_WM_HINTS");
  XChangeProperty(display_, window, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(motif_hints),
                  5);
  XClassHint class_hint{};
  std::string class_name = params.class_name;
  class_hint.res_name = class_name.data();
  class_hint.res_class = class_name.data();
  XSetClassHint(display_, window, &class_hint);
  XSizeHints size_hints{};
  size_hints.flags = USPosition | USSize;
  size_hints.x = params.rect.left;
  size_hints.y = params.rect.top;
  size_hints.width = width;
  size_hints.height = height;
  XSetWMNormalHints(display_, window, &size_hints);
  Atom protocols[2] = {AtomFor("WM_DELETE_WINDOW"), AtomFor("_NET_WM_PING")};
  XSetWMProtocols(display_, window, protocols, 2);
  long pid = getpid();
  XChangeProperty(display_, window, AtomFor("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  if (params.owner && Find(static_cast<Window>(params.owner))) {
    XSetTransientForHint(display_, window, static_cast<Window>(params.owner));
  }
  NativeRecord& record = windows_[window];
  record.params = params;
  record.rect = Rect{params.rect.left, params.rect.top, params.rect.left + width, params.rect.top + height};
  record.restore_rect = record.rect;
  record.presenter = std::make_unique<X11Presenter>(display_, visual_, window, options_.present_mode);
  if (input_method_) {
    record.input_context = XCreateIC(input_method_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                                     XNClientWindow, window, XNFocusWindow, window, nullptr);
  }
  XDefineCursor(display_, window, cursors_[0]);
  SetTitle(window, params.title);
  return window;
}

void X11Backend::DestroyNativeWindow(NativeWindow native) {
  const Window window = static_cast<Window>(native);
  NativeRecord* record = Find(window);
  if (!record) return;
  if (record->input_context) XDestroyIC(record->input_context);
  record->presenter.reset();
  if (capture_ == window) {
    XUngrabPointer(display_, CurrentTime);
    capture_ = 0;
  }
  if (drag_ && drag_->window == window) drag_.reset();
  if (focus_ == window) focus_ = 0;
  tracker_.Forget(window);
  {
    X11ErrorTrap trap(display_);
    XDestroyWindow(display_, window);
  }
  windows_.erase(window);
  std::erase_if(synthetic_, [window](const Synthetic& s) { return s.window == window; });
}

bool X11Backend::IsNativeWindow(NativeWindow window) const { return Find(static_cast<Window>(window)) != nullptr; }

bool X11Backend::HasWindowManager() const {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display_, root_, AtomFor("_NET_SUPPORTING_WM_CHECK"), 0, 1, False, XA_WINDOW, &type,
                         &format, &count, &remaining, &data) == Success &&
      data && count == 1) {
    found = true;
  }
  if (data) XFree(data);
  return found;
}

bool X11Backend::WindowManagerSupports(const char* atom_name) const {
  if (!HasWindowManager()) return false;
  const Atom wanted = AtomFor(atom_name);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display_, root_, AtomFor("_NET_SUPPORTED"), 0, 4096, False, XA_ATOM, &type, &format, &count,
                         &remaining, &data) == Success &&
      data && format == 32) {
    const long* atoms = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      if (static_cast<Atom>(atoms[i]) == wanted) found = true;
    }
  }
  if (data) XFree(data);
  return found;
}

void X11Backend::SendNetWmState(Window window, bool add, const char* first, const char* second) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = AtomFor("_NET_WM_STATE");
  event.xclient.format = 32;
  event.xclient.data.l[0] = add ? 1 : 0;
  event.xclient.data.l[1] = static_cast<long>(AtomFor(first));
  event.xclient.data.l[2] = second ? static_cast<long>(AtomFor(second)) : 0;
  event.xclient.data.l[3] = 1;
  XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void X11Backend::ShowNativeWindow(NativeWindow native, ShowCommand command) {
  const Window window = static_cast<Window>(native);
  NativeRecord* record = Find(window);
  if (!record) return;
  switch (command) {
    case ShowCommand::kHide:
      record->shown = false;
      XUnmapWindow(display_, window);
      break;
    case ShowCommand::kShowNormal:
    case ShowCommand::kShow:
      record->shown = true;
      record->focus_on_map = true;
      XMapRaised(display_, window);
      if (record->mapped) SetFocus(window);
      break;
    case ShowCommand::kShowNoActivate:
      record->shown = true;
      XMapRaised(display_, window);
      break;
    case ShowCommand::kMinimize:
      record->shown = true;
      record->minimized = true;
      XIconifyWindow(display_, window, screen_);
      // Without a window manager nobody else takes an iconic window away.
      if (!HasWindowManager()) XUnmapWindow(display_, window);
      Queue(window, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case ShowCommand::kMaximize: {
      record->shown = true;
      record->minimized = false;
      XMapRaised(display_, window);
      if (!record->maximized) record->restore_rect = record->rect;
      record->maximized = true;
      if (HasWindowManager()) {
        SendNetWmState(window, true, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
      } else {
        const Rect r = record->rect;
        const auto monitor = MonitorNearestPoint(GetMonitors(), Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        if (monitor) SetWindowRect(window, monitor->work);
      }
      break;
    }
    case ShowCommand::kRestore:
      record->shown = true;
      record->focus_on_map = true;
      if (record->minimized) {
        record->minimized = false;
        XMapRaised(display_, window);
        Queue(window, WM_SIZE, record->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
              MakeLParam(record->rect.Width(), record->rect.Height()));
      } else if (record->maximized) {
        record->maximized = false;
        if (HasWindowManager()) {
          SendNetWmState(window, false, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
        } else {
          SetWindowRect(window, record->restore_rect);
        }
      } else {
        XMapRaised(display_, window);
      }
      if (record->mapped) SetFocus(window);
      break;
  }
  XFlush(display_);
}

bool X11Backend::IsVisible(NativeWindow window) const {
  const NativeRecord* r = Find(static_cast<Window>(window));
  return r && r->shown;
}

bool X11Backend::IsMinimized(NativeWindow window) const {
  const NativeRecord* r = Find(static_cast<Window>(window));
  return r && r->minimized;
}

bool X11Backend::IsMaximized(NativeWindow window) const {
  const NativeRecord* r = Find(static_cast<Window>(window));
  return r && r->maximized;
}

void X11Backend::SetWindowRect(NativeWindow native, const Rect& rect) {
  const Window window = static_cast<Window>(native);
  NativeRecord* record = Find(window);
  if (!record) return;
  const int width = std::max(1, rect.Width());
  const int height = std::max(1, rect.Height());
  XMoveResizeWindow(display_, window, rect.left, rect.top, static_cast<unsigned>(width),
                    static_cast<unsigned>(height));
  XFlush(display_);
  // Windows answers GetWindowRect with the new rectangle at once; the
  // ConfigureNotify that follows brings WM_MOVE and WM_SIZE.
  const Rect old = record->rect;
  record->rect = Rect{rect.left, rect.top, rect.left + width, rect.top + height};
  if (old.Width() != width || old.Height() != height) {
    ApplyShape(window, *record);
    if (client_) client_->OnBackendInvalidate(window, Rect{0, 0, width, height});
    Queue(window, WM_SIZE, record->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MakeLParam(width, height));
  }
  if (old.left != rect.left || old.top != rect.top) Queue(window, WM_MOVE, 0, MakeLParam(rect.left, rect.top));
}

Rect X11Backend::GetWindowRect(NativeWindow window) const {
  const NativeRecord* r = Find(static_cast<Window>(window));
  return r ? r->rect : Rect{};
}

void X11Backend::SetTitle(NativeWindow native, const std::u16string& title) {
  const Window window = static_cast<Window>(native);
  if (!Find(window)) return;
  const std::string utf8 = UTF16ToUTF8(title);
  XChangeProperty(display_, window, AtomFor("_NET_WM_NAME"), AtomFor("UTF8_STRING"), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
  XStoreName(display_, window, utf8.c_str());
}

void X11Backend::Present(NativeWindow native, const PresentBuffer& buffer) {
  NativeRecord* record = Find(static_cast<Window>(native));
  if (!record || !record->presenter) return;
  X11ErrorTrap trap(display_);
  record->presenter->Present(buffer);
}

bool X11Backend::UsingSharedMemory(NativeWindow window) const {
  const NativeRecord* r = Find(static_cast<Window>(window));
  return r && r->presenter && r->presenter->UsingSharedMemory();
}

void X11Backend::ApplyShape(Window window, const NativeRecord& record) {
  int event_base = 0;
  int error_base = 0;
  if (!XShapeQueryExtension(display_, &event_base, &error_base)) return;
  if (record.shape.cx <= 0 || record.shape.cy <= 0) {
    XShapeCombineMask(display_, window, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
  const std::vector<Rect> bands = RoundRectBands(record.rect.Width(), record.rect.Height(), record.shape);
  std::vector<XRectangle> rects;
  rects.reserve(bands.size());
  for (const Rect& b : bands) {
    rects.push_back(XRectangle{static_cast<short>(b.left), static_cast<short>(b.top),
                               static_cast<unsigned short>(b.Width()), static_cast<unsigned short>(b.Height())});
  }
  XShapeCombineRectangles(display_, window, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()),
                          ShapeSet, YXBanded);
}

void X11Backend::SetRoundShape(NativeWindow native, Size ellipse) {
  const Window window = static_cast<Window>(native);
  NativeRecord* record = Find(window);
  if (!record) return;
  record->shape = ellipse;
  ApplyShape(window, *record);
  XFlush(display_);
}

void X11Backend::SetFocus(NativeWindow native) {
  const Window window = static_cast<Window>(native);
  NativeRecord* record = Find(window);
  if (!record) return;
  if (!record->mapped) {
    // An unmapped window cannot take the focus yet; it does once it is mapped.
    record->focus_on_map = true;
    return;
  }
  X11ErrorTrap trap(display_);
  if (HasWindowManager()) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = AtomFor("_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  }
  XSetInputFocus(display_, window, RevertToParent, CurrentTime);
}

void X11Backend::SetCapture(NativeWindow native) {
  const Window window = static_cast<Window>(native);
  if (!Find(window) || capture_ == window) return;
  const Window old = capture_;
  X11ErrorTrap trap(display_);
  XGrabPointer(display_, window, False, kPointerMask, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  capture_ = window;
  if (old) Queue(old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(window));
}

void X11Backend::ReleaseCapture() {
  const Window old = capture_;
  if (!old) return;
  capture_ = 0;
  XUngrabPointer(display_, CurrentTime);
  XFlush(display_);
  Queue(old, WM_CAPTURECHANGED, 0, 0);
}

void X11Backend::SetCursor(NativeWindow native, CursorKind shape) {
  const Window window = static_cast<Window>(native);
  NativeRecord* record = Find(window);
  if (!record || record->cursor == shape) return;
  record->cursor = shape;
  XDefineCursor(display_, window, cursors_[static_cast<int>(shape)]);
  XFlush(display_);
}

Point X11Backend::GetCursorPos() const {
  Window root_return = 0;
  Window child = 0;
  int root_x = 0;
  int root_y = 0;
  int win_x = 0;
  int win_y = 0;
  unsigned int mask = 0;
  XQueryPointer(display_, root_, &root_return, &child, &root_x, &root_y, &win_x, &win_y, &mask);
  return Point{root_x, root_y};
}

void X11Backend::TrackMouse(NativeWindow window, uint32_t flags, int hover_ms) {
  tracker_.Arm(window, flags, hover_ms, NowMs());
}

void X11Backend::BeginMoveResize(NativeWindow native, LRESULT hit_test, Point screen_point) {
  const Window window = static_cast<Window>(native);
  NativeRecord* record = Find(window);
  if (!record || !IsNonClientHit(hit_test)) return;
  if (WindowManagerSupports("_NET_WM_MOVERESIZE")) {
    // The window manager drives the move; it needs the pointer to itself.
    XUngrabPointer(display_, CurrentTime);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = AtomFor("_NET_WM_MOVERESIZE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = screen_point.x;
    event.xclient.data.l[1] = screen_point.y;
    event.xclient.data.l[2] = MoveResizeDirection(hit_test);
    event.xclient.data.l[3] = Button1;
    event.xclient.data.l[4] = 1;
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display_);
    return;
  }
  // No window manager: follow the pointer ourselves until the button is up.
  drag_ = Drag{window, hit_test, screen_point, record->rect};
  X11ErrorTrap trap(display_);
  XGrabPointer(display_, window, False, kPointerMask, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
}

void X11Backend::UpdateDrag(Point pointer) {
  NativeRecord* record = Find(drag_->window);
  if (!record) {
    drag_.reset();
    return;
  }
  const int dx = pointer.x - drag_->start_pointer.x;
  const int dy = pointer.y - drag_->start_pointer.y;
  Rect r = drag_->start_rect;
  const LRESULT hit = drag_->hit_test;
  constexpr int kMinimum = 16;
  if (hit == HTCAPTION) {
    r = Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  } else {
    if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) r.left = std::min(r.left + dx, r.right - kMinimum);
    if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) r.right = std::max(r.right + dx, r.left + kMinimum);
    if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) r.top = std::min(r.top + dy, r.bottom - kMinimum);
    if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) r.bottom = std::max(r.bottom + dy, r.top + kMinimum);
  }
  SetWindowRect(drag_->window, r);
}

std::vector<MonitorInfo> X11Backend::GetMonitors() const {
  std::vector<MonitorInfo> monitors;
  int event_base = 0;
  int error_base = 0;
  if (XRRQueryExtension(display_, &event_base, &error_base)) {
    int count = 0;
    XRRMonitorInfo* infos = XRRGetMonitors(display_, root_, True, &count);
    for (int i = 0; infos && i < count; ++i) {
      MonitorInfo m;
      m.monitor = Rect{infos[i].x, infos[i].y, infos[i].x + infos[i].width, infos[i].y + infos[i].height};
      m.work = m.monitor;
      m.primary = infos[i].primary != 0;
      monitors.push_back(m);
    }
    if (infos) XRRFreeMonitors(infos);
  }
  if (monitors.empty()) {
    MonitorInfo m;
    m.monitor = Rect{0, 0, DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)};
    m.work = m.monitor;
    monitors.push_back(m);
  }
  if (std::none_of(monitors.begin(), monitors.end(), [](const MonitorInfo& m) { return m.primary; })) {
    monitors.front().primary = true;
  }
  // The desktop's work area (panels excluded) applies to every monitor it
  // overlaps.
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, root_, AtomFor("_NET_WORKAREA"), 0, 4, False, XA_CARDINAL, &type, &format, &count,
                         &remaining, &data) == Success &&
      data && format == 32 && count >= 4) {
    const long* v = reinterpret_cast<const long*>(data);
    const Rect work{static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[0] + v[2]),
                    static_cast<int>(v[1] + v[3])};
    for (MonitorInfo& m : monitors) {
      const Rect clipped = Intersect(m.monitor, work);
      if (!clipped.IsEmpty()) m.work = clipped;
    }
  }
  if (data) XFree(data);
  return monitors;
}

void X11Backend::SetSharedProperty(NativeWindow window, const std::string& name, uint64_t value) {
  if (!Find(static_cast<Window>(window))) return;
  SetCardinal64Property(display_, static_cast<Window>(window), AtomFor(name.c_str()), value);
  XFlush(display_);
}

void X11Backend::RemoveSharedProperty(NativeWindow window, const std::string& name) {
  if (!Find(static_cast<Window>(window))) return;
  XDeleteProperty(display_, static_cast<Window>(window), AtomFor(name.c_str()));
  XFlush(display_);
}

std::optional<uint64_t> X11Backend::GetSharedProperty(NativeWindow window, const std::string& name) const {
  uint64_t value = 0;
  if (!GetCardinal64Property(display_, static_cast<Window>(window), AtomFor(name.c_str()), &value)) {
    return std::nullopt;
  }
  return value;
}

int X11Backend::EventDescriptor() const {
  return X11ErrorTrap::ConnectionLost(display_) ? -1 : ConnectionNumber(display_);
}

int X11Backend::NextTimeoutMs() const {
  if (X11ErrorTrap::ConnectionLost(display_)) return -1;
  if (!synthetic_.empty() || XPending(display_) > 0) return 0;
  const int64_t deadline = tracker_.HoverDeadline();
  if (deadline < 0) return -1;
  const int64_t now = NowMs();
  return deadline <= now ? 0 : static_cast<int>(std::min<int64_t>(deadline - now, INT_MAX));
}

LRESULT X11Backend::Send(Window window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  return client_ && Find(window) ? client_->OnBackendMessage(window, message, wparam, lparam) : 0;
}

void X11Backend::Queue(Window window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  synthetic_.push_back(Synthetic{window, message, wparam, lparam});
}

bool X11Backend::DispatchEvents() {
  if (X11ErrorTrap::ConnectionLost(display_)) return false;
  bool delivered = false;
  while (!synthetic_.empty()) {
    const Synthetic s = synthetic_.front();
    synthetic_.pop_front();
    Send(s.window, s.message, s.wparam, s.lparam);
    delivered = true;
  }
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (XFilterEvent(&event, None)) continue;
    HandleEvent(event);
    delivered = true;
    while (!synthetic_.empty()) {
      const Synthetic s = synthetic_.front();
      synthetic_.pop_front();
      Send(s.window, s.message, s.wparam, s.lparam);
    }
  }
  if (auto hover = tracker_.TakeDueHover(NowMs())) {
    // The point where the pointer rests now, in the window's coordinates.
    const Window window = static_cast<Window>(hover->window);
    Window root_return = 0;
    Window child = 0;
    int root_x = 0;
    int root_y = 0;
    int x = hover->client.x;
    int y = hover->client.y;
    unsigned int mask = 0;
    X11ErrorTrap trap(display_);
    XQueryPointer(display_, window, &root_return, &child, &root_x, &root_y, &x, &y, &mask);
    Send(window, WM_MOUSEHOVER, MouseKeyState(mask), MakeLParam(x, y));
    delivered = true;
  }
  return delivered;
}

WPARAM X11Backend::MouseKeyState(unsigned int state) const {
  WPARAM w = 0;
  if (state & Button1Mask) w |= MK_LBUTTON;
  if (state & Button2Mask) w |= MK_MBUTTON;
  if (state & Button3Mask) w |= MK_RBUTTON;
  if (state & ShiftMask) w |= MK_SHIFT;
  if (state & ControlMask) w |= MK_CONTROL;
  return w;
}

void X11Backend::HandleEvent(XEvent& event) {
  const Window window = event.xany.window;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      if (client_ && Find(window)) {
        client_->OnBackendInvalidate(window, Rect{e.x, e.y, e.x + e.width, e.y + e.height});
      }
      break;
    }
    case MapNotify:
      if (NativeRecord* r = Find(window)) {
        r->mapped = true;
        if (r->focus_on_map) {
          r->focus_on_map = false;
          SetFocus(window);
        }
      }
      break;
    case UnmapNotify:
      if (NativeRecord* r = Find(window)) r->mapped = false;
      break;
    case ConfigureNotify:
      OnConfigure(event.xconfigure);
      break;
    case ButtonPress:
      OnButtonPress(event.xbutton);
      break;
    case ButtonRelease:
      OnButtonRelease(event.xbutton);
      break;
    case MotionNotify:
      // Only the latest position of a burst of moves matters; a burst ends
      // at any other event, so enter and leave keep their place.
      while (XEventsQueued(display_, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(display_, &next);
        if (next.type != MotionNotify || next.xmotion.window != window) break;
        XNextEvent(display_, &event);
      }
      OnMotion(event.xmotion);
      break;
    case LeaveNotify:
      if (event.xcrossing.mode == NotifyNormal && tracker_.OnLeave(window)) Send(window, WM_MOUSELEAVE, 0, 0);
      break;
    case KeyPress:
      OnKey(event.xkey, true);
      break;
    case KeyRelease:
      OnKey(event.xkey, false);
      break;
    case FocusIn:
      OnFocus(event.xfocus, true);
      break;
    case FocusOut:
      OnFocus(event.xfocus, false);
      break;
    case ClientMessage:
      OnClientMessage(event.xclient);
      break;
    default:
      break;
  }
}

void X11Backend::OnConfigure(const XConfigureEvent& event) {
  const Window window = event.window;
  NativeRecord* record = Find(window);
  if (!record) return;
  int x = event.x;
  int y = event.y;
  if (!event.send_event) {
    // A window manager's frame makes the coordinates relative to it.
    Window child = 0;
    XTranslateCoordinates(display_, window, root_, 0, 0, &x, &y, &child);
  }
  const Rect old = record->rect;
  record->rect = Rect{x, y, x + event.width, y + event.height};
  if (old.Width() != event.width || old.Height() != event.height) {
    ApplyShape(window, *record);
    if (client_) client_->OnBackendInvalidate(window, Rect{0, 0, event.width, event.height});
    Send(window, WM_SIZE, record->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MakeLParam(event.width, event.height));
  }
  if (old.left != x || old.top != y) Send(window, WM_MOVE, 0, MakeLParam(x, y));
}

void X11Backend::OnButtonPress(const XButtonEvent& event) {
  const Window window = event.window;
  if (!Find(window)) return;
  const Point client{event.x, event.y};
  const Point screen{event.x_root, event.y_root};
  const LPARAM client_point = MakeLParam(client.x, client.y);
  const WPARAM state = MouseKeyState(event.state);
  if (event.button >= 4 && event.button <= 7) {
    // The wheel: one notch is 120, positive away from the user (up) and to
    // the right; the point is in screen coordinates.
    const bool vertical = event.button <= 5;
    const int delta = (event.button == 4 || event.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
    Send(window, vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL, MakeWParam(static_cast<unsigned>(state), static_cast<unsigned>(delta)),
         MakeLParam(screen.x, screen.y));
    return;
  }
  int button = 0;
  WPARAM own_flag = 0;
  switch (event.button) {
    case Button1: button = 1, own_flag = MK_LBUTTON; break;
    case Button2: button = 2, own_flag = MK_MBUTTON; break;
    case Button3: button = 3, own_flag = MK_RBUTTON; break;
    default: return;
  }
  const bool is_double = double_click_.OnPress(window, button, screen, static_cast<int64_t>(event.time));
  if (button == 1 && capture_ == 0) {
    const LRESULT hit = Send(window, WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y));
    if (IsNonClientHit(hit)) {
      Send(window, is_double ? WM_NCLBUTTONDBLCLK : WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit),
           MakeLParam(screen.x, screen.y));
      if (!is_double) BeginMoveResize(window, hit, screen);
      return;
    }
  }
  static constexpr uint32_t kDown[] = {0, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
  static constexpr uint32_t kDouble[] = {0, WM_LBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK};
  Send(window, is_double ? kDouble[button] : kDown[button], state | own_flag, client_point);
}

void X11Backend::OnButtonRelease(const XButtonEvent& event) {
  const Window window = event.window;
  if (drag_ && event.button == Button1) {
    UpdateDrag(Point{event.x_root, event.y_root});
    drag_.reset();
    XUngrabPointer(display_, CurrentTime);
    return;
  }
  if (!Find(window)) return;
  WPARAM own_flag = 0;
  uint32_t message = 0;
  switch (event.button) {
    case Button1: message = WM_LBUTTONUP, own_flag = MK_LBUTTON; break;
    case Button2: message = WM_MBUTTONUP, own_flag = MK_MBUTTON; break;
    case Button3: message = WM_RBUTTONUP, own_flag = MK_RBUTTON; break;
    default: return;
  }
  Send(window, message, MouseKeyState(event.state) & ~own_flag, MakeLParam(event.x, event.y));
}

void X11Backend::OnMotion(const XMotionEvent& event) {
  if (drag_) {
    UpdateDrag(Point{event.x_root, event.y_root});
    return;
  }
  const Window window = event.window;
  if (!Find(window)) return;
  tracker_.OnMove(window, Point{event.x, event.y}, NowMs());
  Send(window, WM_MOUSEMOVE, MouseKeyState(event.state), MakeLParam(event.x, event.y));
}

void X11Backend::OnKey(XKeyEvent& event, bool down) {
  const Window window = event.window;
  NativeRecord* record = Find(window);
  if (!record) return;
  const uint32_t vk = VirtualKeyFromKeysym(XLookupKeysym(&event, 0));
  const bool alt = (event.state & Mod1Mask) != 0 && vk != VK_MENU;
  const bool was_down = vk && keys_down_.count(vk) != 0;
  const uint32_t scan = (event.keycode >= 8 ? event.keycode - 8 : 0) & 0xFF;
  if (vk) {
    if (down) {
      keys_down_.insert(vk);
    } else {
      keys_down_.erase(vk);
    }
  }
  if (!down) {
    if (vk) {
      const LPARAM lparam = static_cast<LPARAM>(0xC0000001u | (scan << 16));
      Send(window, alt ? WM_SYSKEYUP : WM_KEYUP, vk, lparam);
    }
    return;
  }
  if (vk) {
    const LPARAM lparam = static_cast<LPARAM>(1u | (scan << 16) | (was_down ? 0x40000000u : 0u));
    Send(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, lparam);
  }
  // The text the key typed, through the input method when there is one.
  std::u16string text;
  if (record->input_context) {
    char buffer[64];
    KeySym keysym = NoSymbol;
    Status status = 0;
    int length = Xutf8LookupString(record->input_context, &event, buffer, sizeof(buffer) - 1, &keysym, &status);
    std::string utf8;
    if (status == XBufferOverflow) {
      utf8.resize(static_cast<size_t>(length));
      length = Xutf8LookupString(record->input_context, &event, utf8.data(), length, &keysym, &status);
      utf8.resize(length > 0 ? static_cast<size_t>(length) : 0);
    } else if (length > 0 && (status == XLookupChars || status == XLookupBoth)) {
      utf8.assign(buffer, static_cast<size_t>(length));
    }
    text = UTF8ToUTF16(utf8);
  } else {
    char buffer[16];
    KeySym keysym = NoSymbol;
    XLookupString(&event, buffer, sizeof(buffer), &keysym, nullptr);
    if ((event.state & ControlMask) && keysym >= XK_a && keysym <= XK_z) {
      text.push_back(static_cast<char16_t>(keysym - XK_a + 1));
    } else if (char32_t cp = CodePointFromKeysym(keysym)) {
      AppendUTF16(cp, &text);
    }
  }
  for (char16_t unit : text) {
    // Windows types no character for Delete.
    if (unit == 0x7F) continue;
    Send(window, WM_CHAR, unit, static_cast<LPARAM>(1u | (scan << 16)));
  }
}

void X11Backend::OnFocus(const XFocusChangeEvent& event, bool in) {
  if (event.detail == NotifyPointer || event.detail == NotifyInferior) return;
  const Window window = event.window;
  NativeRecord* record = Find(window);
  if (!record) return;
  if (in) {
    if (focus_ == window) return;
    const Window old = focus_;
    focus_ = window;
    if (record->input_context) XSetICFocus(record->input_context);
    Send(window, WM_SETFOCUS, old, 0);
  } else {
    if (focus_ != window) return;
    focus_ = 0;
    keys_down_.clear();
    if (record->input_context) XUnsetICFocus(record->input_context);
    Send(window, WM_KILLFOCUS, 0, 0);
  }
}

void X11Backend::OnClientMessage(const XClientMessageEvent& event) {
  const Window window = event.window;
  if (!Find(window)) return;
  if (event.message_type == AtomFor("WM_PROTOCOLS") && event.format == 32) {
    const Atom protocol = static_cast<Atom>(event.data.l[0]);
    if (protocol == AtomFor("WM_DELETE_WINDOW")) {
      // The window manager's close button is the system menu's Close.
      Send(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (protocol == AtomFor("_NET_WM_PING")) {
      XEvent reply{};
      reply.xclient = event;
      reply.xclient.window = root_;
      XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &reply);
      XFlush(display_);
    }
    return;
  }
  if (event.message_type == AtomFor(kPostedMessageAtom) && event.format == 32) {
    const PostedMessage m = DecodePostedMessage(event);
    Send(window, m.message, m.wparam, m.lparam);
    return;
  }
  if (event.message_type == AtomFor(kCopyDataAtom) && event.format == 32) {
    OnCopyData(event);
  }
}

void X11Backend::OnCopyData(const XClientMessageEvent& event) {
  const CopyDataRequest request = DecodeCopyDataRequest(event);
  CopyDataAck ack;
  ack.serial = request.serial;
  // The payload sits in a property of the sender's window; it counts only
  // when it holds exactly the size the request claims, within our bound.
  std::vector<unsigned char> payload;
  bool valid = request.size <= kMaxCopyDataBytes && request.sender != 0;
  if (valid) {
    X11ErrorTrap trap(display_);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const long words = static_cast<long>((kMaxCopyDataBytes + 3) / 4) + 1;
    const int status = XGetWindowProperty(display_, request.sender, AtomFor(kCopyDataPayloadAtom), 0, words, False,
                                          XA_CARDINAL, &type, &format, &count, &remaining, &data);
    valid = status == Success && trap.SyncAndCheck() && type == XA_CARDINAL && format == 8 && remaining == 0 &&
            count == request.size;
    if (valid && data) payload.assign(data, data + count);
    if (data) XFree(data);
  }
  if (valid) {
    CopyDataStruct copy;
    copy.dwData = request.data_kind;
    copy.cbData = request.size;
    copy.lpData = payload.empty() ? nullptr : payload.data();
    ack.delivered = true;
    ack.result = Send(event.window, WM_COPYDATA, static_cast<WPARAM>(request.sender),
                      static_cast<LPARAM>(reinterpret_cast<intptr_t>(&copy)));
  }
  if (request.sender == 0) return;
  XEvent reply{};
  reply.xclient.type = ClientMessage;
  reply.xclient.window = request.sender;
  reply.xclient.message_type = AtomFor(kCopyDataAckAtom);
  EncodeCopyDataAck(ack, &reply.xclient);
  X11ErrorTrap trap(display_);
  XSendEvent(display_, request.sender, False, NoEventMask, &reply);
  XFlush(display_);
}

}  // namespace platform::x11
