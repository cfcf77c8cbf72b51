// The tray icon on an X server: an XEmbed system-tray icon. The icon is a
// small window of our own that the tray (the owner of the selection
// "_NET_SYSTEM_TRAY_S<screen>") is asked to embed; when no tray runs, no
// icon shows and the icon docks as soon as a tray announces itself (the
// MANAGER message on the root window). Balloons are the tray protocol's
// messages. The icon has a connection of its own and feeds its events to the
// message queue of the thread that made it, so the UI pump waits on it too.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "platform/message/event_source.h"
#include "platform/message/message_queue.h"
#include "platform/tray/tray_icon.h"
#include "platform/window/double_click_detector.h"

namespace platform::x11 {

class X11TrayIcon : public TrayIcon, public EventSource {
 public:
  // Null when the display cannot be opened (empty name: $DISPLAY).
  static std::unique_ptr<X11TrayIcon> Open(const std::string& display_name = std::string());
  ~X11TrayIcon() override;
  X11TrayIcon(const X11TrayIcon&) = delete;
  X11TrayIcon& operator=(const X11TrayIcon&) = delete;

  // TrayIcon.
  TrayState Add(const TrayIconParams& params) override;
  void Remove() override;
  TrayState state() const override { return state_; }
  bool ShowBalloon(const std::u16string& title, const std::u16string& text) override;
  bool SetAttention(NativeWindow window, bool on) override;

  // EventSource.
  int descriptor() const override;
  void Pump() override;

  // The icon's own window (0 while there is none), as the tray sees it.
  NativeWindow icon_window() const { return icon_; }

 private:
  explicit X11TrayIcon(Display* display);
  Atom AtomFor(const char* name) const;
  Window FindManager() const;
  bool CreateIconWindow();
  void DestroyIconWindow();
  // Asks the tray to embed the icon; kNoManager when there is no tray.
  TrayState Dock();
  void HandleEvent(const XEvent& event);
  void HandleButton(const XButtonEvent& event, bool press);
  void DrawIcon();
  bool HasWindowManager() const;
  bool SendToManager(Window window, long opcode, long a, long b, long c);

  Display* display_;
  int screen_ = 0;
  Window root_ = 0;
  Atom selection_ = 0;
  Window manager_ = 0;
  Window icon_ = 0;
  int icon_width_ = 0;
  int icon_height_ = 0;
  TrayState state_ = TrayState::kNone;
  TrayIconParams params_;
  DoubleClickDetector double_click_;
  long next_balloon_id_ = 1;
  std::shared_ptr<MessageQueue> queue_;
};

}  // namespace platform::x11
