#include "platform/ipc/foreign_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>

#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_protocol.h"

namespace platform {

using x11::X11ErrorTrap;

std::unique_ptr<ForeignWindows> ForeignWindows::Open(const std::string& display_name) {
  X11ErrorTrap::InstallHandlers();
  Display* display = XOpenDisplay(display_name.empty() ? nullptr : display_name.c_str());
  if (!display) return nullptr;
  X11ErrorTrap::SurviveConnectionLoss(display);
  return std::unique_ptr<ForeignWindows>(new ForeignWindows(display));
}

ForeignWindows::ForeignWindows(Display* display) : display_(display) {}

ForeignWindows::~ForeignWindows() {
  if (mailbox_) XDestroyWindow(display_, mailbox_);
  X11ErrorTrap::ForgetConnection(display_);
  XCloseDisplay(display_);
}

std::vector<NativeWindow> ForeignWindows::TopLevelWindows() {
  // A window manager puts each client window into a frame: look one level
  // below the root's children as well.
  std::vector<NativeWindow> result;
  X11ErrorTrap trap(display_);
  Window root_return = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root_return, &parent, &children, &count)) return result;
  for (unsigned int i = 0; i < count; ++i) {
    result.push_back(children[i]);
    Window* inner = nullptr;
    unsigned int inner_count = 0;
    if (XQueryTree(display_, children[i], &root_return, &parent, &inner, &inner_count)) {
      for (unsigned int k = 0; k < inner_count; ++k) result.push_back(inner[k]);
      if (inner) XFree(inner);
    }
  }
  if (children) XFree(children);
  return result;
}

std::vector<NativeWindow> ForeignWindows::FindBySelfProperty(const std::string& name) {
  std::lock_guard<std::mutex> lock(lock_);
  const Atom property = XInternAtom(display_, name.c_str(), False);
  std::vector<NativeWindow> found;
  for (NativeWindow w : TopLevelWindows()) {
    uint64_t value = 0;
    if (x11::GetCardinal64Property(display_, static_cast<Window>(w), property, &value) && value == w) {
      found.push_back(w);
    }
  }
  return found;
}

bool ForeignWindows::HasClass(NativeWindow window, const std::string& class_name) {
  X11ErrorTrap trap(display_);
  XClassHint hint{};
  if (!XGetClassHint(display_, static_cast<Window>(window), &hint)) return false;
  const bool match = (hint.res_name && class_name == hint.res_name) || (hint.res_class && class_name == hint.res_class);
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return match;
}

std::vector<NativeWindow> ForeignWindows::FindByClass(const std::string& class_name) {
  std::lock_guard<std::mutex> lock(lock_);
  std::vector<NativeWindow> found;
  for (NativeWindow w : TopLevelWindows()) {
    if (HasClass(w, class_name)) found.push_back(w);
  }
  return found;
}

std::optional<uint64_t> ForeignWindows::GetProperty(NativeWindow window, const std::string& name) {
  std::lock_guard<std::mutex> lock(lock_);
  uint64_t value = 0;
  if (!x11::GetCardinal64Property(display_, static_cast<Window>(window), XInternAtom(display_, name.c_str(), False),
                                  &value)) {
    return std::nullopt;
  }
  return value;
}

bool ForeignWindows::Exists(NativeWindow window) {
  std::lock_guard<std::mutex> lock(lock_);
  X11ErrorTrap trap(display_);
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_, static_cast<Window>(window), &attributes) && trap.SyncAndCheck();
}

bool ForeignWindows::IsShown(NativeWindow window) {
  std::lock_guard<std::mutex> lock(lock_);
  X11ErrorTrap trap(display_);
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_, static_cast<Window>(window), &attributes) && trap.SyncAndCheck() &&
         attributes.map_state == IsViewable;
}

