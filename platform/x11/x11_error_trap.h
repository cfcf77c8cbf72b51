// X errors never end the program: one process-wide handler records an error
// in the trap that the current thread has open for that connection, and
// otherwise only reports it on stderr.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server to answer everything sent so far, then tells
  // whether any of it failed.
  bool SyncAndCheck();
  int error_code() const { return error_code_; }

  // Installs the process-wide handlers; called by everything that opens a
  // connection.
  static void InstallHandlers();
  // A lost connection leaves the display unusable but the program running.
  static void SurviveConnectionLoss(Display* display);
  // Whether the connection was lost; its descriptor then only reports a
  // hang-up and must not be waited on any more.
  static bool ConnectionLost(Display* display);
  // Forgets a closed connection.
  static void ForgetConnection(Display* display);

 private:
  static int OnError(Display* display, XErrorEvent* event);
  static int OnIoError(Display* display);
  static void OnIoErrorExit(Display* display, void* user_data);

  Display* display_;
  X11ErrorTrap* outer_;
  int error_code_ = 0;
};

}  // namespace platform::x11
