#pragma once
// Text helpers of the base runtime: printf-style formatting into a string and
// the conversions between UTF-8 (transfer side, files) and UTF-16 (UI side).

#include <cstdarg>
#include <string>
#include <string_view>

namespace kbase {

// printf-style formatting into a new string. The output is first formatted
// into a 1024-byte buffer, then into heap buffers doubling from 2048 bytes up
// to 32 MiB; an output that fits none of them gives an empty string.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatStringV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Largest buffer FormatString tries, in bytes.
inline constexpr size_t kFormatStringMaxBuffer = 0x2000000;

// Invalid input sequences become U+FFFD; nothing is dropped silently.
std::u16string UTF8ToUTF16(std::string_view utf8);
std::string UTF16ToUTF8(std::u16string_view utf16);

}  // namespace kbase
