// The tray icon without a display, for tests: a tray that is there or not,
// a record of the balloons shown and of the windows' attention states, and
// clicks that tests make.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/tray/tray_icon.h"

namespace platform {

class MemoryTrayIcon : public TrayIcon {
 public:
  struct Balloon {
    std::u16string title;
    std::u16string text;
  };

  explicit MemoryTrayIcon(bool manager_present = true) : manager_present_(manager_present) {}

  TrayState Add(const TrayIconParams& params) override;
  void Remove() override;
  TrayState state() const override { return state_; }
  bool ShowBalloon(const std::u16string& title, const std::u16string& text) override;
  bool SetAttention(NativeWindow window, bool on) override;

  // A tray appears (the icon waiting for one docks) or goes away.
  void SetManagerPresent(bool present);
  // A click on the docked icon: posts the callback message with `mouse_message`.
  bool Click(uint32_t mouse_message);
  // Windows that SetAttention accepts; any window when none was added.
  void AddKnownWindow(NativeWindow window) { known_windows_.push_back(window); }

  const std::vector<Balloon>& balloons() const { return balloons_; }
  bool HasAttention(NativeWindow window) const;
  const TrayIconParams& params() const { return params_; }

 private:
  bool manager_present_;
  TrayState state_ = TrayState::kNone;
  TrayIconParams params_;
  std::vector<Balloon> balloons_;
  std::map<NativeWindow, bool> attention_;
  std::vector<NativeWindow> known_windows_;
};

}  // namespace platform
