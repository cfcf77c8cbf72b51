#include "project/Launcher/windows/panel_texts.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/text/utf_conversion.h"

namespace panel_texts {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;
constexpr int32_t kTurkish = 10;

std::u16string Ascii(const char* text) { return platform::UTF8ToUTF16(text); }

}  // namespace

std::u16string SizeText(uint64_t bytes) {
  // Single precision, as the windows have always printed these figures.
  const float value = static_cast<float>(bytes);
  char buffer[64];
  if (bytes >= kGiB)
    std::snprintf(buffer, sizeof buffer, "%5.2fG", static_cast<double>(value * (1.0f / kGiB)));
  else if (bytes >= kMiB)
    std::snprintf(buffer, sizeof buffer, "%5.2fM", static_cast<double>(value * (1.0f / kMiB)));
  else
    std::snprintf(buffer, sizeof buffer, "%5.2fKB", static_cast<double>(value * (1.0f / 1024)));
  return Ascii(buffer);
}

std::u16string WithArgument(const std::u16string& text, const std::u16string& argument) {
  const size_t at = text.find(u"%ls");
  if (at == std::u16string::npos) return text;
  return text.substr(0, at) + argument + text.substr(at + 3);
}

std::u16string ClockText(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  const int64_t hours = seconds / 3600;
  const int64_t minutes = (seconds % 3600) / 60;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(hours),
                static_cast<long long>(minutes), static_cast<long long>(seconds % 60));
  return Ascii(buffer);
}

uint64_t SpeedBytes(double bytesPerSecond) {
  if (!(bytesPerSecond > 0)) return 0;  // negative and not-a-number
  if (bytesPerSecond >= 18446744073709551616.0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(bytesPerSecond);
}

uint64_t SpeedBytes(int64_t bytesPerSecond) {
  return bytesPerSecond > 0 ? static_cast<uint64_t>(bytesPerSecond) : 0;
}

std::u16string PercentText(int64_t done, int64_t total, int32_t languageType) {
  int percent = 0;
  if (total > 0) {
    percent = static_cast<int>(static_cast<float>(done) / static_cast<float>(total) * 100.0f);
  }
  char buffer[32];
  if (languageType == kTurkish)
    std::snprintf(buffer, sizeof buffer, "%%%d", percent);
  else
    std::snprintf(buffer, sizeof buffer, "%d%%", percent);
  return Ascii(buffer);
}

}  // namespace panel_texts
