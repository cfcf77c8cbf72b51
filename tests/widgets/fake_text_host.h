// A text host for driving the editing engine alone: a text area, style
// bits, a limit and a font of its own; it records what the engine asks of
// it (caret, scroll bars, notifications, repaints).
#ifndef TESTS_WIDGETS_FAKE_TEXT_HOST_H_
#define TESTS_WIDGETS_FAKE_TEXT_HOST_H_

#include <memory>
#include <vector>

#include "ui/controls/i_text_host.h"
#include "ui/controls/text_services.h"

namespace ui::testing {

class FakeTextHost : public ITextHost {
 public:
  FakeTextHost() { chars_.font_id = u"edit"; }

  // Makes the engine; the bits and rect set before are what it starts with.
  TextServices& Start() {
    services_ = std::make_unique<TextServices>(this);
    return *services_;
  }
  TextServices& services() { return *services_; }

  uint32_t bits = TXTBIT_MULTILINE | TXTBIT_WORDWRAP;
  UiRect client{10, 5, 210, 105};
  int32_t max_length = 32767;
  bool digits_only = false;
  uint32_t scroll_bars = 0;
  char16_t password_char = 0;

  int notifications = 0;
  int invalidations = 0;
  UiPoint caret{-1, -1};
  int caret_height = 0;
  int vertical_range = -1;
  int vertical_pos = -1;
  bool captured = false;
  int focus_requests = 0;

  bool TxShowScrollBar(int, bool) override { return true; }
  bool TxEnableScrollBar(int, int) override { return true; }
  bool TxSetScrollRange(int bar, int min, int max, bool) override {
    if (bar == SB_VERT) vertical_range = max - min;
    return true;
  }
  bool TxSetScrollPos(int bar, int pos, bool) override {
    if (bar == SB_VERT) vertical_pos = pos;
    return true;
  }
  void TxInvalidateRect(const UiRect*, bool) override { ++invalidations; }
  void TxViewChange(bool) override {}
  bool TxCreateCaret(int, int height) override {
    caret_height = height;
    return true;
  }
  bool TxShowCaret(bool) override { return true; }
  bool TxSetCaretPos(int x, int y) override {
    caret = UiPoint{x, y};
    return true;
  }
  bool TxSetTimer(unsigned, unsigned) override { return true; }
  void TxKillTimer(unsigned) override {}
  void TxSetCapture(bool capture) override { captured = capture; }
  void TxSetFocus() override { ++focus_requests; }
  void TxSetCursor(platform::CursorKind, bool) override {}
  HRESULT TxGetClientRect(UiRect* rect) override {
    *rect = client;
    return S_OK;
  }
  HRESULT TxGetViewInset(UiRect* inset) override {
    *inset = UiRect{};
    return S_OK;
  }
  HRESULT TxGetCharFormat(const CHARFORMAT** format) override {
    *format = &chars_;
    return S_OK;
  }
  HRESULT TxGetParaFormat(const PARAFORMAT** format) override {
    *format = &para;
    return S_OK;
  }
  ARGB TxGetSysColor(int index) override { return index == COLOR_HIGHLIGHT ? 0xFF0000FF : 0xFFFFFFFF; }
  HRESULT TxGetBackStyle(int* style) override {
    *style = TXTBACK_TRANSPARENT;
    return S_OK;
  }
  HRESULT TxGetMaxLength(int32_t* length) override {
    *length = max_length;
    return S_OK;
  }
  HRESULT TxGetScrollBars(uint32_t* bars) override {
    *bars = scroll_bars;
    return S_OK;
  }
  HRESULT TxGetPasswordChar(char16_t* character) override {
    *character = password_char;
    return S_OK;
  }
  HRESULT TxGetAcceleratorPos(int32_t* position) override {
    *position = -1;
    return S_OK;
  }
  HRESULT TxGetExtent(UiSize* extent) override {
    *extent = UiSize{};
    return S_OK;
  }
  HRESULT OnTxCharFormatChange(const CHARFORMAT&) override { return S_OK; }
  HRESULT OnTxParaFormatChange(const PARAFORMAT&) override { return S_OK; }
  HRESULT TxGetPropertyBits(uint32_t mask, uint32_t* out) override {
    *out = bits & mask;
    return S_OK;
  }
  HRESULT TxNotify(uint32_t code, void*) override {
    if (code == EN_CHANGE) ++notifications;
    return S_OK;
  }
  HRESULT TxGetSelectionBarWidth(int32_t* width) override {
    *width = 0;
    return S_OK;
  }
  bool TxGetDigitsOnly() override { return digits_only; }

  PARAFORMAT para;

 private:
  CHARFORMAT chars_;
  std::unique_ptr<TextServices> services_;
};

}  // namespace ui::testing

#endif  // TESTS_WIDGETS_FAKE_TEXT_HOST_H_
