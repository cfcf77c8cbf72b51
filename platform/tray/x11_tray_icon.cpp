#include "platform/tray/x11_tray_icon.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/message/message_api.h"
#include "platform/text/utf_conversion.h"
#include "platform/window/window_messages.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_error_trap.h"

namespace platform::x11 {

namespace {

// Opcodes of "_NET_SYSTEM_TRAY_OPCODE".
constexpr long kRequestDock = 0;
constexpr long kBeginMessage = 1;
// XEmbed: the icon is to be shown once embedded.
constexpr long kXEmbedVersion = 0;
constexpr long kXEmbedMapped = 1;
// How long the tray shows a balloon, in milliseconds.
constexpr long kBalloonTimeoutMs = 10000;
// The tray protocol sends a message in pieces of 20 bytes.
constexpr size_t kMessageChunkBytes = 20;
// Longest balloon text sent, in bytes (title and text of the request fit).
constexpr size_t kMaxBalloonBytes = 4096;
// The grey the icon's translucent pixels are blended over.
constexpr uint32_t kBackdrop = 0xD0D0D0;

uint32_t BlendOverBackdrop(uint32_t argb) {
  const uint32_t alpha = argb >> 24;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t fg = (argb >> shift) & 0xFF;
    const uint32_t bg = (kBackdrop >> shift) & 0xFF;
    out |= ((fg * alpha + bg * (255 - alpha) + 127) / 255) << shift;
  }
  return out;
}

// The balloon as one text: the title on its own line above the text.
std::string BalloonText(const std::u16string& title, const std::u16string& text) {
  std::string message = UTF16ToUTF8(title);
  if (!message.empty()) message += '\n';
  message += UTF16ToUTF8(text);
  if (message.size() > kMaxBalloonBytes) {
    // Cut before a UTF-8 continuation byte, never inside a character.
    size_t end = kMaxBalloonBytes;
    while (end > 0 && (static_cast<unsigned char>(message[end]) & 0xC0) == 0x80) --end;
    message.resize(end);
  }
  return message;
}

}  // namespace

std::unique_ptr<X11TrayIcon> X11TrayIcon::Open(const std::string& display_name) {
  X11ErrorTrap::InstallHandlers();
  Display* display = OpenDisplay(display_name);
  if (!display) return nullptr;
  X11ErrorTrap::SurviveConnectionLoss(display);
  return std::unique_ptr<X11TrayIcon>(new X11TrayIcon(display));
}

X11TrayIcon::X11TrayIcon(Display* display)
    : display_(display), queue_(MessageQueue::ForCurrentThread()) {
  screen_ = DefaultScreen(display_);
  root_ = RootWindow(display_, screen_);
  selection_ = AtomFor(("_NET_SYSTEM_TRAY_S" + std::to_string(screen_)).c_str());
  // A tray that starts later announces itself on the root window.
  XSelectInput(display_, root_, StructureNotifyMask);
  XFlush(display_);
  queue_->AddEventSource(this);
}

X11TrayIcon::~X11TrayIcon() {
  queue_->RemoveEventSource(this);
  if (!X11ErrorTrap::ConnectionLost(display_)) DestroyIconWindow();
  X11ErrorTrap::ForgetConnection(display_);
  XCloseDisplay(display_);
}

Atom X11TrayIcon::AtomFor(const char* name) const { return XInternAtom(display_, name, False); }

Window X11TrayIcon::FindManager() const { return XGetSelectionOwner(display_, selection_); }

TrayState X11TrayIcon::Add(const TrayIconParams& params) {
  if (X11ErrorTrap::ConnectionLost(display_) || !HasValidIconPixels(params)) {
    return state_ = TrayState::kFailed;
  }
  DestroyIconWindow();
  params_ = params;
  double_click_.Reset();
  if (!CreateIconWindow()) return state_ = TrayState::kFailed;
  return state_ = Dock();
}

void X11TrayIcon::Remove() {
  if (!X11ErrorTrap::ConnectionLost(display_)) DestroyIconWindow();
  params_ = TrayIconParams();
  state_ = TrayState::kNone;
}

