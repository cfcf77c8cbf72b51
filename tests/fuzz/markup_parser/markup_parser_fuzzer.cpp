// Feeds arbitrary bytes to the markup parser, as a UTF-8 archive member and
// as UTF-16 text, and walks whatever tree results, reading every name and
// attribute.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ui/markup_document.h"

namespace {

size_t Length(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

void Walk(const ui::MarkupDocument& doc, size_t size) {
  std::vector<ui::MarkupNode> pending;
  if (doc.GetRoot().IsValid()) pending.push_back(doc.GetRoot());
  size_t visited = 0;
  while (!pending.empty()) {
    ui::MarkupNode node = pending.back();
    pending.pop_back();
    if (++visited > 1000000) abort();  // more nodes than the text could hold
    volatile size_t sink = Length(node.GetName());
    const int count = node.GetAttributeCount();
    if (count < 0 || static_cast<size_t>(count) > size) abort();  // at least 4 characters each
    for (int i = 0; i <= count; ++i) {
      sink = sink + Length(node.GetAttributeName(i)) + Length(node.GetAttributeValue(i));
    }
    char16_t buffer[8];
    node.GetAttributeValue(u"name", buffer, sizeof(buffer) / sizeof(buffer[0]));
    (void)sink;
    if (node.GetSibling().IsValid()) pending.push_back(node.GetSibling());
    if (node.HasChildren()) pending.push_back(node.GetChild());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ui::MarkupDocument doc;
  doc.LoadFromMember(std::string_view(reinterpret_cast<const char*>(data), size));
  Walk(doc, size);
  if (doc.GetErrorMessage().size() > ui::MarkupDocument::kMaxErrorMessage ||
      doc.GetErrorExcerpt().size() > ui::MarkupDocument::kMaxErrorExcerpt) {
    abort();
  }

  std::u16string wide(size / 2, u'\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  doc.LoadFromString(wide);
  Walk(doc, size);
  return 0;
}
