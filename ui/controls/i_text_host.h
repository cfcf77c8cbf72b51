// The host side of a windowless text editor, implemented by the control
// that shows the text: it answers what the services ask (the text area,
// formats, style bits, limits) and carries out what they request (repaint,
// caret, timers, scroll bars, capture, focus, cursor, notifications). The
// host owns its services; both live on the UI thread and call each other
// synchronously.
#ifndef UI_CONTROLS_I_TEXT_HOST_H_
#define UI_CONTROLS_I_TEXT_HOST_H_

#include <string>

#include "platform/window/window_backend.h"
#include "ui/controls/text_host_types.h"

namespace ui {

class ITextHost {
 public:
  virtual ~ITextHost() = default;

  virtual bool TxShowScrollBar(int bar, bool show) = 0;
  virtual bool TxEnableScrollBar(int bars, int arrows) = 0;
  virtual bool TxSetScrollRange(int bar, int min, int max, bool redraw) = 0;
  virtual bool TxSetScrollPos(int bar, int pos, bool redraw) = 0;
  // Null: the whole text area. In the text area's coordinates.
  virtual void TxInvalidateRect(const UiRect* rect, bool mode) = 0;
  virtual void TxViewChange(bool update) = 0;
  virtual bool TxCreateCaret(int width, int height) = 0;
  virtual bool TxShowCaret(bool show) = 0;
  virtual bool TxSetCaretPos(int x, int y) = 0;
  virtual bool TxSetTimer(unsigned id, unsigned timeout_ms) = 0;
  virtual void TxKillTimer(unsigned id) = 0;
  virtual void TxSetCapture(bool capture) = 0;
  virtual void TxSetFocus() = 0;
  virtual void TxSetCursor(platform::CursorKind cursor, bool text) = 0;
  virtual HRESULT TxGetClientRect(UiRect* rect) = 0;
  virtual HRESULT TxGetViewInset(UiRect* inset) = 0;
  virtual HRESULT TxGetCharFormat(const CHARFORMAT** format) = 0;
  virtual HRESULT TxGetParaFormat(const PARAFORMAT** format) = 0;
  virtual ARGB TxGetSysColor(int index) = 0;
  virtual HRESULT TxGetBackStyle(int* style) = 0;
  virtual HRESULT TxGetMaxLength(int32_t* length) = 0;
  virtual HRESULT TxGetScrollBars(uint32_t* bars) = 0;
  virtual HRESULT TxGetPasswordChar(char16_t* character) = 0;
  virtual HRESULT TxGetAcceleratorPos(int32_t* position) = 0;
  virtual HRESULT TxGetExtent(UiSize* extent) = 0;
  virtual HRESULT OnTxCharFormatChange(const CHARFORMAT& format) = 0;
  virtual HRESULT OnTxParaFormatChange(const PARAFORMAT& format) = 0;
  virtual HRESULT TxGetPropertyBits(uint32_t mask, uint32_t* bits) = 0;
  virtual HRESULT TxNotify(uint32_t code, void* data) = 0;
  virtual HRESULT TxGetSelectionBarWidth(int32_t* width) = 0;
  // Our own question: only the digits 0-9 may be typed or pasted.
  virtual bool TxGetDigitsOnly() = 0;
};

}  // namespace ui

#endif  // UI_CONTROLS_I_TEXT_HOST_H_
