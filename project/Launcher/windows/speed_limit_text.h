#pragma once
// The rules of the download speed-limit fields of the settings (KB/s): while
// the user types, a value above the maximum becomes the maximum; when the
// field is left, an empty field becomes the minimum and any value is clamped
// to the range. A field holds digits only; a run of digits too long for a
// 32-bit integer counts as above the maximum.

#include <cstdint>
#include <string>

inline constexpr int32_t kMinSpeedLimit = 100;
inline constexpr int32_t kMaxSpeedLimit = 10240;

// The decimal value of the leading digits of |text|, saturated at INT32_MAX;
// 0 when there are none.
int32_t SpeedTextValue(const std::string& text);

// What a field holding |text| shows while it is edited: unchanged when
// empty, else the decimal form of min(value, kMaxSpeedLimit).
std::string SpeedTextWhileTyping(const std::string& text);

// The value a field holding |text| stores when it is left: kMinSpeedLimit
// when empty, else the value clamped to the range.
int32_t SpeedValueOnLeave(const std::string& text);
