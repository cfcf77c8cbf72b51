#include "ui/markup_node.h"

#include "ui/markup_document.h"

namespace ui {

namespace {

bool IsBlank(char16_t c) { return c != u'\0' && c <= 32; }

}  // namespace

MarkupNode::MarkupNode(const MarkupDocument* document, int index)
    : document_(document), index_(index) {
  if (document_ == nullptr || index_ <= 0 ||
      static_cast<size_t>(index_) >= document_->elements_.size()) {
    document_ = nullptr;
    index_ = 0;
  }
}

const char16_t* MarkupNode::GetName() const {
  if (!IsValid()) return u"";
  return document_->buffer_.c_str() + document_->elements_[index_].name_offset;
}

bool MarkupNode::HasChildren() const {
  return IsValid() && document_->elements_[index_].first_child != 0;
}

MarkupNode MarkupNode::GetChild() const {
  if (!IsValid()) return MarkupNode();
  return MarkupNode(document_, static_cast<int>(document_->elements_[index_].first_child));
}

MarkupNode MarkupNode::GetSibling() const {
  if (!IsValid()) return MarkupNode();
  return MarkupNode(document_, static_cast<int>(document_->elements_[index_].next_sibling));
}

int MarkupNode::GetAttributeCount() {
  MapAttributes();
  return attribute_count_;
}

const char16_t* MarkupNode::GetAttributeName(int i) {
  MapAttributes();
  if (i < 0 || i >= attribute_count_) return u"";
  return document_->buffer_.c_str() + attributes_[i].name_offset;
}

const char16_t* MarkupNode::GetAttributeValue(int i) {
  MapAttributes();
  if (i < 0 || i >= attribute_count_) return u"";
  return document_->buffer_.c_str() + attributes_[i].value_offset;
}

bool MarkupNode::GetAttributeValue(std::u16string_view name, char16_t* buffer, size_t size) {
  MapAttributes();
  for (int i = 0; i < attribute_count_; ++i) {
    if (std::u16string_view(GetAttributeName(i)) != name) continue;
    if (buffer != nullptr && size > 0) {
      const std::u16string_view value = GetAttributeValue(i);
      const size_t n = value.size() < size - 1 ? value.size() : size - 1;
      value.copy(buffer, n);
      buffer[n] = u'\0';
    }
    return true;
  }
  return false;
}

bool MarkupNode::GetLastAttributeValue(std::u16string_view name, std::u16string* value) {
  MapAttributes();
  for (int i = attribute_count_ - 1; i >= 0; --i) {
    if (std::u16string_view(GetAttributeName(i)) != name) continue;
    if (value != nullptr) *value = GetAttributeValue(i);
    return true;
  }
  return false;
}

void MarkupNode::MapAttributes() {
  if (attribute_count_ >= 0) return;
  attribute_count_ = 0;
  if (!IsValid()) return;
  const std::u16string& text = document_->buffer_;
  const size_t end = text.size();
  const size_t data = document_->elements_[index_].data_offset;
  const auto at = [&](size_t p) { return p < end ? text[p] : u'\0'; };
  const auto skip_past_terminator = [&](size_t* p) {
    while (*p < end && text[*p] != u'\0') ++*p;
    ++*p;
  };

  size_t pos = document_->elements_[index_].name_offset;
  for (;;) {
    skip_past_terminator(&pos);
    if (pos >= data) break;
    while (IsBlank(at(pos))) ++pos;
    const size_t name = pos;
    skip_past_terminator(&pos);
    while (IsBlank(at(pos))) ++pos;
    if (pos >= data || at(pos) != u'"') break;
    ++pos;
    attributes_.push_back(
        MarkupAttribute{static_cast<uint32_t>(name), static_cast<uint32_t>(pos)});
    ++attribute_count_;
  }
}

}  // namespace ui
