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
#include "platform/x11/x11_event_translator.h"
#include "platform/x11/x11_keys.h"
#include "platform/x11/x11_protocol.h"

namespace platform::x11 {

namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask |
                            FocusChangeMask | PropertyChangeMask;

constexpr int kPopupGrabRetryMs = 20;
constexpr unsigned int kPointerMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                                      LeaveWindowMask;

// _NET_WM_MOVERESIZE directions.
constexpr long kMoveResizeMove = 8;

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
  // A pop-up goes on the screen as it is, without the window manager.
  attributes.override_redirect = params.popup ? True : False;
  const int width = std::max(1, params.rect.Width());
  const int height = std::max(1, params.rect.Height());
  X11ErrorTrap trap(display_);
  const Window window =
      XCreateWindow(display_, root_, params.rect.left, params.rect.top, static_cast<unsigned>(width),
                    static_cast<unsigned>(height), 0, 32, InputOutput, visual_,
                    CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask | CWOverrideRedirect, &attributes);
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
  // Nobody can answer for the window yet: the defaults until it is asked.
  record.limits = AskSizeLimits(nullptr, window, GetMonitors());
  ApplySizeHints(window, record);
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
  translator_.tracker().Forget(window);
  const bool was_popup = popups_.IsArmed(window);
  popups_.Disarm(window);
  tooltips_.erase(window);
  {
    X11ErrorTrap trap(display_);
    XDestroyWindow(display_, window);
  }
  windows_.erase(window);
  std::erase_if(synthetic_, [window](const Synthetic& s) { return s.window == window; });
  // The server ended a grab of the destroyed window; the next pop-up takes it.
  if (was_popup) RestorePointerGrab();
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
  const bool popup_was_armed = popups_.IsArmed(window);
  if (command == ShowCommand::kHide) {
    popups_.Disarm(window);
  } else if (record->params.popup) {
    popups_.Arm(window);
  }
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
  // Mapped first: only a viewable window can hold the grab.
  if (popup_was_armed || popups_.IsArmed(window)) RestorePointerGrab();
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
  // Replaces the pop-ups' grab until the capture ends.
  XGrabPointer(display_, window, False, kPointerMask, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  popup_grab_ = false;
  capture_ = window;
  if (old) Queue(old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(window));
}

void X11Backend::ReleaseCapture() {
  const Window old = capture_;
  if (!old) return;
  capture_ = 0;
  XUngrabPointer(display_, CurrentTime);
  RestorePointerGrab();
  XFlush(display_);
  Queue(old, WM_CAPTURECHANGED, 0, 0);
}

void X11Backend::RestorePointerGrab() {
  if (capture_ || drag_) return;
  X11ErrorTrap trap(display_);
  if (popups_.empty()) {
    if (popup_grab_) XUngrabPointer(display_, CurrentTime);
    popup_grab_ = false;
    return;
  }
  // Reported to our own windows as usual (owner events); a press anywhere
  // else comes to the pop-up, outside its rectangle.
  popup_grab_ = XGrabPointer(display_, popups_.latest(), True, kPointerMask, GrabModeAsync, GrabModeAsync, None,
                             None, CurrentTime) == GrabSuccess;
}

bool X11Backend::PopupGrabPending() const { return !popups_.empty() && !popup_grab_ && !capture_ && !drag_; }

void X11Backend::LeavePopups(Point screen, Window pressed) {
  PopupTracker::Windows windows;
  windows.rect = [this](NativeWindow w) { return GetWindowRect(w); };
  windows.owner = [this](NativeWindow w) {
    const NativeRecord* r = Find(static_cast<Window>(w));
    return r ? r->params.owner : NativeWindow{0};
  };
  const std::vector<NativeWindow> left = popups_.TakeLeftBy(screen, pressed, windows);
  if (left.empty()) return;
  // The server may not have told us yet that a pop-up took the focus.
  Window input_focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &input_focus, &revert);
  bool had_focus = false;
  for (NativeWindow popup : left) {
    if (focus_ == popup || input_focus == popup) had_focus = true;
    // Told here, so the server's own focus change later adds nothing.
    if (focus_ == popup) focus_ = 0;
    Send(static_cast<Window>(popup), WM_KILLFOCUS, pressed, 0);
  }
  RestorePointerGrab();
  if (!had_focus) return;
  // The focus a pop-up held goes where the press went: to our window, or
  // away from ours, where the other program would have taken it had it seen
  // the press.
  if (pressed) {
    SetFocus(pressed);
  } else {
    X11ErrorTrap trap(display_);
    XSetInputFocus(display_, PointerRoot, RevertToPointerRoot, CurrentTime);
  }
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
  translator_.tracker().Arm(window, flags, hover_ms, NowMs());
}

