#include "platform/text/utf_conversion.h"

namespace platform {

namespace {

constexpr char32_t kReplacementChar = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Decodes one UTF-8 sequence at text[*i] and advances *i. An ill-formed
// sequence yields U+FFFD and consumes its maximal subpart. The bounds of the
// first continuation byte rule out overlong forms, encoded surrogates and
// values above U+10FFFF.
char32_t DecodeUTF8(std::string_view text, size_t* i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(*i);
  ++*i;
  if (lead < 0x80) return lead;
  int trail = 0;
  char32_t cp = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // bounds of the first continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;  // no overlong forms
    if (lead == 0xED) hi = 0x9F;  // no encoded surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return kReplacementChar;
  }
  for (int k = 0; k < trail; ++k) {
    if (*i >= text.size()) return kReplacementChar;
    const unsigned char c = byte(*i);
    const unsigned char min = k == 0 ? lo : 0x80;
    const unsigned char max = k == 0 ? hi : 0xBF;
    if (c < min || c > max) return kReplacementChar;
    cp = (cp << 6) | (c & 0x3F);
    ++*i;
  }
  return cp;
}

// Decodes one UTF-16 character at text[*i] and advances *i; a lone surrogate
// is U+FFFD.
char32_t DecodeUTF16(std::u16string_view text, size_t* i) {
  const char32_t c = text[*i];
  ++*i;
  if (IsHighSurrogate(c) && *i < text.size() && IsLowSurrogate(text[*i])) {
    const char32_t low = text[*i];
    ++*i;
    return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
  }
  if (IsHighSurrogate(c) || IsLowSurrogate(c)) return kReplacementChar;
  return c;
}

}  // namespace

void AppendUTF8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}


void AppendUTF16(char32_t cp, std::u16string* out) {
  if (cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) cp = kReplacementChar;
  if (cp < 0x10000) {
    out->push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

std::u16string UTF8ToUTF16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) AppendUTF16(DecodeUTF8(utf8, &i), &out);
  return out;
}

std::string UTF16ToUTF8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size();) AppendUTF8(DecodeUTF16(utf16, &i), &out);
  return out;
}

}  // namespace platform
