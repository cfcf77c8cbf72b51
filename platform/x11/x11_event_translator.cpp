#include "platform/x11/x11_event_translator.h"

#include <X11/Xatom.h>

#include <string>
#include <vector>

#include "platform/text/utf_conversion.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_keys.h"
#include "platform/x11/x11_protocol.h"

namespace platform::x11 {

bool IsNonClientHit(LRESULT hit) { return hit == HTCAPTION || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT); }

X11EventTranslator::X11EventTranslator(X11Backend& backend) : backend_(backend) {}

bool X11EventTranslator::DeliverDueHover(int64_t now_ms) {
  auto hover = tracker_.TakeDueHover(now_ms);
  if (!hover) return false;
  // The point where the pointer rests now, in the window's coordinates.
  const Window window = static_cast<Window>(hover->window);
  Window root_return = 0;
  Window child = 0;
  int root_x = 0;
  int root_y = 0;
  int x = hover->client.x;
  int y = hover->client.y;
  unsigned int mask = 0;
  X11ErrorTrap trap(backend_.display_);
  XQueryPointer(backend_.display_, window, &root_return, &child, &root_x, &root_y, &x, &y, &mask);
  backend_.Send(window, WM_MOUSEHOVER, MouseKeyState(mask), MakeLParam(x, y));
  return true;
}

WPARAM X11EventTranslator::MouseKeyState(unsigned int state) const {
  WPARAM w = 0;
  if (state & Button1Mask) w |= MK_LBUTTON;
  if (state & Button2Mask) w |= MK_MBUTTON;
  if (state & Button3Mask) w |= MK_RBUTTON;
  if (state & ShiftMask) w |= MK_SHIFT;
  if (state & ControlMask) w |= MK_CONTROL;
  return w;
}