bool X11TrayIcon::CreateIconWindow() {
  X11ErrorTrap trap(display_);
  icon_width_ = params_.width;
  icon_height_ = params_.height;
  XSetWindowAttributes attributes{};
  attributes.event_mask = ButtonPressMask | ButtonReleaseMask | ExposureMask | StructureNotifyMask;
  attributes.background_pixel = kBackdrop;
  icon_ = XCreateWindow(display_, root_, 0, 0, static_cast<unsigned>(icon_width_),
                        static_cast<unsigned>(icon_height_), 0, CopyFromParent, InputOutput, CopyFromParent,
                        CWEventMask | CWBackPixel, &attributes);
  // XEmbed: the tray maps the icon once it is embedded.
  const long info[2] = {kXEmbedVersion, kXEmbedMapped};
  const Atom info_atom = AtomFor("_XEMBED_INFO");
  XChangeProperty(display_, icon_, info_atom, info_atom, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(info), 2);
  XClassHint hint{};
  std::string name = "launcher-tray";
  hint.res_name = name.data();
  hint.res_class = name.data();
  XSetClassHint(display_, icon_, &hint);
  if (!trap.SyncAndCheck()) {
    icon_ = 0;
    return false;
  }
  return icon_ != 0;
}

void X11TrayIcon::DestroyIconWindow() {
  if (!icon_) return;
  X11ErrorTrap trap(display_);
  XDestroyWindow(display_, icon_);
  trap.SyncAndCheck();
  icon_ = 0;
  manager_ = 0;
}

bool X11TrayIcon::SendToManager(Window window, long opcode, long a, long b, long c) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = AtomFor("_NET_SYSTEM_TRAY_OPCODE");
  event.xclient.format = 32;
  event.xclient.data.l[0] = CurrentTime;
  event.xclient.data.l[1] = opcode;
  event.xclient.data.l[2] = a;
  event.xclient.data.l[3] = b;
  event.xclient.data.l[4] = c;
  return XSendEvent(display_, manager_, False, NoEventMask, &event) != 0;
}

TrayState X11TrayIcon::Dock() {
  X11ErrorTrap trap(display_);
  XGrabServer(display_);  // the tray must not change between the lookup and the watch
  manager_ = FindManager();
  if (manager_) XSelectInput(display_, manager_, StructureNotifyMask);
  XUngrabServer(display_);
  if (!manager_) {
    trap.SyncAndCheck();
    return TrayState::kNoManager;
  }
  SendToManager(manager_, kRequestDock, static_cast<long>(icon_), 0, 0);
  if (!trap.SyncAndCheck()) {
    // The tray went away while it was being asked; the next one docks us.
    manager_ = 0;
    return TrayState::kNoManager;
  }
  return TrayState::kDocked;
}

bool X11TrayIcon::ShowBalloon(const std::u16string& title, const std::u16string& text) {
  if (state_ != TrayState::kDocked || !manager_ || !icon_) return false;
  const std::string message = BalloonText(title, text);
  X11ErrorTrap trap(display_);
  const long id = next_balloon_id_++;
  SendToManager(icon_, kBeginMessage, kBalloonTimeoutMs, static_cast<long>(message.size()), id);
  const Atom data_atom = AtomFor("_NET_SYSTEM_TRAY_MESSAGE_DATA");
  for (size_t offset = 0; offset < message.size(); offset += kMessageChunkBytes) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = icon_;
    event.xclient.message_type = data_atom;
    event.xclient.format = 8;
    const size_t count = std::min(kMessageChunkBytes, message.size() - offset);
    std::memcpy(event.xclient.data.b, message.data() + offset, count);
    XSendEvent(display_, manager_, False, NoEventMask, &event);
  }
  return trap.SyncAndCheck();
}

bool X11TrayIcon::HasWindowManager() const {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(display_, root_, AtomFor("_NET_SUPPORTING_WM_CHECK"), 0, 1, False,
                                        XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
                     type == XA_WINDOW && count == 1;
  if (data) XFree(data);
  return found;
}

bool X11TrayIcon::SetAttention(NativeWindow native, bool on) {
  if (native == 0 || X11ErrorTrap::ConnectionLost(display_)) return false;
  const Window window = static_cast<Window>(native);
  const Atom state_atom = AtomFor("_NET_WM_STATE");
  const Atom attention = AtomFor("_NET_WM_STATE_DEMANDS_ATTENTION");
  X11ErrorTrap trap(display_);
  XWindowAttributes probe{};
  if (!XGetWindowAttributes(display_, window, &probe) || !trap.SyncAndCheck()) return false;
  if (HasWindowManager()) {
    // The window manager owns the state of a managed window.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = state_atom;
    event.xclient.format = 32;
    event.xclient.data.l[0] = on ? 1 : 0;
    event.xclient.data.l[1] = static_cast<long>(attention);
    event.xclient.data.l[3] = 1;
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    return trap.SyncAndCheck();
  }
  // Without a window manager the property itself is the state.
  std::vector<Atom> states;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window, state_atom, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                         &data) == Success &&
      type == XA_ATOM && format == 32 && data) {
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    states.assign(atoms, atoms + count);
  }
  if (data) XFree(data);
  states.erase(std::remove(states.begin(), states.end(), attention), states.end());
  if (on) states.push_back(attention);
  XChangeProperty(display_, window, state_atom, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(states.data()), static_cast<int>(states.size()));
  return trap.SyncAndCheck();
}

