#pragma once
// The one UTF-8 <-> UTF-16 conversion of the program, in place of the
// system's MultiByteToWideChar and WideCharToMultiByte. It depends on nothing
// but the standard library and sits at the bottom of the layers, so the
// platform layer, the base runtime (which names it kbase::UTF8ToUTF16 and
// kbase::UTF16ToUTF8) and the UI framework all build on it.
//
// Malformed UTF-8 becomes U+FFFD, one per maximal ill-formed subpart (the
// lead byte and the continuation bytes that were still valid), as Unicode
// recommends; a lone surrogate in UTF-16 becomes U+FFFD in UTF-8. Nothing is
// dropped silently. The functions keep no state and may be called on any
// thread.

#include <string>
#include <string_view>

namespace platform {

std::u16string UTF8ToUTF16(std::string_view utf8);
std::string UTF16ToUTF8(std::u16string_view utf16);

// Appends one code point as UTF-16; a surrogate or a value above U+10FFFF is
// appended as U+FFFD.
void AppendUTF16(char32_t code_point, std::u16string* out);
// Appends one code point as UTF-8; the caller gives a valid one.
void AppendUTF8(char32_t code_point, std::string* out);

}  // namespace platform
