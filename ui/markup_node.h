// A handle on one element of a parsed MarkupDocument, through which the
// layout builder walks the tree and reads attributes. Attributes are found
// lazily, the first time an attribute operation needs them, and kept only as
// offsets into the document's buffer. Every attribute of an element is
// visible, however many it has (the document's size bounds them).
#ifndef UI_MARKUP_NODE_H_
#define UI_MARKUP_NODE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class MarkupDocument;

struct MarkupAttribute {
  uint32_t name_offset = 0;
  uint32_t value_offset = 0;
};

class MarkupNode {
 public:
  MarkupNode() = default;
  MarkupNode(const MarkupDocument* document, int index);

  // A node with index 0, or without a document, is none.
  bool IsValid() const { return document_ != nullptr && index_ > 0; }

  const char16_t* GetName() const;
  bool HasChildren() const;
  MarkupNode GetChild() const;
  MarkupNode GetSibling() const;

  int GetAttributeCount();
  // Name and value of attribute i (0 based); an index at or beyond the count
  // yields the empty text.
  const char16_t* GetAttributeName(int i);
  const char16_t* GetAttributeValue(int i);
  // Copies the value of the first attribute with that name into the buffer,
  // truncated to size - 1 characters and terminated. False when absent.
  bool GetAttributeValue(std::u16string_view name, char16_t* buffer, size_t size);
  // The value of the last attribute with that name (a repeated name: the
  // later one wins). False when absent.
  bool GetLastAttributeValue(std::u16string_view name, std::u16string* value);

 private:
  void MapAttributes();

  const MarkupDocument* document_ = nullptr;
  int index_ = 0;
  int attribute_count_ = -1;  // -1 until mapped
  std::vector<MarkupAttribute> attributes_;
};

}  // namespace ui

#endif  // UI_MARKUP_NODE_H_
