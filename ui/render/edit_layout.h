// The layout of an editable text: one pango layout over a UTF-16 text, with
// the questions an editor asks of it in UTF-16 indices: where the caret may
// stop (grapheme cluster boundaries), where words start and end, where the
// caret of an index is drawn, which index a point hits, the lines, the size,
// and drawing with a selection. Coordinates are relative to the layout box,
// whose width the text wraps at or is aligned in.
#ifndef UI_RENDER_EDIT_LAYOUT_H_
#define UI_RENDER_EDIT_LAYOUT_H_

#include <string>
#include <vector>

#include "ui/render/render_types.h"

struct _PangoLayout;

namespace ui {

class EditLayout {
 public:
  EditLayout();
  ~EditLayout();
  EditLayout(const EditLayout&) = delete;
  EditLayout& operator=(const EditLayout&) = delete;

  void SetText(const std::u16string& text);
  // A pango font description (not owned, copied).
  void SetFont(HFONT font);
  // The box the text is laid out in: its width, and whether lines wrap at
  // it. 0 left, 1 centre, 2 right.
  void SetBox(int width, bool wrap, int alignment);
  // Extra pixels between lines (0 none).
  void SetLineSpacing(int pixels);

  size_t Length() const { return byte_of_.empty() ? 0 : byte_of_.size() - 1; }
  // Indices the caret may stop at, ascending, 0 and Length() included.
  const std::vector<size_t>& CursorStops() const { return cursor_stops_; }
  // Word starts and word ends, ascending.
  const std::vector<size_t>& WordStarts() const { return word_starts_; }
  const std::vector<size_t>& WordEnds() const { return word_ends_; }

  // The caret of an index: x, top and bottom of its line.
  UiRect CaretRect(size_t index) const;
  // The nearest caret stop to a point.
  size_t HitTest(UiPoint point) const;
  // First and end index of the line holding the index.
  size_t LineStart(size_t index) const;
  size_t LineEnd(size_t index) const;
  // The index on the line |lines| up (negative) or down from the one of
  // |index| nearest to x; the same index when there is no such line.
  size_t MoveByLines(size_t index, int lines, int x) const;
  int LineCount() const;
  // The size of the text (a line's height for an empty one).
  UiSize GetSize() const;

  // Draws the text with its top left at |origin| (device units of the DC's
  // logical space), clipped to |clip|; the selected range [selection_start,
  // selection_end) on a background of |selection_back| in |selection_text|.
  void Draw(HDC dc, UiPoint origin, const UiRect& clip, ARGB color, size_t selection_start,
            size_t selection_end, ARGB selection_back, ARGB selection_text);

  // Grapheme cluster boundaries of a text without laying it out.
  static std::vector<size_t> ClusterStops(const std::u16string& text);

 private:
  int ByteOf(size_t index) const;
  size_t IndexOfByte(int byte) const;
  // The x shift of the layout inside the box.
  int OffsetX() const;

  _PangoLayout* layout_;
  std::string utf8_;
  std::vector<int> byte_of_;  // UTF-16 index -> byte offset, Length()+1 entries
  std::vector<size_t> cursor_stops_;
  std::vector<size_t> word_starts_;
  std::vector<size_t> word_ends_;
  int box_width_ = -1;
  bool wrap_ = false;
  int alignment_ = 0;
};

}  // namespace ui

#endif  // UI_RENDER_EDIT_LAYOUT_H_
