#include "ui/markup_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ui/wide_text.h"

namespace ui {

namespace {

constexpr std::u16string_view kErrorOpening = u"Error opening file";
constexpr std::u16string_view kErrorEmpty = u"File is empty";
constexpr std::u16string_view kErrorTooLarge = u"File too large";
constexpr std::u16string_view kErrorRead = u"Could not read file";
constexpr std::u16string_view kErrorStartTag = u"Expected start tag";
constexpr std::u16string_view kErrorElementName = u"Error parsing element name";
constexpr std::u16string_view kErrorStartTagClosing = u"Expected start-tag closing";
constexpr std::u16string_view kErrorEndTagStart = u"Expected end-tag start";
constexpr std::u16string_view kErrorUnmatched = u"Unmatched closing tag";
constexpr std::u16string_view kErrorAttributes = u"Error while parsing attributes";
constexpr std::u16string_view kErrorAttributeValue = u"Expected attribute value";
constexpr std::u16string_view kErrorAttributeString = u"Error while parsing attribute string";
constexpr std::u16string_view kErrorTooDeep = u"Elements nested too deeply";

bool IsWhitespace(char16_t c) { return c <= 32; }

// Blank-like characters outside ASCII that never belong to a name.
bool IsNonAsciiSeparator(char16_t c) {
  return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 ||
         c == 0xFEFF;
}

// Name characters are "_", ":", ASCII letters and digits, and the characters
// outside ASCII that are not blanks (surrogate pairs included), so names in
// any script parse the same whatever the process locale is.
bool IsNameChar(char16_t c) {
  if (c < 0x80) {
    return c == u'_' || c == u':' || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') ||
           (c >= u'A' && c <= u'Z');
  }
  return !IsNonAsciiSeparator(c);
}

struct Entity {
  std::u16string_view text;  // after the "&"
  char16_t value;
};

constexpr Entity kEntities[] = {
    {u"amp;", u'&'}, {u"lt;", u'<'}, {u"gt;", u'>'}, {u"quot;", u'"'}, {u"apos;", u'\''},
};

}  // namespace

void MarkupDocument::Release() {
  buffer_.clear();
  buffer_.shrink_to_fit();
  elements_.clear();
  elements_.shrink_to_fit();
}

bool MarkupDocument::LoadFromString(std::u16string_view text) {
  Release();
  text = text.substr(0, text.find(u'\0'));
  // Offsets into the buffer are 32-bit.
  if (text.size() >= UINT32_MAX) return FailWithoutExcerpt(kErrorTooLarge);
  buffer_.assign(text);
  buffer_.push_back(u'\0');
  return Parse();
}

bool MarkupDocument::LoadFromFile(const std::u16string& file_name) {
  Release();
  const std::string path = Utf16ToUtf8(file_name);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FailWithoutExcerpt(kErrorOpening);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    return FailWithoutExcerpt(kErrorRead);
  }
  if (info.st_size == 0) {
    ::close(fd);
    return FailWithoutExcerpt(kErrorEmpty);
  }
  if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > kMaxDocumentSize) {
    ::close(fd);
    return FailWithoutExcerpt(kErrorTooLarge);
  }
  std::string bytes(static_cast<size_t>(info.st_size), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got < bytes.size()) return FailWithoutExcerpt(kErrorRead);
  return LoadFromUtf8Bytes(bytes, /*skip_bom=*/true);
}

bool MarkupDocument::LoadFromMember(std::string_view utf8) {
  Release();
  if (utf8.empty()) return FailWithoutExcerpt(kErrorEmpty);
  if (utf8.size() > kMaxDocumentSize) return FailWithoutExcerpt(kErrorTooLarge);
  return LoadFromUtf8Bytes(utf8, /*skip_bom=*/false);
}

