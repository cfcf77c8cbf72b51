#pragma once
// The texts the launcher's panels and dialogs compose: sizes and speeds
// ("%5.2fKB", "%5.2fM", "%5.2fG"), remaining times ("hh:mm:ss") and language
// texts that carry one "%ls" placeholder. A language text is never used as a
// printf format: its placeholder is replaced literally, so a translation
// with a stray "%" or "%s" shows as written instead of reading arguments
// that were never passed.

#include <cstdint>
#include <string>

namespace panel_texts {

// Bytes as the windows show them: below 1 MiB in KB, below 1 GiB in M, else
// in G, with two decimals in a field of five (" 1.50M", "512.00KB").
std::u16string SizeText(uint64_t bytes);

// |text| with its first "%ls" replaced by |argument|; everything else stays
// as written. A text without the placeholder is returned unchanged.
std::u16string WithArgument(const std::u16string& text, const std::u16string& argument);

// "%02d:%02d:%02d" of hours, minutes and seconds; hours are not limited to
// two digits; a negative count shows as 00:00:00.
std::u16string ClockText(int64_t seconds);

// A reported speed as a byte count: negative or not-a-number reports are 0,
// fractions are dropped, values beyond the 64-bit range saturate.
uint64_t SpeedBytes(double bytesPerSecond);
// A 32-bit report, as the pre-download side receives it: negative is 0.
uint64_t SpeedBytes(int64_t bytesPerSecond);

// A whole percent of |done| of |total| (0 when |total| is not positive),
// as "45%" or, for the Turkish table (language index 10), "%45".
std::u16string PercentText(int64_t done, int64_t total, int32_t languageType);

}  // namespace panel_texts