int X11TrayIcon::descriptor() const {
  return X11ErrorTrap::ConnectionLost(display_) ? -1 : ConnectionNumber(display_);
}

void X11TrayIcon::Pump() {
  if (X11ErrorTrap::ConnectionLost(display_)) return;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    HandleEvent(event);
    if (X11ErrorTrap::ConnectionLost(display_)) return;
  }
}

void X11TrayIcon::HandleEvent(const XEvent& event) {
  switch (event.type) {
    case ClientMessage:
      // A tray has started (perhaps taking over from the one we are in,
      // whose end may not have been seen yet): dock the icon there.
      if (event.xclient.window == root_ && event.xclient.message_type == AtomFor("MANAGER") &&
          static_cast<Atom>(event.xclient.data.l[1]) == selection_ &&
          (state_ == TrayState::kNoManager ||
           (state_ == TrayState::kDocked && static_cast<Window>(event.xclient.data.l[2]) != manager_))) {
        if (icon_ || CreateIconWindow()) state_ = Dock();
      }
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == manager_ && manager_ != 0) {
        // The tray has ended; the icon docks in a tray that has already
        // replaced it, or waits for the next one.
        manager_ = 0;
        if (state_ == TrayState::kDocked) state_ = icon_ ? Dock() : TrayState::kNoManager;
      } else if (event.xdestroywindow.window == icon_ && icon_ != 0) {
        icon_ = 0;
        if (state_ == TrayState::kDocked) state_ = TrayState::kNoManager;
      }
      break;
    case ConfigureNotify:
      if (event.xconfigure.window == icon_) {
        icon_width_ = event.xconfigure.width;
        icon_height_ = event.xconfigure.height;
      }
      break;
    case Expose:
      if (event.xexpose.window == icon_ && event.xexpose.count == 0) DrawIcon();
      break;
    case ButtonPress:
    case ButtonRelease:
      if (event.xbutton.window == icon_) HandleButton(event.xbutton, event.type == ButtonPress);
      break;
    default:
      break;
  }
}

void X11TrayIcon::HandleButton(const XButtonEvent& event, bool press) {
  if (!params_.owner || (event.button != Button1 && event.button != Button3)) return;
  uint32_t message = 0;
  if (event.button == Button1) {
    if (press) {
      const bool twice = double_click_.OnPress(icon_, 1, Point{event.x_root, event.y_root},
                                               static_cast<int64_t>(event.time));
      message = twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    } else {
      message = WM_LBUTTONUP;
    }
  } else {
    if (press) double_click_.Reset();
    message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
  }
  PostMessage(params_.owner, params_.callback_message, 0, static_cast<LPARAM>(message));
}

void X11TrayIcon::DrawIcon() {
  const int depth = DefaultDepth(display_, screen_);
  if (!icon_ || icon_width_ <= 0 || icon_height_ <= 0 || (depth != 24 && depth != 32)) return;
  const size_t cells = static_cast<size_t>(icon_width_) * static_cast<size_t>(icon_height_);
  auto* pixels = static_cast<uint32_t*>(std::malloc(cells * sizeof(uint32_t)));
  if (!pixels) return;
  // Nearest neighbour: the tray decides the icon's size.
  for (int y = 0; y < icon_height_; ++y) {
    const int sy = y * params_.height / icon_height_;
    for (int x = 0; x < icon_width_; ++x) {
      const int sx = x * params_.width / icon_width_;
      pixels[static_cast<size_t>(y) * static_cast<size_t>(icon_width_) + static_cast<size_t>(x)] =
          BlendOverBackdrop(params_.pixels[static_cast<size_t>(sy) * static_cast<size_t>(params_.width) +
                                           static_cast<size_t>(sx)]);
    }
  }
  XImage* image = XCreateImage(display_, DefaultVisual(display_, screen_), static_cast<unsigned>(depth), ZPixmap,
                               0, reinterpret_cast<char*>(pixels), static_cast<unsigned>(icon_width_),
                               static_cast<unsigned>(icon_height_), 32, icon_width_ * 4);
  if (!image) {
    std::free(pixels);
    return;
  }
  X11ErrorTrap trap(display_);
  GC gc = XCreateGC(display_, icon_, 0, nullptr);
  XPutImage(display_, icon_, gc, image, 0, 0, 0, 0, static_cast<unsigned>(icon_width_),
            static_cast<unsigned>(icon_height_));
  XFreeGC(display_, gc);
  XDestroyImage(image);  // frees the pixels too
  trap.SyncAndCheck();
}

}  // namespace platform::x11
