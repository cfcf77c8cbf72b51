// UTF-8 and UTF-16 conversions of window texts, class and property names.
#pragma once

#include <string>

namespace platform {

// Malformed input becomes U+FFFD.
std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& utf16);
void AppendUtf16(char32_t code_point, std::u16string* out);

}  // namespace platform
