#include "ui/wide_text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/text/utf_conversion.h"

namespace ui {

namespace {

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

size_t Length16(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// ---- FormatWideString ------------------------------------------------------

struct ConversionSpec {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  bool zero = false;
  bool grouping = false;
  long long width = 0;
  long long precision = -1;  // -1: none
  enum class Length { kNone, kHH, kH, kL, kLL, kJ, kZ, kT, kBigL } length =
      Length::kNone;
  char conversion = 0;
};

// Builds the narrow printf spec of one numeric conversion, without width:
// the width is applied by the caller so that a huge width never reaches
// snprintf.
std::string NarrowSpec(const ConversionSpec& spec, const char* length,
                       char conversion) {
  std::string s = "%";
  if (spec.left) s += '-';
  if (spec.plus) s += '+';
  if (spec.space) s += ' ';
  if (spec.alternate) s += '#';
  if (spec.grouping) s += '\'';
  if (spec.precision >= 0) {
    s += '.';
    s.append(std::to_string(spec.precision));
  }
  s += length;
  s += conversion;
  return s;
}

template <typename T>
bool SnprintfValue(const std::string& narrow_spec, T value, std::string* out) {
  const int n = std::snprintf(nullptr, 0, narrow_spec.c_str(), value);
  if (n < 0 || static_cast<size_t>(n) > kMaxFormattedLength) return false;
  out->assign(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out->data(), out->size(), narrow_spec.c_str(), value);
  out->resize(static_cast<size_t>(n));
  return true;
}

// Where zeros go when a zero-padded number is widened: after the sign and
// after a "0x" prefix.
size_t ZeroInsertPosition(std::string_view body) {
  size_t pos = 0;
  if (pos < body.size() && (body[pos] == '-' || body[pos] == '+' || body[pos] == ' ')) ++pos;
  if (pos + 1 < body.size() && body[pos] == '0' && (body[pos + 1] == 'x' || body[pos + 1] == 'X')) pos += 2;
  return pos;
}

class Formatter {
 public:
  bool Run(const char16_t* format, va_list* args) {
    for (const char16_t* p = format; *p != 0;) {
      if (*p != u'%') {
        if (!Append(std::u16string_view(p, 1))) return false;
        ++p;
        continue;
      }
      ++p;
      if (*p == u'%') {
        if (!Append(u"%")) return false;
        ++p;
        continue;
      }
      ConversionSpec spec;
      if (!ParseSpec(&p, &spec, args)) return false;
      if (!Convert(spec, args)) return false;
    }
    return true;
  }

  std::u16string Take() { return std::move(out_); }

 private:
  bool Append(std::u16string_view piece) {
    if (out_.size() + piece.size() > kMaxFormattedLength) return false;
    out_.append(piece);
    return true;
  }

  bool AppendPadding(long long count, char16_t fill) {
    if (count <= 0) return true;
    if (out_.size() + static_cast<unsigned long long>(count) > kMaxFormattedLength) return false;
    out_.append(static_cast<size_t>(count), fill);
    return true;
  }

  static bool ParseNumber(const char16_t** p, long long* value) {
    *value = 0;
    while (**p >= u'0' && **p <= u'9') {
      *value = *value * 10 + (**p - u'0');
      if (*value > static_cast<long long>(kMaxFormattedLength) + 1) {
        *value = static_cast<long long>(kMaxFormattedLength) + 1;
      }
      ++*p;
    }
    return true;
  }

  static bool ParseSpec(const char16_t** pp, ConversionSpec* spec, va_list* args) {
    const char16_t* p = *pp;
    for (;; ++p) {
      if (*p == u'-') spec->left = true;
      else if (*p == u'+') spec->plus = true;
      else if (*p == u' ') spec->space = true;
      else if (*p == u'#') spec->alternate = true;
      else if (*p == u'0') spec->zero = true;
      else if (*p == u'\'') spec->grouping = true;
      else break;
    }
    if (*p == u'*') {
      const int w = va_arg(*args, int);
      if (w < 0) {
        spec->left = true;
        spec->width = -static_cast<long long>(w);
      } else {
        spec->width = w;
      }
      ++p;
    } else {
      ParseNumber(&p, &spec->width);
    }
    if (*p == u'.') {
      ++p;
      if (*p == u'*') {
        const int prec = va_arg(*args, int);
        spec->precision = prec < 0 ? -1 : prec;
        ++p;
      } else {
        ParseNumber(&p, &spec->precision);
      }
    }
    using L = ConversionSpec::Length;
    if (p[0] == u'h' && p[1] == u'h') { spec->length = L::kHH; p += 2; }
    else if (p[0] == u'h') { spec->length = L::kH; ++p; }
    else if (p[0] == u'l' && p[1] == u'l') { spec->length = L::kLL; p += 2; }
    else if (p[0] == u'l') { spec->length = L::kL; ++p; }
    else if (p[0] == u'j') { spec->length = L::kJ; ++p; }
    else if (p[0] == u'z') { spec->length = L::kZ; ++p; }
    else if (p[0] == u't') { spec->length = L::kT; ++p; }
    else if (p[0] == u'L') { spec->length = L::kBigL; ++p; }
    if (*p == 0 || *p > 0x7F) return false;
    spec->conversion = static_cast<char>(*p);
    *pp = p + 1;
    return true;
  }

  // Pads a finished piece to the width: spaces on the left or right, or
  // zeros after the sign for zero-padded numbers.
  bool AppendPadded(const ConversionSpec& spec, std::u16string_view body,
                    size_t zero_position, bool zero_allowed) {
    const long long pad = spec.width - static_cast<long long>(body.size());
    if (pad <= 0) return Append(body);
    if (spec.left) return Append(body) && AppendPadding(pad, u' ');
    if (spec.zero && zero_allowed) {
      return Append(body.substr(0, zero_position)) && AppendPadding(pad, u'0') &&
             Append(body.substr(zero_position));
    }
    return AppendPadding(pad, u' ') && Append(body);
  }

  bool AppendNarrowNumber(const ConversionSpec& spec, const std::string& body,
                          bool zero_allowed) {
    std::u16string wide(body.begin(), body.end());  // ASCII only
    return AppendPadded(spec, wide, ZeroInsertPosition(body), zero_allowed);
  }

  bool ConvertSigned(const ConversionSpec& spec, va_list* args) {
    using L = ConversionSpec::Length;
    long long v = 0;
    switch (spec.length) {
      case L::kHH: v = static_cast<signed char>(va_arg(*args, int)); break;
      case L::kH: v = static_cast<short>(va_arg(*args, int)); break;
      case L::kL: v = va_arg(*args, long); break;
      case L::kLL: v = va_arg(*args, long long); break;
      case L::kJ: v = va_arg(*args, intmax_t); break;
      case L::kZ: v = va_arg(*args, ptrdiff_t); break;
      case L::kT: v = va_arg(*args, ptrdiff_t); break;
      default: v = va_arg(*args, int); break;
    }
    std::string body;
    if (!SnprintfValue(NarrowSpec(spec, "ll", 'd'), v, &body)) return false;
    return AppendNarrowNumber(spec, body, spec.precision < 0);
  }

  bool ConvertUnsigned(const ConversionSpec& spec, va_list* args) {
    using L = ConversionSpec::Length;
    unsigned long long v = 0;
    switch (spec.length) {
      case L::kHH: v = static_cast<unsigned char>(va_arg(*args, unsigned)); break;
      case L::kH: v = static_cast<unsigned short>(va_arg(*args, unsigned)); break;
      case L::kL: v = va_arg(*args, unsigned long); break;
      case L::kLL: v = va_arg(*args, unsigned long long); break;
      case L::kJ: v = va_arg(*args, uintmax_t); break;
      case L::kZ: v = va_arg(*args, size_t); break;
      case L::kT: v = static_cast<unsigned long long>(va_arg(*args, ptrdiff_t)); break;
      default: v = va_arg(*args, unsigned); break;
    }
    std::string body;
    if (!SnprintfValue(NarrowSpec(spec, "ll", spec.conversion), v, &body)) return false;
    return AppendNarrowNumber(spec, body, spec.precision < 0);
  }

  bool ConvertFloat(const ConversionSpec& spec, va_list* args) {
    std::string body;
    if (spec.length == ConversionSpec::Length::kBigL) {
      const long double v = va_arg(*args, long double);
      if (!SnprintfValue(NarrowSpec(spec, "L", spec.conversion), v, &body)) return false;
    } else {
      const double v = va_arg(*args, double);
      if (!SnprintfValue(NarrowSpec(spec, "", spec.conversion), v, &body)) return false;
    }
    const bool finite = body.find_first_of("iInN") == std::string::npos;
    return AppendNarrowNumber(spec, body, finite);
  }

  bool ConvertPointer(const ConversionSpec& spec, va_list* args) {
    const void* v = va_arg(*args, const void*);
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%p", v);
    return AppendNarrowNumber(spec, buffer, false);
  }

  bool ConvertChar(const ConversionSpec& spec, va_list* args) {
    const char16_t c = static_cast<char16_t>(va_arg(*args, int));
    return AppendPadded(spec, std::u16string_view(&c, 1), 0, false);
  }

  bool ConvertString(const ConversionSpec& spec, va_list* args) {
    std::u16string converted;
    std::u16string_view text;
    if (spec.length == ConversionSpec::Length::kH) {
      const char* s = va_arg(*args, const char*);
      converted = Utf8ToUtf16(s != nullptr ? std::string_view(s) : "(null)");
      text = converted;
    } else {
      const char16_t* s = va_arg(*args, const char16_t*);
      text = s != nullptr ? std::u16string_view(s) : u"(null)";
    }
    if (spec.precision >= 0 && static_cast<unsigned long long>(spec.precision) < text.size()) {
      size_t n = static_cast<size_t>(spec.precision);
      // Never cut a surrogate pair in half.
      if (n > 0 && IsHighSurrogate(text[n - 1]) && IsLowSurrogate(text[n])) --n;
      text = text.substr(0, n);
    }
    return AppendPadded(spec, text, 0, false);
  }

  bool Convert(const ConversionSpec& spec, va_list* args) {
    if (spec.width > static_cast<long long>(kMaxFormattedLength)) return false;
    if (spec.precision > static_cast<long long>(kMaxFormattedLength)) return false;
    switch (spec.conversion) {
      case 'd': case 'i':
        return ConvertSigned(spec, args);
      case 'u': case 'o': case 'x': case 'X':
        return ConvertUnsigned(spec, args);
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
        return ConvertFloat(spec, args);
      case 'p':
        return ConvertPointer(spec, args);
      case 'c': case 'C':
        return ConvertChar(spec, args);
      case 's': case 'S':
        return ConvertString(spec, args);
      default:
        // "%n" and unknown conversions are refused.
        return false;
    }
  }

  std::u16string out_;
};

}  // namespace

std::u16string NormalizeFilePath(std::u16string_view path) {
  std::u16string slashed(path);
  for (char16_t& c : slashed) {
    if (c == u'/') c = u'\\';
  }
  std::u16string out;
  out.reserve(slashed.size());
  for (size_t i = 0; i < slashed.size(); ++i) {
    out.push_back(slashed[i]);
    if (slashed[i] == u'\\' && i + 1 < slashed.size() && slashed[i + 1] == u'\\') ++i;
  }
  return out;
}

std::u16string FormatWideString(const char16_t* format, ...) {
  if (format == nullptr) return {};
  va_list args;
  va_start(args, format);
  Formatter formatter;
  const bool ok = formatter.Run(format, &args);
  va_end(args);
  return ok ? formatter.Take() : std::u16string();
}

bool Utf8ToWide(const char* text, std::u16string* out) {
  out->clear();
  if (text == nullptr) return false;
  MultiByteToWide(std::string_view(text), out, kCodePageUtf8);
  return !out->empty();
}

bool MultiByteToWide(std::string_view text, std::u16string* out, unsigned /*code_page*/) {
  *out = platform::UTF8ToUTF16(text);
  return true;
}

bool WideToUtf8(const char16_t* text, std::string* out) {
  out->clear();
  if (text == nullptr) return false;
  WideToMultiByte(std::u16string_view(text, Length16(text)), out, kCodePageUtf8);
  return !out->empty();
}

bool WideToMultiByte(std::u16string_view text, std::string* out, unsigned /*code_page*/) {
  *out = platform::UTF16ToUTF8(text);
  return true;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  MultiByteToWide(text, &out, kCodePageUtf8);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  WideToMultiByte(text, &out, kCodePageUtf8);
  return out;
}

bool IsTrimmedChar(char16_t c) { return c == u' ' || c < 30; }

void TrimRight(std::u16string* text) {
  size_t end = text->size();
  while (end > 0 && IsTrimmedChar((*text)[end - 1])) --end;
  text->erase(end);
}

void TrimLeft(std::u16string* text) {
  size_t start = 0;
  while (start < text->size() && IsTrimmedChar((*text)[start])) ++start;
  text->erase(0, start);
}

void Trim(std::u16string* text) {
  TrimRight(text);
  TrimLeft(text);
}

std::vector<std::u16string> SplitString(std::u16string_view text,
                                        std::u16string_view delimiters) {
  std::vector<std::u16string> pieces;
  size_t start = 0;
  while (start < text.size()) {
    start = text.find_first_not_of(delimiters, start);
    if (start == std::u16string_view::npos) break;
    size_t end = text.find_first_of(delimiters, start);
    if (end == std::u16string_view::npos) end = text.size();
    pieces.emplace_back(text.substr(start, end - start));
    start = end;
  }
  return pieces;
}

namespace {

template <typename String, typename View>
int ReplaceAll(View find, View replacement, String* text) {
  if (find.empty()) return 0;
  int count = 0;
  String out;
  size_t from = 0;
  for (size_t at = text->find(find); at != String::npos; at = text->find(find, from)) {
    out.append(*text, from, at - from);
    out.append(replacement);
    from = at + find.size();
    ++count;
  }
  if (count == 0) return 0;
  out.append(*text, from, String::npos);
  text->swap(out);
  return count;
}

}  // namespace

int ReplaceAllWide(std::u16string_view find, std::u16string_view replacement,
                   std::u16string* text) {
  return ReplaceAll(find, replacement, text);
}

int ReplaceAllNarrow(std::string_view find, std::string_view replacement, std::string* text) {
  return ReplaceAll(find, replacement, text);
}

}  // namespace ui
