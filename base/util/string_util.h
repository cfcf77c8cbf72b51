#pragma once
// Text helpers of the base runtime: printf-style formatting into a string and
// the conversions between UTF-8 (transfer side, files) and UTF-16 (UI side).

#include <cstdarg>
#include <string>
#include <string_view>

// The UTF-8/UTF-16 conversions (UTF8ToUTF16, UTF16ToUTF8) live in their own
// dependency-free library; they are included here for the callers of the
// text helpers.
#include "base/util/utf_conversion.h"

namespace kbase {

// printf-style formatting into a new string. The output is first formatted
// into a 1024-byte buffer, then into heap buffers doubling from 2048 bytes up
// to 32 MiB; an output that fits none of them gives an empty string.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatStringV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Largest buffer FormatString tries, in bytes.
inline constexpr size_t kFormatStringMaxBuffer = 0x2000000;

}  // namespace kbase
