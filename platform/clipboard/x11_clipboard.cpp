#include "platform/clipboard/x11_clipboard.h"

#include <X11/Xatom.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/text/utf_conversion.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_error_trap.h"

namespace platform {

namespace {

using x11::X11ErrorTrap;

constexpr long kMaxPropertyWords = static_cast<long>(X11Clipboard::kMaxTextBytes / 4);

// A hidden window that only takes part in selection traffic.
::Window MakeSelectionWindow(Display* display) {
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  return XCreateWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, CopyFromParent,
                       InputOnly, CopyFromParent, CWEventMask, &attributes);
}

// Waits for the descriptor to become readable; false after `deadline`.
bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return false;
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, static_cast<int>(left.count())) > 0;
}

// The conversion's answer for `window`, waited for until the deadline.
bool WaitSelectionNotify(Display* display, ::Window window,
                         std::chrono::steady_clock::time_point deadline, XEvent* event) {
  for (;;) {
    while (XPending(display) > 0) {
      XNextEvent(display, event);
      if (event->type == SelectionNotify && event->xselection.requestor == window) return true;
    }
    if (!WaitReadable(ConnectionNumber(display), deadline)) return false;
  }
}

// Reads the property the owner answered into; nothing for a missing, wrong
// typed, incremental or oversized answer.
std::optional<std::string> ReadAnswer(Display* display, ::Window window, Atom property,
                                      Atom expected_type) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, property, 0, kMaxPropertyWords, True,
                                        AnyPropertyType, &type, &format, &count, &after, &data);
  std::optional<std::string> text;
  if (status == Success && type == expected_type && format == 8 && after == 0 && data != nullptr) {
    text.emplace(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return text;
}

// Latin-1 bytes as UTF-8.
std::string Latin1ToUtf8(const std::string& latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (unsigned char c : latin1) AppendUTF8(c, &out);
  return out;
}

}  // namespace

X11Clipboard::X11Clipboard(const std::string& display_name) : display_name_(display_name) {
  X11ErrorTrap::InstallHandlers();
  display_ = x11::OpenDisplay(display_name_);
  if (display_ == nullptr) return;
  X11ErrorTrap::SurviveConnectionLoss(display_);
  wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_fd_ < 0) {
    X11ErrorTrap::ForgetConnection(display_);
    XCloseDisplay(display_);
    display_ = nullptr;
    return;
  }
  clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
  targets_ = XInternAtom(display_, "TARGETS", False);
  utf8_string_ = XInternAtom(display_, "UTF8_STRING", False);
  window_ = MakeSelectionWindow(display_);
  XFlush(display_);
  server_ = std::thread(&X11Clipboard::Serve, this);
}

X11Clipboard::~X11Clipboard() {
  if (display_ == nullptr) return;
  stop_ = true;
  Wake();
  server_.join();
  XDestroyWindow(display_, window_);
  X11ErrorTrap::ForgetConnection(display_);
  XCloseDisplay(display_);
  close(wake_fd_);
}

bool X11Clipboard::OwnsSelection() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return owned_;
}

bool X11Clipboard::WaitForOwnershipLoss(int timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return owned_changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return !owned_; });
}

void X11Clipboard::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wake_fd_, &one, sizeof(one));
}

bool X11Clipboard::SetText(const std::string& utf8) {
  if (display_ == nullptr || utf8.size() > kMaxTextBytes) return false;
  std::unique_lock<std::mutex> lock(mutex_);
  text_ = utf8;
  take_requested_ = true;
  const uint64_t generation = ++take_generation_;
  lock.unlock();
  Wake();
  // Returns once the server knows the new owner, so a paste that follows in
  // any client gets this text.
  lock.lock();
  const bool answered = owned_changed_.wait_for(lock, std::chrono::milliseconds(kPasteTimeoutMs), [&] {
    return taken_generation_ >= generation;
  });
  return answered && owned_;
}

std::optional<std::string> X11Clipboard::GetText() {
  if (display_ == nullptr) return std::nullopt;
  // Always asked of the server, even while this clipboard thinks it owns
  // the selection: another client may have taken it a moment ago.
  Display* display = x11::OpenDisplay(display_name_);
  if (display == nullptr) return std::nullopt;
  X11ErrorTrap::SurviveConnectionLoss(display);
  std::optional<std::string> text;
  {
    X11ErrorTrap trap(display);
    const ::Window window = MakeSelectionWindow(display);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom property = XInternAtom(display, "LAUNCHER_PASTE", False);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPasteTimeoutMs);
    // UTF-8 first; an owner that only has Latin-1 text answers STRING.
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    for (const Atom target : {utf8, static_cast<Atom>(XA_STRING)}) {
      XConvertSelection(display, clipboard, target, property, window, CurrentTime);
      XFlush(display);
      XEvent event;
      if (!WaitSelectionNotify(display, window, deadline, &event)) break;
      if (event.xselection.property == None) continue;
      text = ReadAnswer(display, window, property, target);
      if (text && target == XA_STRING) text = Latin1ToUtf8(*text);
      break;
    }
    XDestroyWindow(display, window);
    trap.SyncAndCheck();
  }
  X11ErrorTrap::ForgetConnection(display);
  XCloseDisplay(display);
  return text;
}

void X11Clipboard::Serve() {
  pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wake_fd_, POLLIN, 0}};
  while (!stop_) {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == SelectionRequest) {
        AnswerRequest(event.xselectionrequest);
      } else if (event.type == SelectionClear && event.xselectionclear.selection == clipboard_) {
        std::lock_guard<std::mutex> lock(mutex_);
        owned_ = false;
        text_.clear();
        owned_changed_.notify_all();
      }
    }
    bool take = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      take = take_requested_;
      take_requested_ = false;
    }
    if (take) TakeSelection();
    if (X11ErrorTrap::ConnectionLost(display_)) break;
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents & POLLIN) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(wake_fd_, &count, sizeof(count));
    }
  }
  // Whoever waits for an answer gets one.
  std::lock_guard<std::mutex> lock(mutex_);
  taken_generation_ = take_generation_;
  owned_changed_.notify_all();
}

void X11Clipboard::TakeSelection() {
  XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
  // The round trip makes the server apply the change before anyone is told.
  const bool owned = XGetSelectionOwner(display_, clipboard_) == window_;
  std::lock_guard<std::mutex> lock(mutex_);
  owned_ = owned;
  if (!owned) text_.clear();
  taken_generation_ = take_generation_;
  owned_changed_.notify_all();
}

bool X11Clipboard::WriteTarget(const XSelectionRequestEvent& request, Atom property) {
  if (request.target == targets_) {
    const Atom offered[] = {targets_, utf8_string_};
    XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(offered), 2);
    return true;
  }
  if (request.target != utf8_string_) return false;
  std::string text;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!owned_) return false;
    text = text_;
  }
  XChangeProperty(display_, request.requestor, property, utf8_string_, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  return true;
}

void X11Clipboard::AnswerRequest(const XSelectionRequestEvent& request) {
  // Old clients name no property: the target's own name stands for it.
  const Atom property = request.property != None ? request.property : request.target;
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = display_;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  X11ErrorTrap trap(display_);
  bool written = request.selection == clipboard_ && WriteTarget(request, property);
  // A property the server refused (too large for it, or a requestor gone)
  // is answered as a refusal, never as text that is not there.
  if (written && !trap.SyncAndCheck()) written = false;
  reply.xselection.property = written ? property : None;
  XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
  trap.SyncAndCheck();
}

}  // namespace platform
