#pragma once
// The launcher's main window until the skinned one exists: a plain top-level
// window that registers with the store (and so carries the instance property
// by which a second launcher finds it), takes every launcher message and
// records it, shows, hides and restores itself on the show and hide
// messages, and ends the UI loop when the launcher exits or the window is
// closed.

#include <memory>

#include "platform/window/window_api.h"

class LauncherStore;

namespace platform::x11 {
class X11Backend;
}

class BasicMainWindow {
 public:
  // Opens the display and creates, centres and shows the window; false when
  // there is no display (the launcher then runs without windows).
  static bool Create(LauncherStore& store);
  // Destroys the window when it is still there.
  static void Shutdown();
  // Opens the X display and installs it as the window back-end (false
  // without a display); CloseDisplay uninstalls and closes it.
  static bool OpenDisplay();
  static void CloseDisplay();
  // The window layer's functions as the store's relay uses them.
  static void InstallWindowHooks(LauncherStore& store);

 private:
  static platform::LRESULT WindowProc(platform::HWND hwnd, platform::UINT message,
                                      platform::WPARAM wParam, platform::LPARAM lParam);
};
