#pragma once
// Text helpers of the base runtime: printf-style formatting into a string and
// the conversions between UTF-8 (transfer side, files) and UTF-16 (UI side).

#include <cstdarg>
#include <string>
#include <string_view>

// The UTF-8/UTF-16 conversions live at the bottom of the layers, in the
// platform's dependency-free text library; the base runtime offers them under
// its own names.
#include "platform/text/utf_conversion.h"

namespace kbase {

using platform::AppendUTF16;
using platform::UTF16ToUTF8;
using platform::UTF8ToUTF16;

// printf-style formatting into a new string. The output is first formatted
// into a 1024-byte buffer, then into heap buffers doubling from 2048 bytes up
// to 32 MiB; an output that fits none of them gives an empty string.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatStringV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Largest buffer FormatString tries, in bytes.
inline constexpr size_t kFormatStringMaxBuffer = 0x2000000;

}  // namespace kbase
