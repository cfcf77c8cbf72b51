#include "base/util/string_util.h"

#include <cstdio>
#include <memory>

namespace kbase {

namespace {

constexpr size_t kStackBufferSize = 1024;
constexpr size_t kFirstHeapBufferSize = 2048;
constexpr char32_t kReplacementChar = 0xFFFD;

// Formats into |buffer| with a fresh copy of |args|: a va_list consumed by one
// vsnprintf call cannot be reused for the next attempt.
int FormatInto(char* buffer, size_t size, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = vsnprintf(buffer, size, format, copy);
  va_end(copy);
  return length;
}

bool Fits(int length, size_t size) {
  return length >= 0 && static_cast<size_t>(length) < size;
}

void AppendUTF16(char32_t cp, std::u16string* out) {
  if (cp < 0x10000) {
    out->push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

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

// Decodes one UTF-8 sequence at |*pos|, advancing past it. Overlong forms,
// surrogates and values above U+10FFFF decode as U+FFFD, consuming one byte.
char32_t DecodeUTF8(std::string_view s, size_t* pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char lead = byte(*pos);
  if (lead < 0x80) {
    ++*pos;
    return lead;
  }
  size_t extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    ++*pos;
    return kReplacementChar;
  }
  if (*pos + extra >= s.size()) {  // truncated sequence
    ++*pos;
    return kReplacementChar;
  }
  for (size_t i = 1; i <= extra; ++i) {
    unsigned char c = byte(*pos + i);
    if ((c & 0xC0) != 0x80) {
      ++*pos;
      return kReplacementChar;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++*pos;
    return kReplacementChar;
  }
  *pos += extra + 1;
  return cp;
}

}  // namespace

std::string FormatStringV(const char* format, va_list args) {
  char stack_buffer[kStackBufferSize];
  int length = FormatInto(stack_buffer, sizeof(stack_buffer), format, args);
  if (Fits(length, sizeof(stack_buffer)))
    return std::string(stack_buffer, static_cast<size_t>(length));

  for (size_t size = kFirstHeapBufferSize; size <= kFormatStringMaxBuffer; size *= 2) {
    auto heap_buffer = std::make_unique<char[]>(size);
    length = FormatInto(heap_buffer.get(), size, format, args);
    if (Fits(length, size))
      return std::string(heap_buffer.get(), static_cast<size_t>(length));
  }
  return std::string();
}

std::string FormatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = FormatStringV(format, args);
  va_end(args);
  return result;
}

std::u16string UTF8ToUTF16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size())
    AppendUTF16(DecodeUTF8(utf8, &pos), &out);
  return out;
}

std::string UTF16ToUTF8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() &&
        utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacementChar;  // unpaired surrogate
    }
    AppendUTF8(cp, &out);
  }
  return out;
}

}  // namespace kbase