bool ForeignWindows::IsIconic(NativeWindow window) {
  std::lock_guard<std::mutex> lock(lock_);
  X11ErrorTrap trap(display_);
  const Atom wm_state = XInternAtom(display_, "WM_STATE", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  bool iconic = false;
  if (XGetWindowProperty(display_, static_cast<Window>(window), wm_state, 0, 2, False, wm_state, &type, &format,
                         &count, &remaining, &data) == Success &&
      data && format == 32 && count >= 1) {
    constexpr long kIconicState = 3;
    iconic = reinterpret_cast<const long*>(data)[0] == kIconicState;
  }
  if (data) XFree(data);
  return iconic && trap.SyncAndCheck();
}

bool ForeignWindows::Activate(NativeWindow window) {
  std::lock_guard<std::mutex> lock(lock_);
  X11ErrorTrap trap(display_);
  const Window w = static_cast<Window>(window);
  XMapRaised(display_, w);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w;
  event.xclient.message_type = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;
  XSendEvent(display_, DefaultRootWindow(display_), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  return trap.SyncAndCheck();
}

bool ForeignWindows::PostMessage(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam) {
  std::lock_guard<std::mutex> lock(lock_);
  X11ErrorTrap trap(display_);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<Window>(window);
  event.xclient.message_type = XInternAtom(display_, x11::kPostedMessageAtom, False);
  x11::EncodePostedMessage(x11::PostedMessage{message, wparam, lparam}, &event.xclient);
  const Status sent = XSendEvent(display_, static_cast<Window>(window), False, NoEventMask, &event);
  return sent != 0 && trap.SyncAndCheck();
}

unsigned long ForeignWindows::Mailbox() {
  if (!mailbox_) {
    // An unmapped input-only window of this process: it carries the payload
    // and receives the answers.
    XSetWindowAttributes attributes{};
    mailbox_ = XCreateWindow(display_, DefaultRootWindow(display_), -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent, 0,
                             &attributes);
  }
  return mailbox_;
}

std::optional<LRESULT> ForeignWindows::SendCopyData(NativeWindow window, uint64_t data_kind, const void* data,
                                                    uint32_t size, int timeout_ms) {
  return SendCopyDataClaiming(window, data_kind, data, size, size, timeout_ms);
}

std::optional<LRESULT> ForeignWindows::SendCopyDataClaiming(NativeWindow window, uint64_t data_kind, const void* data,
                                                            uint32_t size, uint32_t claimed_size, int timeout_ms) {
  std::lock_guard<std::mutex> lock(lock_);
  if (size > x11::kMaxCopyDataBytes) return std::nullopt;
  const Window mailbox = Mailbox();
  const Atom payload_atom = XInternAtom(display_, x11::kCopyDataPayloadAtom, False);
  const Atom ack_atom = XInternAtom(display_, x11::kCopyDataAckAtom, False);
  const uint32_t serial = next_serial_++;
  {
    X11ErrorTrap trap(display_);
    XChangeProperty(display_, mailbox, payload_atom, XA_CARDINAL, 8, PropModeReplace,
                    static_cast<const unsigned char*>(data), static_cast<int>(size));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(window);
    event.xclient.message_type = XInternAtom(display_, x11::kCopyDataAtom, False);
    x11::EncodeCopyDataRequest(x11::CopyDataRequest{serial, data_kind, claimed_size, mailbox}, &event.xclient);
    XSendEvent(display_, static_cast<Window>(window), False, NoEventMask, &event);
    if (!trap.SyncAndCheck()) {
      XDeleteProperty(display_, mailbox, payload_atom);
      return std::nullopt;
    }
  }
  std::optional<LRESULT> result;
  bool answered = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!answered) {
    XEvent event;
    while (XCheckTypedWindowEvent(display_, mailbox, ClientMessage, &event)) {
      if (event.xclient.message_type != ack_atom) continue;
      const x11::CopyDataAck ack = x11::DecodeCopyDataAck(event.xclient);
      if (ack.serial != serial) continue;
      answered = true;
      if (ack.delivered) result = ack.result;
      break;
    }
    if (answered) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()));
    XEventsQueued(display_, QueuedAfterReading);
  }
  XDeleteProperty(display_, mailbox, payload_atom);
  XFlush(display_);
  return result;
}

}  // namespace platform
