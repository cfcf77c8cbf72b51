#include "platform/x11/x11_error_trap.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace platform::x11 {

namespace {

thread_local X11ErrorTrap* t_current_trap = nullptr;

std::mutex g_lost_lock;
std::set<Display*> g_lost;

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display), outer_(t_current_trap) {
  InstallHandlers();
  t_current_trap = this;
}

namespace {

// Whether the server has answered every request sent so far (the last
// request with a reply, or a sync, already brought any error in).
bool AllProcessed(Display* display) { return LastKnownRequestProcessed(display) + 1 >= NextRequest(display); }

}  // namespace

X11ErrorTrap::~X11ErrorTrap() {
  // Errors of requests made inside the trap must reach it, not the next one.
  if (!AllProcessed(display_)) XSync(display_, False);
  t_current_trap = outer_;
}

bool X11ErrorTrap::SyncAndCheck() {
  if (!AllProcessed(display_)) XSync(display_, False);
  return error_code_ == 0;
}

void X11ErrorTrap::InstallHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    XSetErrorHandler(&X11ErrorTrap::OnError);
    // Xlib's own handler ends the process; ours returns, and the exit
    // handler of each connection marks it lost instead.
    XSetIOErrorHandler(&X11ErrorTrap::OnIoError);
  });
}

int X11ErrorTrap::OnError(Display* display, XErrorEvent* event) {
  for (X11ErrorTrap* trap = t_current_trap; trap; trap = trap->outer_) {
    if (trap->display_ == display) {
      if (trap->error_code_ == 0) trap->error_code_ = event->error_code;
      return 0;
    }
  }
  char text[128] = {};
  XGetErrorText(display, event->error_code, text, sizeof(text));
  std::fprintf(stderr, "X error ignored: %s (request %d.%d, resource 0x%lx)\n", text, event->request_code,
               event->minor_code, event->resourceid);
  return 0;
}

void X11ErrorTrap::SurviveConnectionLoss(Display* display) {
  XSetIOErrorExitHandler(display, &X11ErrorTrap::OnIoErrorExit, nullptr);
}

int X11ErrorTrap::OnIoError(Display*) { return 0; }

void X11ErrorTrap::OnIoErrorExit(Display* display, void*) {
  std::fprintf(stderr, "X connection lost\n");
  std::lock_guard<std::mutex> lock(g_lost_lock);
  g_lost.insert(display);
}

bool X11ErrorTrap::ConnectionLost(Display* display) {
  std::lock_guard<std::mutex> lock(g_lost_lock);
  return g_lost.count(display) != 0;
}

void X11ErrorTrap::ForgetConnection(Display* display) {
  std::lock_guard<std::mutex> lock(g_lost_lock);
  g_lost.erase(display);
}

}  // namespace platform::x11
