#include "ui/render/edit_layout.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include "platform/text/utf_conversion.h"
#include "ui/render/dc_record.h"
#include "ui/render/pen_gdiplus.h"
#include "ui/render/text_layout.h"

namespace ui {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-8 of a UTF-16 text (a lone surrogate becomes U+FFFD), the byte offset
// of every UTF-16 index (both halves of a pair map to the pair's start) and
// the UTF-16 index of every character.
void Convert(const std::u16string& text, std::string* utf8, std::vector<int>* byte_of,
             std::vector<size_t>* index_of_char) {
  utf8->clear();
  byte_of->assign(text.size() + 1, 0);
  index_of_char->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    (*byte_of)[i] = static_cast<int>(utf8->size());
    index_of_char->push_back(i);
    const char16_t c = text[i];
    if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
      platform::AppendUTF8(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00), utf8);
      ++i;
      (*byte_of)[i] = (*byte_of)[i - 1];
    } else if (IsHigh(c) || IsLow(c)) {
      platform::AppendUTF8(kReplacement, utf8);
    } else {
      platform::AppendUTF8(c, utf8);
    }
  }
  byte_of->back() = static_cast<int>(utf8->size());
  index_of_char->push_back(text.size());
}

}  // namespace

EditLayout::EditLayout() : layout_(TextLayout::NewSharedLayout()) {
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  SetText(std::u16string());
}

EditLayout::~EditLayout() { g_object_unref(layout_); }

void EditLayout::SetText(const std::u16string& text) {
  std::vector<size_t> index_of_char;
  Convert(text, &utf8_, &byte_of_, &index_of_char);
  pango_layout_set_text(layout_, utf8_.data(), static_cast<int>(utf8_.size()));
  int count = 0;
  const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout_, &count);
  cursor_stops_.clear();
  word_starts_.clear();
  word_ends_.clear();
  for (int i = 0; i < count && static_cast<size_t>(i) < index_of_char.size(); ++i) {
    const size_t index = index_of_char[static_cast<size_t>(i)];
    if (attrs[i].is_cursor_position || i == 0 || i == count - 1) cursor_stops_.push_back(index);
    if (attrs[i].is_word_start) word_starts_.push_back(index);
    if (attrs[i].is_word_end) word_ends_.push_back(index);
  }
  if (cursor_stops_.empty() || cursor_stops_.back() != text.size()) cursor_stops_.push_back(text.size());
}

void EditLayout::SetFont(HFONT font) { pango_layout_set_font_description(layout_, font); }

void EditLayout::SetBox(int width, bool wrap, int alignment) {
  box_width_ = width;
  wrap_ = wrap && width >= 0;
  alignment_ = alignment;
  pango_layout_set_width(layout_, wrap_ ? std::max(1, width) * PANGO_SCALE : -1);
  pango_layout_set_alignment(layout_, alignment == 1   ? PANGO_ALIGN_CENTER
                                      : alignment == 2 ? PANGO_ALIGN_RIGHT
                                                       : PANGO_ALIGN_LEFT);
}

void EditLayout::SetLineSpacing(int pixels) { pango_layout_set_spacing(layout_, std::max(0, pixels) * PANGO_SCALE); }

int EditLayout::ByteOf(size_t index) const {
  return byte_of_[std::min(index, byte_of_.size() - 1)];
}

size_t EditLayout::IndexOfByte(int byte) const {
  const auto it = std::lower_bound(byte_of_.begin(), byte_of_.end(), byte);
  return static_cast<size_t>(it - byte_of_.begin());
}

int EditLayout::OffsetX() const {
  if (wrap_ || box_width_ < 0 || alignment_ == 0) return 0;
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout_, nullptr, &logical);
  const int spare = box_width_ - logical.width;
  return alignment_ == 1 ? spare / 2 : spare;
}

UiRect EditLayout::CaretRect(size_t index) const {
  PangoRectangle strong;
  pango_layout_get_cursor_pos(layout_, ByteOf(index), &strong, nullptr);
  const int x = PANGO_PIXELS(strong.x) + OffsetX();
  const int top = PANGO_PIXELS(strong.y);
  return UiRect{x, top, x + 1, top + PANGO_PIXELS(strong.height)};
}

