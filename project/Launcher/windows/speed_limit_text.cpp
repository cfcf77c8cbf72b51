#include "project/Launcher/windows/speed_limit_text.h"

#include <algorithm>
#include <limits>

int32_t SpeedTextValue(const std::string& text) {
  constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), kLargest);
  }
  return static_cast<int32_t>(value);
}

std::string SpeedTextWhileTyping(const std::string& text) {
  if (text.empty()) return text;
  return std::to_string(std::min(SpeedTextValue(text), kMaxSpeedLimit));
}

int32_t SpeedValueOnLeave(const std::string& text) {
  if (text.empty()) return kMinSpeedLimit;
  return std::clamp(SpeedTextValue(text), kMinSpeedLimit, kMaxSpeedLimit);
}
