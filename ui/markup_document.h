// The small XML parser under the layout builder. It parses a UTF-16 copy of
// the document in place: names, attribute values and texts are terminated and
// entity-decoded inside the copied buffer, and the tree is a flat table of
// element entries that refer to the buffer by character offsets. Elements,
// double-quoted attributes, text, the five predefined entities, comments and
// processing instructions (skipped) are understood. The first error is kept
// with a fixed message and an excerpt of the text where it occurred.
#ifndef UI_MARKUP_DOCUMENT_H_
#define UI_MARKUP_DOCUMENT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/markup_node.h"

namespace ui {

class MarkupDocument {
 public:
  // Largest document read from a file or an archive member, in bytes.
  static constexpr size_t kMaxDocumentSize = 0x400000;
  // Deepest nesting of elements; a deeper document is a parse error rather
  // than a recursion that can exhaust the stack.
  static constexpr int kMaxDepth = 256;
  static constexpr size_t kMaxErrorMessage = 99;
  static constexpr size_t kMaxErrorExcerpt = 49;

  MarkupDocument() = default;
  MarkupDocument(const MarkupDocument&) = delete;
  MarkupDocument& operator=(const MarkupDocument&) = delete;

  // Copies the text (up to its first zero character) and parses it.
  bool LoadFromString(std::u16string_view text);
  // Reads a UTF-8 file whole (a byte-order mark is skipped) and parses it.
  bool LoadFromFile(const std::u16string& file_name);
  // Parses the UTF-8 bytes of a skin-archive member, under the same size
  // limits as a file. The bytes are taken as they are (a byte-order mark is
  // not skipped, as the layout builder has always read members).
  bool LoadFromMember(std::string_view utf8);

  // The root element (index 1), or an invalid node for an empty document.
  MarkupNode GetRoot() const;
  const std::u16string& GetErrorMessage() const { return error_message_; }
  const std::u16string& GetErrorExcerpt() const { return error_excerpt_; }

 private:
  friend class MarkupNode;

  struct Element {
    uint32_t name_offset = 0;
    uint32_t first_child = 0;
    uint32_t next_sibling = 0;
    uint32_t parent = 0;
    uint32_t data_offset = 0;
  };

  void Release();
  bool LoadFromUtf8Bytes(std::string_view utf8, bool skip_bom);
  bool Parse();
  bool ParseElement(size_t* pos, uint32_t parent, int depth);
  bool ParseAttributes(size_t* pos);
  void ParseData(size_t* pos, size_t* out, char16_t stop);
  uint32_t AppendElement();

  char16_t At(size_t pos) const { return pos < buffer_.size() ? buffer_[pos] : u'\0'; }
  bool AtEnd(size_t pos) const { return At(pos) == u'\0'; }
  void SkipWhitespace(size_t* pos) const;
  void SkipName(size_t* pos) const;
  bool SkipPast(size_t* pos, std::u16string_view marker) const;
  bool Fail(std::u16string_view message, size_t pos);
  bool FailWithoutExcerpt(std::u16string_view message);

  // The text, always terminated by a zero character at its end.
  std::u16string buffer_;
  std::vector<Element> elements_;
  std::u16string error_message_;
  std::u16string error_excerpt_;
};

}  // namespace ui

#endif  // UI_MARKUP_DOCUMENT_H_
