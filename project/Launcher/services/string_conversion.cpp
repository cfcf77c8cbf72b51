#include "project/Launcher/services/string_conversion.h"

#include <cstdint>

namespace services {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      c = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      c = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      out += static_cast<char16_t>(kReplacement);
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool complete = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= n) {
        complete = false;
        break;
      }
      const uint8_t byte = static_cast<uint8_t>(text[j]);
      const uint8_t lo = k == 0 ? low : 0x80;
      const uint8_t hi = k == 0 ? high : 0xBF;
      if (byte < lo || byte > hi) {
        complete = false;
        break;
      }
      c = (c << 6) | (byte & 0x3F);
    }
    if (!complete) {
      out += static_cast<char16_t>(kReplacement);
      i = j;  // resume at the byte that broke the sequence
      continue;
    }
    AppendUtf16(out, c);
    i = j;
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
      } else {
        c = kReplacement;
      }
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace services
