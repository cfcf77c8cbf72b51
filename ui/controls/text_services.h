// Our plain-text editing engine behind the text-services interface: the
// text in UTF-16, a selection (anchor and caret) that moves by grapheme
// cluster, word, line and page, typing, deletion, the clipboard, one level
// of undo, the length limit, the digits-only filter, password masking,
// single and multi line with wrap and alignment, scrolling that keeps the
// caret in view, hit testing, the change notification, and drawing through
// an EditLayout. Plain text only: no character runs, no embedded objects,
// no composition inside the engine (committed input arrives as WM_CHAR).
//
// Lines are separated by '\r' inside, as the design's text services keep
// them; text put on the clipboard uses '\n', and "\r\n" and "\n" coming in
// become '\r'.
#ifndef UI_CONTROLS_TEXT_SERVICES_H_
#define UI_CONTROLS_TEXT_SERVICES_H_

#include <optional>
#include <string>
#include <vector>

#include "ui/controls/i_text_services.h"
#include "ui/render/edit_layout.h"

namespace ui {

class TextServices : public ITextServices {
 public:
  explicit TextServices(ITextHost* host);
  ~TextServices() override;

  HRESULT TxSendMessage(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                        platform::LRESULT* result) override;
  HRESULT TxDraw(IRenderContext* render, const UiRect& bounds, const UiRect& update) override;
  HRESULT TxGetNaturalSize(int width, int height, UiSize* natural) override;
  HRESULT OnTxSetCursor(UiPoint point) override;
  HRESULT OnTxInPlaceActivate(const UiRect* client) override;
  HRESULT OnTxInPlaceDeactivate() override;
  HRESULT OnTxPropertyBitsChange(uint32_t mask, uint32_t bits) override;
  HRESULT TxSetText(const std::u16string& text) override;
  HRESULT TxGetText(std::u16string* text) override;

  // What tests and the benchmark look at.
  const std::u16string& text() const { return text_; }
  size_t anchor() const { return anchor_; }
  size_t caret() const { return caret_; }
  size_t SelectionStart() const { return std::min(anchor_, caret_); }
  size_t SelectionEnd() const { return std::max(anchor_, caret_); }
  UiPoint scroll() const { return scroll_; }
  // The text as it is laid out and drawn (masked in a password field).
  std::u16string DisplayText() const;

  // Key handling with the modifiers given (WM_KEYDOWN reads them from the
  // keyboard state).
  void KeyDown(uint32_t virtual_key, bool shift, bool ctrl);
  void Char(char16_t character);

 private:
  struct Snapshot {
    std::u16string text;
    size_t anchor = 0;
    size_t caret = 0;
  };

  bool HasBit(uint32_t bit) const { return (bits_ & bit) != 0; }
  bool IsMultiLine() const { return HasBit(TXTBIT_MULTILINE); }
  bool IsReadOnly() const { return HasBit(TXTBIT_READONLY); }
  bool IsPassword() const { return HasBit(TXTBIT_USEPASSWORD); }
  void RefreshProperties();

  // Layout of the current display text in the text area's width (or |width|
  // for a measurement).
  EditLayout& Layout();
  void SyncLayout(int width);
  UiRect ClientRect();
  const std::vector<size_t>& Stops();
  size_t ToDisplay(size_t index);
  size_t ToSource(size_t index);

  size_t PreviousStop(size_t index);
  size_t NextStop(size_t index);
  size_t PreviousWordStart(size_t index);
  size_t NextWordStart(size_t index);
  size_t SnapToStop(size_t index);

  // Moves the caret; with |extend| the anchor stays.
  void MoveTo(size_t index, bool extend, bool keep_column = false);
  void SelectAll();
  void SelectWordAt(size_t index);
  // Replaces the selection with text (cleaned of what the field refuses);
  // false when nothing changed.
  bool ReplaceSelection(const std::u16string& text, bool undoable, bool typing = false);
  void DeleteRange(size_t from, size_t to);
  std::u16string CleanInsertion(const std::u16string& text) const;
  void Undo();

  bool Copy();
  bool Cut();
  bool Paste();

  void MouseDown(platform::LPARAM lparam, platform::WPARAM wparam);
  void MouseMove(platform::LPARAM lparam);
  void MouseUp();
  size_t HitTest(platform::LPARAM lparam);

  void Scroll(int bar, int code, int position);
  // After a change: keep the caret in view, tell the bars, caret and
  // repaint; with |changed| the change notification too.
  void Changed(bool text_changed);
  void EnsureCaretVisible();
  void ReportScrollBars();
  void UpdateCaret();
  void Invalidate();

  ITextHost* host_;
  std::u16string text_;
  size_t anchor_ = 0;
  size_t caret_ = 0;
  int column_x_ = -1;  // the x kept while moving up and down
  uint32_t bits_ = 0;
  bool digits_only_ = false;
  uint32_t event_mask_ = 0;
  uint32_t lang_options_ = 0;
  bool focused_ = false;
  bool selecting_ = false;
  char16_t pending_high_ = 0;
  UiPoint scroll_;
  UiSize reported_range_{-1, -1};
  UiPoint reported_pos_{-1, -1};
  std::optional<Snapshot> undo_;
  bool typing_run_ = false;

  EditLayout layout_;
  bool layout_dirty_ = true;
  int layout_width_ = -2;
  std::u16string layout_font_;
  std::vector<size_t> password_stops_;
};

}  // namespace ui

#endif  // UI_CONTROLS_TEXT_SERVICES_H_
