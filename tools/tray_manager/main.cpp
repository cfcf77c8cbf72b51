// A small XEmbed system tray for tests. It owns "_NET_SYSTEM_TRAY_S<screen>",
// announces itself with MANAGER, embeds the icons that ask to dock and
// records what happens, one line an event, to standard output or to the file
// given with "--output FILE":
//   ready <tray window>
//   dock <icon window>
//   undock <icon window>
//   balloon <icon window> <id> <text, "\n" for a line break, "\\" for "\">
// It runs until it is killed.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

constexpr long kRequestDock = 0;
constexpr long kBeginMessage = 1;
constexpr long kCancelMessage = 2;
constexpr long kXEmbedEmbeddedNotify = 0;
constexpr size_t kMaxMessageBytes = 65536;
constexpr int kIconSlot = 24;

struct PendingMessage {
  long id = 0;
  size_t length = 0;
  std::string bytes;
};

FILE* g_out = stdout;

void Record(const std::string& line) {
  std::fprintf(g_out, "%s\n", line.c_str());
  std::fflush(g_out);
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

// Icons that vanish mid-request raise errors that are no concern of the tray.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

class Tray {
 public:
  explicit Tray(Display* display) : display_(display) {}

  bool Start() {
    const int screen = DefaultScreen(display_);
    root_ = RootWindow(display_, screen);
    selection_ = Atom("_NET_SYSTEM_TRAY_S" + std::to_string(screen));
    window_ = XCreateSimpleWindow(display_, root_, 0, 0, 240, kIconSlot, 0, 0, 0x404040);
    XSelectInput(display_, window_, SubstructureNotifyMask | StructureNotifyMask);
    XMapWindow(display_, window_);
    XSetSelectionOwner(display_, selection_, window_, CurrentTime);
    if (XGetSelectionOwner(display_, selection_) != window_) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = root_;
    event.xclient.message_type = Atom("MANAGER");
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = static_cast<long>(selection_);
    event.xclient.data.l[2] = static_cast<long>(window_);
    XSendEvent(display_, root_, False, StructureNotifyMask, &event);
    XSync(display_, False);
    Record("ready " + std::to_string(window_));
    return true;
  }

  void Run() {
    for (;;) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == ClientMessage) {
        OnClientMessage(event.xclient);
      } else if (event.type == DestroyNotify && icons_.count(event.xdestroywindow.window)) {
        icons_.erase(event.xdestroywindow.window);
        pending_.erase(event.xdestroywindow.window);
        Record("undock " + std::to_string(event.xdestroywindow.window));
      } else if (event.type == SelectionClear) {
        return;
      }
    }
  }

 private:
  ::Atom Atom(const std::string& name) { return XInternAtom(display_, name.c_str(), False); }

  void OnClientMessage(const XClientMessageEvent& message) {
    if (message.message_type == Atom("_NET_SYSTEM_TRAY_OPCODE") && message.format == 32) {
      const long opcode = message.data.l[1];
      if (opcode == kRequestDock) {
        Dock(static_cast<Window>(message.data.l[2]));
      } else if (opcode == kBeginMessage) {
        Begin(message.window, static_cast<size_t>(message.data.l[3]), message.data.l[4]);
      } else if (opcode == kCancelMessage) {
        pending_.erase(message.window);
      }
    } else if (message.message_type == Atom("_NET_SYSTEM_TRAY_MESSAGE_DATA") && message.format == 8) {
      auto it = pending_.find(message.window);
      if (it == pending_.end()) return;
      PendingMessage& pending = it->second;
      const size_t count = std::min<size_t>(20, pending.length - pending.bytes.size());
      pending.bytes.append(message.data.b, count);
      if (pending.bytes.size() == pending.length) Finish(message.window);
    }
  }

  void Dock(Window icon) {
    if (icon == 0 || icons_.count(icon)) return;
    XSelectInput(display_, icon, StructureNotifyMask);
    XAddToSaveSet(display_, icon);
    XReparentWindow(display_, icon, window_, static_cast<int>(icons_.size()) * kIconSlot, 0);
    XResizeWindow(display_, icon, kIconSlot, kIconSlot);
    XMapRaised(display_, icon);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = icon;
    event.xclient.message_type = Atom("_XEMBED");
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = kXEmbedEmbeddedNotify;
    event.xclient.data.l[3] = static_cast<long>(window_);
    XSendEvent(display_, icon, False, NoEventMask, &event);
    XSync(display_, False);
    icons_[icon] = true;
    Record("dock " + std::to_string(icon));
  }

  void Begin(Window icon, size_t length, long id) {
    if (length > kMaxMessageBytes) return;
    pending_[icon] = PendingMessage{id, length, std::string()};
    if (length == 0) Finish(icon);
  }

  void Finish(Window icon) {
    const PendingMessage& pending = pending_[icon];
    Record("balloon " + std::to_string(icon) + " " + std::to_string(pending.id) + " " + Escape(pending.bytes));
    pending_.erase(icon);
  }

  Display* display_;
  Window root_ = 0;
  Window window_ = 0;
  ::Atom selection_ = 0;
  std::map<Window, bool> icons_;
  std::map<Window, PendingMessage> pending_;
};

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--output") == 0) {
      g_out = std::fopen(argv[i + 1], "w");
      if (!g_out) return 2;
    }
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 3;
  XSetErrorHandler(IgnoreErrors);
  Tray tray(display);
  if (!tray.Start()) return 4;
  tray.Run();
  return 0;
}
