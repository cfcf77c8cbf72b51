#include "platform/x11/x11_error_trap.h"

#include <cstdio>
#include <mutex>

namespace platform::x11 {

namespace {

thread_local X11ErrorTrap* t_current_trap = nullptr;

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display), outer_(t_current_trap) {
  InstallHandlers();
  t_current_trap = this;
}

X11ErrorTrap::~X11ErrorTrap() {
  // Errors of requests made inside the trap must reach it, not the next one.
  XSync(display_, False);
  t_current_trap = outer_;
}

bool X11ErrorTrap::SyncAndCheck() {
  XSync(display_, False);
  return error_code_ == 0;
}

void X11ErrorTrap::InstallHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    XSetErrorHandler(&X11ErrorTrap::OnError);
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

void X11ErrorTrap::OnIoErrorExit(Display*, void*) {
  std::fprintf(stderr, "X connection lost\n");
}

}  // namespace platform::x11
