// Text helpers shared by the UI framework and the widgets: path
// normalisation, printf-style formatting into UTF-16, UTF-8/UTF-16
// conversion, trimming, splitting and replace-all.
//
// Wide strings are UTF-16 (std::u16string). The conversions are the
// program's one UTF-8/UTF-16 conversion (platform/text/utf_conversion.h):
// malformed UTF-8 becomes U+FFFD (one per maximal ill-formed subpart), a lone
// surrogate in UTF-16 becomes U+FFFD in UTF-8. The functions keep no state and
// may be called on any thread.
#ifndef UI_WIDE_TEXT_H_
#define UI_WIDE_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The code page of UTF-8. The system code page is UTF-8 here, so every code
// page converts as UTF-8.
inline constexpr unsigned kCodePageUtf8 = 65001;

// Longest text FormatWideString produces; a longer one gives the empty text.
inline constexpr size_t kMaxFormattedLength = 0x2000000 - 1;

// Every "/" becomes "\\"; then every pair of backslashes becomes one, in one
// left-to-right pass (so three backslashes in a row leave two).
std::u16string NormalizeFilePath(std::u16string_view path);

// printf-style formatting with a UTF-16 format. Conversions: d i u x X o c
// s p f F e E g G a A and %%, with flags, width, precision ("*" too) and the
// length modifiers hh h l ll j z t L. "%s" and "%ls" take a terminated
// const char16_t*, "%hs" a terminated UTF-8 const char*; "%c" and "%lc" a
// UTF-16 unit. Widths and precisions of strings count UTF-16 units and never
// split a surrogate pair. A result longer than kMaxFormattedLength, or a
// malformed conversion, gives the empty text.
std::u16string FormatWideString(const char16_t* format, ...);

// Converts a terminated UTF-8 text. The output is cleared first; false, with
// an empty output, when the text converts to no characters.
bool Utf8ToWide(const char* text, std::u16string* out);

// Converts the whole string by its length (zero bytes included); always true.
bool MultiByteToWide(std::string_view text, std::u16string* out,
                     unsigned code_page = kCodePageUtf8);

// The reverse of Utf8ToWide for a terminated UTF-16 text.
bool WideToUtf8(const char16_t* text, std::string* out);

// The reverse of MultiByteToWide; always true.
bool WideToMultiByte(std::u16string_view text, std::string* out,
                     unsigned code_page = kCodePageUtf8);

// Convenience forms used by the framework's own code.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Trimming removes blanks and every character whose code is below 30
// (tab, CR and LF included; 30 and 31 are kept).
bool IsTrimmedChar(char16_t c);
void TrimRight(std::u16string* text);
void TrimLeft(std::u16string* text);
void Trim(std::u16string* text);

// Splits at any of the delimiter characters; runs of delimiters count as
// one and leading or trailing delimiters give nothing, so the list never
// holds an empty string.
std::vector<std::u16string> SplitString(std::u16string_view text,
                                        std::u16string_view delimiters);

// Replaces every non-overlapping occurrence of find, left to right, without
// searching the replacement again; returns the number of replacements. An
// empty find changes nothing and returns 0.
int ReplaceAllWide(std::u16string_view find, std::u16string_view replacement,
                   std::u16string* text);
int ReplaceAllNarrow(std::string_view find, std::string_view replacement,
                     std::string* text);

}  // namespace ui

#endif  // UI_WIDE_TEXT_H_