size_t EditLayout::HitTest(UiPoint point) const {
  int byte = 0;
  int trailing = 0;
  pango_layout_xy_to_index(layout_, (point.x - OffsetX()) * PANGO_SCALE, point.y * PANGO_SCALE, &byte,
                           &trailing);
  const char* at = g_utf8_offset_to_pointer(utf8_.data() + byte, trailing);
  const size_t index = IndexOfByte(static_cast<int>(at - utf8_.data()));
  // Snap to a caret stop: the hit index is one already, save for a text the
  // layout shapes differently from its break rules.
  const auto it = std::lower_bound(cursor_stops_.begin(), cursor_stops_.end(), index);
  return it == cursor_stops_.end() ? Length() : *it;
}

size_t EditLayout::LineStart(size_t index) const {
  int line = 0;
  pango_layout_index_to_line_x(layout_, ByteOf(index), FALSE, &line, nullptr);
  const PangoLayoutLine* layout_line = pango_layout_get_line_readonly(layout_, line);
  return layout_line == nullptr ? 0 : IndexOfByte(layout_line->start_index);
}

size_t EditLayout::LineEnd(size_t index) const {
  int line = 0;
  pango_layout_index_to_line_x(layout_, ByteOf(index), FALSE, &line, nullptr);
  const PangoLayoutLine* layout_line = pango_layout_get_line_readonly(layout_, line);
  if (layout_line == nullptr) return Length();
  size_t end = IndexOfByte(layout_line->start_index + layout_line->length);
  // A wrapped line ends before the blank it broke at, so End stays on it.
  if (line + 1 < LineCount() && end > 0 && utf8_[static_cast<size_t>(ByteOf(end - 1))] == ' ') --end;
  return end;
}

size_t EditLayout::MoveByLines(size_t index, int lines, int x) const {
  if (lines == 0) return index;
  const UiRect caret = CaretRect(index);
  const int height = std::max(1, caret.Height());
  const int y = lines > 0 ? caret.bottom + (lines - 1) * height + height / 2
                          : caret.top + lines * height + height / 2;
  if (y < 0 || y >= GetSize().cy) return index;
  return HitTest(UiPoint{x, y});
}

int EditLayout::LineCount() const { return pango_layout_get_line_count(layout_); }

UiSize EditLayout::GetSize() const {
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout_, nullptr, &logical);
  return UiSize{logical.width, logical.height};
}

void EditLayout::Draw(HDC dc, UiPoint origin, const UiRect& clip, ARGB color, size_t selection_start,
                      size_t selection_end, ARGB selection_back, ARGB selection_text) {
  if (dc == nullptr) return;
  cairo_t* cr = dc->MakeContext();
  if (cr == nullptr) return;
  cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
  cairo_clip(cr);
  const bool selected = selection_start < selection_end;
  if (selected) {
    const auto channel = [](ARGB c, int shift) { return static_cast<guint16>(((c >> shift) & 0xFF) * 257); };
    PangoAttrList* attributes = pango_attr_list_new();
    PangoAttribute* back = pango_attr_background_new(channel(selection_back, 16), channel(selection_back, 8),
                                                     channel(selection_back, 0));
    PangoAttribute* front = pango_attr_foreground_new(channel(selection_text, 16), channel(selection_text, 8),
                                                      channel(selection_text, 0));
    for (PangoAttribute* attribute : {back, front}) {
      attribute->start_index = static_cast<guint>(ByteOf(selection_start));
      attribute->end_index = static_cast<guint>(ByteOf(selection_end));
      pango_attr_list_insert(attributes, attribute);
    }
    pango_layout_set_attributes(layout_, attributes);
    pango_attr_list_unref(attributes);
  }
  SetSourceArgb(cr, color);
  cairo_move_to(cr, origin.x + OffsetX(), origin.y);
  pango_cairo_show_layout(cr, layout_);
  if (selected) pango_layout_set_attributes(layout_, nullptr);
  cairo_destroy(cr);
}

std::vector<size_t> EditLayout::ClusterStops(const std::u16string& text) {
  std::string utf8;
  std::vector<int> byte_of;
  std::vector<size_t> index_of_char;
  Convert(text, &utf8, &byte_of, &index_of_char);
  std::vector<PangoLogAttr> attrs(index_of_char.size());
  pango_get_log_attrs(utf8.data(), static_cast<int>(utf8.size()), -1, pango_language_get_default(),
                      attrs.data(), static_cast<int>(attrs.size()));
  std::vector<size_t> stops;
  for (size_t i = 0; i < attrs.size(); ++i) {
    if (attrs[i].is_cursor_position || i == 0 || i + 1 == attrs.size()) stops.push_back(index_of_char[i]);
  }
  return stops;
}

}  // namespace ui
