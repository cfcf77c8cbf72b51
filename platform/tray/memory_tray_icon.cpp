#include "platform/tray/memory_tray_icon.h"

#include <algorithm>

#include "platform/message/message_api.h"

namespace platform {

TrayState MemoryTrayIcon::Add(const TrayIconParams& params) {
  if (!HasValidIconPixels(params)) return state_ = TrayState::kFailed;
  params_ = params;
  state_ = manager_present_ ? TrayState::kDocked : TrayState::kNoManager;
  return state_;
}

void MemoryTrayIcon::Remove() {
  state_ = TrayState::kNone;
  params_ = TrayIconParams();
}

bool MemoryTrayIcon::ShowBalloon(const std::u16string& title, const std::u16string& text) {
  if (state_ != TrayState::kDocked) return false;
  balloons_.push_back(Balloon{title, text});
  return true;
}

bool MemoryTrayIcon::SetAttention(NativeWindow window, bool on) {
  if (window == 0) return false;
  if (!known_windows_.empty() &&
      std::find(known_windows_.begin(), known_windows_.end(), window) == known_windows_.end()) {
    return false;
  }
  attention_[window] = on;
  return true;
}

void MemoryTrayIcon::SetManagerPresent(bool present) {
  manager_present_ = present;
  if (state_ == TrayState::kNone || state_ == TrayState::kFailed) return;
  state_ = present ? TrayState::kDocked : TrayState::kNoManager;
}

bool MemoryTrayIcon::Click(uint32_t mouse_message) {
  if (state_ != TrayState::kDocked) return false;
  return PostMessage(params_.owner, params_.callback_message, 0, static_cast<LPARAM>(mouse_message));
}

bool MemoryTrayIcon::HasAttention(NativeWindow window) const {
  auto it = attention_.find(window);
  return it != attention_.end() && it->second;
}

}  // namespace platform