void X11EventTranslator::Translate(XEvent& event) {
  const Window window = event.xany.window;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      if (backend_.client_ && backend_.Find(window)) {
        backend_.client_->OnBackendInvalidate(window, Rect{e.x, e.y, e.x + e.width, e.y + e.height});
      }
      break;
    }
    case MapNotify:
      if (X11Backend::NativeRecord* r = backend_.Find(window)) {
        r->mapped = true;
        if (r->focus_on_map) {
          r->focus_on_map = false;
          backend_.SetFocus(window);
        }
        // A grab asked for before the pop-up could hold it.
        if (backend_.popups_.IsArmed(window) && !backend_.popup_grab_) backend_.RestorePointerGrab();
      }
      break;
    case UnmapNotify:
      if (X11Backend::NativeRecord* r = backend_.Find(window)) r->mapped = false;
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
      while (XEventsQueued(backend_.display_, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(backend_.display_, &next);
        if (next.type != MotionNotify || next.xmotion.window != window) break;
        XNextEvent(backend_.display_, &event);
      }
      OnMotion(event.xmotion);
      break;
    case LeaveNotify:
      if (event.xcrossing.mode == NotifyNormal && tracker_.OnLeave(window)) backend_.Send(window, WM_MOUSELEAVE, 0, 0);
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

void X11EventTranslator::OnConfigure(const XConfigureEvent& event) {
  const Window window = event.window;
  X11Backend::NativeRecord* record = backend_.Find(window);
  if (!record) return;
  int x = event.x;
  int y = event.y;
  if (!event.send_event) {
    // A window manager's frame makes the coordinates relative to it.
    Window child = 0;
    XTranslateCoordinates(backend_.display_, window, backend_.root_, 0, 0, &x, &y, &child);
  }
  const Rect old = record->rect;
  record->rect = Rect{x, y, x + event.width, y + event.height};
  if (old.Width() != event.width || old.Height() != event.height) {
    backend_.ApplyShape(window, *record);
    if (backend_.client_) backend_.client_->OnBackendInvalidate(window, Rect{0, 0, event.width, event.height});
    backend_.Send(window, WM_SIZE, record->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MakeLParam(event.width, event.height));
  }
  if (old.left != x || old.top != y) backend_.Send(window, WM_MOVE, 0, MakeLParam(x, y));
}

void X11EventTranslator::OnButtonPress(const XButtonEvent& event) {
  const Window window = event.window;
  if (!backend_.Find(window)) return;
  const Point client{event.x, event.y};
  const Point screen{event.x_root, event.y_root};
  const LPARAM client_point = MakeLParam(client.x, client.y);
  const WPARAM state = MouseKeyState(event.state);
  if (event.button >= 4 && event.button <= 7) {
    // The wheel: one notch is 120, positive away from the user (up) and to
    // the right; the point is in screen coordinates.
    const bool vertical = event.button <= 5;
    const int delta = (event.button == 4 || event.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
    backend_.Send(window, vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL, MakeWParam(static_cast<unsigned>(state), static_cast<unsigned>(delta)),
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
  if (backend_.capture_ == 0 && !backend_.popups_.empty()) {
    // Under the pop-ups' grab a press outside our windows comes to the
    // latest pop-up, outside its rectangle.
    const Window pressed = backend_.Find(window)->rect.Contains(screen) ? window : 0;
    backend_.LeavePopups(screen, pressed);
    if (!pressed) {
      swallowed_button_ = event.button;
      return;
    }
    if (!backend_.Find(window)) return;
  }
  const bool is_double = double_click_.OnPress(window, button, screen, static_cast<int64_t>(event.time));
  if (button == 1 && backend_.capture_ == 0) {
    const LRESULT hit = backend_.Send(window, WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y));
    if (IsNonClientHit(hit)) {
      backend_.Send(window, is_double ? WM_NCLBUTTONDBLCLK : WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit),
           MakeLParam(screen.x, screen.y));
      if (!is_double) backend_.BeginMoveResize(window, hit, screen);
      return;
    }
  }
  static constexpr uint32_t kDown[] = {0, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
  static constexpr uint32_t kDouble[] = {0, WM_LBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK};
  backend_.Send(window, is_double ? kDouble[button] : kDown[button], state | own_flag, client_point);
}

void X11EventTranslator::OnButtonRelease(const XButtonEvent& event) {
  const Window window = event.window;
  if (backend_.drag_ && event.button == Button1) {
    backend_.UpdateDrag(Point{event.x_root, event.y_root});
    backend_.drag_.reset();
    XUngrabPointer(backend_.display_, CurrentTime);
    backend_.RestorePointerGrab();
    return;
  }
  if (swallowed_button_ != 0 && event.button == swallowed_button_) {
    // The release of a press that belonged to nobody.
    swallowed_button_ = 0;
    return;
  }
  if (!backend_.Find(window)) return;
  WPARAM own_flag = 0;
  uint32_t message = 0;
  switch (event.button) {
    case Button1: message = WM_LBUTTONUP, own_flag = MK_LBUTTON; break;
    case Button2: message = WM_MBUTTONUP, own_flag = MK_MBUTTON; break;
    case Button3: message = WM_RBUTTONUP, own_flag = MK_RBUTTON; break;
    default: return;
  }
  backend_.Send(window, message, MouseKeyState(event.state) & ~own_flag, MakeLParam(event.x, event.y));
}

void X11EventTranslator::OnMotion(const XMotionEvent& event) {
  if (backend_.drag_) {
    backend_.UpdateDrag(Point{event.x_root, event.y_root});
    return;
  }
  const Window window = event.window;
  const X11Backend::NativeRecord* record = backend_.Find(window);
  if (!record) return;
  // Under the pop-ups' grab the pointer over other programs is reported to
  // the pop-up; without a capture Windows tells no window of it.
  if (backend_.popup_grab_ && backend_.capture_ == 0 && !record->rect.Contains(Point{event.x_root, event.y_root})) {
    return;
  }
  tracker_.OnMove(window, Point{event.x, event.y}, backend_.NowMs());
  backend_.Send(window, WM_MOUSEMOVE, MouseKeyState(event.state), MakeLParam(event.x, event.y));
}

void X11EventTranslator::OnKey(XKeyEvent& event, bool down) {
  const Window window = event.window;
  X11Backend::NativeRecord* record = backend_.Find(window);
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
      backend_.Send(window, alt ? WM_SYSKEYUP : WM_KEYUP, vk, lparam);
    }
    return;
  }
  if (vk) {
    const LPARAM lparam = static_cast<LPARAM>(1u | (scan << 16) | (was_down ? 0x40000000u : 0u));
    backend_.Send(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, lparam);
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
    backend_.Send(window, WM_CHAR, unit, static_cast<LPARAM>(1u | (scan << 16)));
  }
}

void X11EventTranslator::OnFocus(const XFocusChangeEvent& event, bool in) {
  if (event.detail == NotifyPointer || event.detail == NotifyInferior) return;
  const Window window = event.window;
  X11Backend::NativeRecord* record = backend_.Find(window);
  if (!record) return;
  if (in) {
    if (backend_.focus_ == window) return;
    const Window old = backend_.focus_;
    backend_.focus_ = window;
    if (record->input_context) XSetICFocus(record->input_context);
    backend_.Send(window, WM_SETFOCUS, old, 0);
  } else {
    if (backend_.focus_ != window) return;
    backend_.focus_ = 0;
    keys_down_.clear();
    if (record->input_context) XUnsetICFocus(record->input_context);
    backend_.Send(window, WM_KILLFOCUS, 0, 0);
  }
}

void X11EventTranslator::OnClientMessage(const XClientMessageEvent& event) {
  const Window window = event.window;
  if (!backend_.Find(window)) return;
  if (event.message_type == backend_.AtomFor("WM_PROTOCOLS") && event.format == 32) {
    const Atom protocol = static_cast<Atom>(event.data.l[0]);
    if (protocol == backend_.AtomFor("WM_DELETE_WINDOW")) {
      // The window manager's close button is the system menu's Close.
      backend_.Send(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (protocol == backend_.AtomFor("_NET_WM_PING")) {
      XEvent reply{};
      reply.xclient = event;
      reply.xclient.window = backend_.root_;
      XSendEvent(backend_.display_, backend_.root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &reply);
      XFlush(backend_.display_);
    }
    return;
  }
  if (event.message_type == backend_.AtomFor(kPostedMessageAtom) && event.format == 32) {
    const PostedMessage m = DecodePostedMessage(event);
    // Another process names only messages of its own protocol (WM_USER and
    // up; the game's start at 2025). A system message from outside could
    // carry a pointer of that process's memory in a parameter (WM_NOTIFY,
    // WM_SETTEXT ...), which our handlers would read; it is dropped.
    if (m.message < WM_USER) return;
    backend_.Send(window, m.message, m.wparam, m.lparam);
    return;
  }
  if (event.message_type == backend_.AtomFor(kCopyDataAtom) && event.format == 32) {
    OnCopyData(event);
  }
}

void X11EventTranslator::OnCopyData(const XClientMessageEvent& event) {
  const CopyDataRequest request = DecodeCopyDataRequest(event);
  CopyDataAck ack;
  ack.serial = request.serial;
  // The payload sits in a property of the sender's window; it counts only
  // when it holds exactly the size the request claims, within our bound.
  std::vector<unsigned char> payload;
  bool valid = request.size <= kMaxCopyDataBytes && request.sender != 0;
  if (valid) {
    X11ErrorTrap trap(backend_.display_);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const long words = static_cast<long>((kMaxCopyDataBytes + 3) / 4) + 1;
    const int status = XGetWindowProperty(backend_.display_, request.sender, backend_.AtomFor(kCopyDataPayloadAtom), 0, words, False,
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
    ack.result = backend_.Send(event.window, WM_COPYDATA, static_cast<WPARAM>(request.sender),
                      static_cast<LPARAM>(reinterpret_cast<intptr_t>(&copy)));
  }
  if (request.sender == 0) return;
  XEvent reply{};
  reply.xclient.type = ClientMessage;
  reply.xclient.window = request.sender;
  reply.xclient.message_type = backend_.AtomFor(kCopyDataAckAtom);
  EncodeCopyDataAck(ack, &reply.xclient);
  X11ErrorTrap trap(backend_.display_);
  XSendEvent(backend_.display_, request.sender, False, NoEventMask, &reply);
  XFlush(backend_.display_);
}

}  // namespace platform::x11
