#include "platform/x11/x11_display.h"

namespace platform::x11 {

Display* OpenDisplay(const std::string& name) {
  constexpr int kAttempts = 5;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (display) return display;
  }
  return nullptr;
}

}  // namespace platform::x11
