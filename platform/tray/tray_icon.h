// The icon of the program in the notification area of the desktop. Under X11
// it is an XEmbed system-tray icon; tests without a display use the
// in-memory version. Clicks on the icon reach the owner window as its
// callback message: wParam 0 (the icon's id), lParam the mouse message
// (WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN and the button ups).
// Everything runs on the thread that made the icon (the UI thread).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/message/message_types.h"
#include "platform/window/window_backend.h"

namespace platform {

struct TrayIconParams {
  HWND owner = nullptr;        // receives the callback message
  UINT callback_message = 0;
  // Straight (not premultiplied) 0xAARRGGBB pixels, row by row.
  std::vector<uint32_t> pixels;
  int width = 0;
  int height = 0;
};

enum class TrayState {
  kNone,       // no icon asked for, or removed
  kNoManager,  // no tray on the desktop: no icon shows; it docks when a tray appears
  kDocked,     // the tray was asked to embed the icon
  kFailed,     // the icon could not be made (bad pixels, lost display)
};

class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  // Shows the icon; replaces an icon shown before. kNoManager is no failure:
  // the icon docks by itself once a tray appears.
  virtual TrayState Add(const TrayIconParams& params) = 0;
  virtual void Remove() = 0;
  virtual TrayState state() const = 0;
  // A balloon tip on the icon: false when the icon is not docked or the
  // tray could not be told.
  virtual bool ShowBalloon(const std::u16string& title, const std::u16string& text) = 0;
  // Sets or clears the attention state of a window of any process (the
  // taskbar flashes it until it is activated). False for no such window.
  virtual bool SetAttention(NativeWindow window, bool on) = 0;
};

// The icon's pixels are usable: positive size, one pixel a cell.
bool HasValidIconPixels(const TrayIconParams& params);

}  // namespace platform