void X11Backend::BeginMoveResize(NativeWindow native, LRESULT hit_test, Point screen_point) {
  const Window window = static_cast<Window>(native);
  NativeRecord* record = Find(window);
  if (!record || !IsNonClientHit(hit_test)) return;
  UpdateSizeLimits(window);
  record = Find(window);  // the answer may have destroyed it
  if (!record) return;
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
  const Point delta{pointer.x - drag_->start_pointer.x, pointer.y - drag_->start_pointer.y};
  SetWindowRect(drag_->window, DraggedRect(drag_->start_rect, drag_->hit_test, delta, record->limits));
}

void X11Backend::UpdateSizeLimits(NativeWindow native) {
  const Window window = static_cast<Window>(native);
  if (!Find(window)) return;
  const SizeLimits limits = AskSizeLimits(client_, native, GetMonitors());
  NativeRecord* record = Find(window);
  if (!record || record->limits == limits) return;
  record->limits = limits;
  ApplySizeHints(window, *record);
  XFlush(display_);
}

void X11Backend::ApplySizeHints(Window window, const NativeRecord& record) {
  XSizeHints hints{};
  hints.flags = USPosition | USSize;
  hints.x = record.rect.left;
  hints.y = record.rect.top;
  hints.width = record.rect.Width();
  hints.height = record.rect.Height();
  if (record.limits.own_min) {
    hints.flags |= PMinSize;
    hints.min_width = record.limits.min_track.cx;
    hints.min_height = record.limits.min_track.cy;
  }
  if (record.limits.own_max) {
    hints.flags |= PMaxSize;
    hints.max_width = record.limits.max_track.cx;
    hints.max_height = record.limits.max_track.cy;
  }
  X11ErrorTrap trap(display_);
  XSetWMNormalHints(display_, window, &hints);
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
  // A press that opened a pop-up may still hold the pointer for the window it
  // began in (another connection, such as the tray icon's): the pop-up's grab
  // is tried again soon, so a press outside the pop-up still closes it.
  const int grab_retry = PopupGrabPending() ? kPopupGrabRetryMs : -1;
  const int64_t deadline = translator_.tracker().HoverDeadline();
  if (deadline < 0) return grab_retry;
  const int64_t now = NowMs();
  const int hover = deadline <= now ? 0 : static_cast<int>(std::min<int64_t>(deadline - now, INT_MAX));
  return grab_retry < 0 ? hover : std::min(hover, grab_retry);
}

LRESULT X11Backend::Send(Window window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  return client_ && Find(window) ? client_->OnBackendMessage(window, message, wparam, lparam) : 0;
}

void X11Backend::Queue(Window window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  synthetic_.push_back(Synthetic{window, message, wparam, lparam});
}

bool X11Backend::DispatchEvents() {
  if (X11ErrorTrap::ConnectionLost(display_)) return false;
  if (PopupGrabPending()) RestorePointerGrab();
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
    translator_.Translate(event);
    delivered = true;
    while (!synthetic_.empty()) {
      const Synthetic s = synthetic_.front();
      synthetic_.pop_front();
      Send(s.window, s.message, s.wparam, s.lparam);
    }
  }
  delivered |= translator_.DeliverDueHover(NowMs());
  return delivered;
}


void X11Backend::ShowTooltip(NativeWindow owner, const std::u16string& text, Point screen_point, int max_width) {
  const Window window = static_cast<Window>(owner);
  if (!Find(window)) return;
  std::unique_ptr<X11Tooltip>& tooltip = tooltips_[window];
  if (!tooltip) tooltip = std::make_unique<X11Tooltip>(display_, root_, screen_);
  const std::optional<MonitorInfo> monitor = MonitorNearestPoint(GetMonitors(), screen_point);
  tooltip->Show(text, screen_point, max_width, monitor ? monitor->monitor : Rect{});
}

void X11Backend::HideTooltip(NativeWindow owner) {
  auto it = tooltips_.find(static_cast<Window>(owner));
  if (it != tooltips_.end()) it->second->Hide();
}

Window X11Backend::ShownTooltipWindow(NativeWindow owner) const {
  auto it = tooltips_.find(static_cast<Window>(owner));
  return it != tooltips_.end() && it->second->IsShown() ? it->second->window() : 0;
}

}  // namespace platform::x11