bool MarkupDocument::LoadFromUtf8Bytes(std::string_view utf8, bool skip_bom) {
  if (skip_bom && utf8.size() > 2 && utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  std::u16string text;
  MultiByteToWide(utf8, &text, kCodePageUtf8);
  const size_t end = text.find(u'\0');
  if (end != std::u16string::npos) text.resize(end);
  buffer_ = std::move(text);
  buffer_.push_back(u'\0');
  return Parse();
}

MarkupNode MarkupDocument::GetRoot() const {
  if (elements_.size() < 2) return MarkupNode();
  return MarkupNode(this, 1);
}

bool MarkupDocument::Parse() {
  error_message_.clear();
  error_excerpt_.clear();
  AppendElement();  // entry 0 is reserved
  size_t pos = 0;
  if (ParseElement(&pos, 0, 1)) return true;
  Release();
  return false;
}

uint32_t MarkupDocument::AppendElement() {
  if (elements_.size() == elements_.capacity()) {
    const size_t old = elements_.empty() ? 0 : elements_.capacity();
    elements_.reserve(old + old / 2 + 500);
  }
  elements_.emplace_back();
  return static_cast<uint32_t>(elements_.size() - 1);
}

void MarkupDocument::SkipWhitespace(size_t* pos) const {
  while (!AtEnd(*pos) && IsWhitespace(buffer_[*pos])) ++*pos;
}

void MarkupDocument::SkipName(size_t* pos) const {
  while (!AtEnd(*pos) && IsNameChar(buffer_[*pos])) ++*pos;
}

// Moves past the next occurrence of the marker, or to the end of the text.
bool MarkupDocument::SkipPast(size_t* pos, std::u16string_view marker) const {
  const size_t text_end = buffer_.size() - 1;
  const size_t at = std::u16string_view(buffer_).substr(0, text_end).find(marker, *pos);
  if (at == std::u16string_view::npos) {
    *pos = text_end;
    return false;
  }
  *pos = at + marker.size();
  return true;
}

bool MarkupDocument::Fail(std::u16string_view message, size_t pos) {
  error_message_.assign(message.substr(0, kMaxErrorMessage));
  error_excerpt_.clear();
  for (size_t i = pos; i < buffer_.size() && buffer_[i] != u'\0'; ++i) {
    if (error_excerpt_.size() == kMaxErrorExcerpt) break;
    error_excerpt_.push_back(buffer_[i]);
  }
  // An excerpt cut inside a surrogate pair drops the dangling half.
  if (!error_excerpt_.empty() && error_excerpt_.back() >= 0xD800 && error_excerpt_.back() <= 0xDBFF) {
    error_excerpt_.pop_back();
  }
  return false;
}

bool MarkupDocument::FailWithoutExcerpt(std::u16string_view message) {
  Release();
  error_message_.assign(message);
  error_excerpt_.clear();
  return false;
}

bool MarkupDocument::ParseElement(size_t* pos, uint32_t parent, int depth) {
  if (depth > kMaxDepth) return Fail(kErrorTooDeep, *pos);
  uint32_t previous = 0;
  for (;;) {
    // The top level and the children of the root may end with the text.
    if (AtEnd(*pos) && parent <= 1) return true;
    SkipWhitespace(pos);
    if (At(*pos) != u'<') return Fail(kErrorStartTag, *pos);
    if (At(*pos + 1) == u'/') return true;  // the caller handles the end tag
    buffer_[*pos] = u'\0';
    ++*pos;
    SkipWhitespace(pos);

    if (At(*pos) == u'!' || At(*pos) == u'?') {
      // Comments end at "->" (so at "-->"), processing instructions at "?>".
      SkipPast(pos, At(*pos) == u'!' ? std::u16string_view(u"->") : std::u16string_view(u"?>"));
      SkipWhitespace(pos);
      continue;
    }

    const uint32_t index = AppendElement();
    {
      Element& element = elements_[index];
      element.name_offset = static_cast<uint32_t>(*pos);
      element.parent = parent;
      if (previous != 0) {
        elements_[previous].next_sibling = index;
      } else if (parent != 0) {
        elements_[parent].first_child = index;
      }
    }

    const size_t name_start = *pos;
    SkipName(pos);
    const size_t name_length = *pos - name_start;
    if (AtEnd(*pos)) return Fail(kErrorElementName, *pos);

    if (!ParseAttributes(pos)) return false;
    SkipWhitespace(pos);

    if (At(*pos) == u'/' && At(*pos + 1) == u'>') {
      elements_[index].data_offset = static_cast<uint32_t>(*pos);
      buffer_[*pos] = u'\0';
      *pos += 2;
    } else {
      if (At(*pos) != u'>') return Fail(kErrorStartTagClosing, *pos);
      ++*pos;
      elements_[index].data_offset = static_cast<uint32_t>(*pos);
      size_t text_end = *pos;
      ParseData(pos, &text_end, u'<');
      if (AtEnd(*pos)) {
        if (parent > 1) return Fail(kErrorEndTagStart, *pos);
        // An unclosed element at the top levels ends the document.
        buffer_[text_end] = u'\0';
        buffer_[name_start + name_length] = u'\0';
        return true;
      }
      if (At(*pos + 1) != u'/') {
        if (!ParseElement(pos, index, depth + 1)) return false;
      }
      const bool closed = !AtEnd(*pos);
      buffer_[text_end] = u'\0';
      if (closed) {
        // At "</": the end tag must name this element.
        buffer_[*pos] = u'\0';
        *pos += 2;
        SkipWhitespace(pos);
        for (size_t k = 0; k < name_length; ++k) {
          if (At(*pos + k) != buffer_[name_start + k]) return Fail(kErrorUnmatched, *pos);
        }
        *pos += name_length;
        SkipWhitespace(pos);
        if (At(*pos) != u'>') return Fail(kErrorUnmatched, *pos);
        ++*pos;
      }
    }

    buffer_[name_start + name_length] = u'\0';
    SkipWhitespace(pos);
    previous = index;
  }
}

bool MarkupDocument::ParseAttributes(size_t* pos) {
  if (At(*pos) == u'>') return true;
  if (At(*pos) == u'/') return true;  // "/>" is handled by the element
  buffer_[*pos] = u'\0';
  ++*pos;
  SkipWhitespace(pos);
  for (;;) {
    const char16_t c = At(*pos);
    if (c == u'\0' || c == u'>' || c == u'/') return true;

    SkipName(pos);
    const size_t name_end = *pos;
    SkipWhitespace(pos);
    if (At(*pos) != u'=') return Fail(kErrorAttributes, *pos);
    buffer_[*pos] = u' ';
    buffer_[name_end] = u'\0';
    ++*pos;
    SkipWhitespace(pos);

    if (At(*pos) != u'"') return Fail(kErrorAttributeValue, *pos);
    ++*pos;
    size_t value_end = *pos;
    ParseData(pos, &value_end, u'"');
    if (AtEnd(*pos)) return Fail(kErrorAttributeString, *pos);
    buffer_[value_end] = u'\0';
    if (value_end != *pos) buffer_[*pos] = u' ';
    ++*pos;
    SkipWhitespace(pos);
  }
}

void MarkupDocument::ParseData(size_t* pos, size_t* out, char16_t stop) {
  while (!AtEnd(*pos) && buffer_[*pos] != stop) {
    if (buffer_[*pos] == u'&') {
      bool decoded = false;
      for (const Entity& entity : kEntities) {
        if (std::u16string_view(buffer_).substr(*pos + 1, entity.text.size()) == entity.text) {
          buffer_[(*out)++] = entity.value;
          *pos += 1 + entity.text.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    buffer_[(*out)++] = buffer_[(*pos)++];
  }
  // The characters freed by decoding become blanks; the caller terminates
  // the decoded text at the output position.
  for (size_t k = *out + 1; k < *pos; ++k) buffer_[k] = u' ';
}

}  // namespace ui
