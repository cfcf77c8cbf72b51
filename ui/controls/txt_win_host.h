// The text host of a rich edit: holds the formats, style and limits the
// editing engine asks for, and carries the engine's requests (repaint,
// caret, timers, scroll bars, capture, focus, cursor, notifications) to
// the rich edit and its window. One host a rich edit, owned by it; the
// host owns the engine. UI thread only.
#ifndef UI_CONTROLS_TXT_WIN_HOST_H_
#define UI_CONTROLS_TXT_WIN_HOST_H_

#include <memory>
#include <string>

#include "ui/controls/i_text_host.h"
#include "ui/controls/i_text_services.h"

namespace ui {

class RichEdit;

// What the rich edit creates its host with.
struct TextHostCreation {
  uint32_t style = ES_MULTILINE;
  std::u16string text;
};

class CTxtWinHost : public ITextHost {
 public:
  // Host bits.
  static constexpr uint32_t kAutoWordSelect = 0x1;
  static constexpr uint32_t kWordWrap = 0x2;
  static constexpr uint32_t kAllowBeep = 0x4;
  static constexpr uint32_t kRich = 0x8;
  static constexpr uint32_t kSaveSelection = 0x10;
  static constexpr uint32_t kInPlaceActive = 0x20;
  static constexpr uint32_t kTransparent = 0x40;
  static constexpr uint32_t kTimer = 0x80;
  static constexpr uint32_t kCaptured = 0x100;

  CTxtWinHost();
  ~CTxtWinHost() override;
  CTxtWinHost(const CTxtWinHost&) = delete;
  CTxtWinHost& operator=(const CTxtWinHost&) = delete;

  // Fills the formats from the rich edit, takes the style, makes the engine
  // and gives it the text. False when the engine could not be made.
  bool Init(RichEdit* owner, const TextHostCreation* creation);
  ITextServices* GetTextServices() const { return services_.get(); }

  // The font of a font id of the global manager (nothing for one it lacks).
  void SetFont(const std::u16string& font_id);
  void SetColor(ARGB color);
  void SetClientRect(const UiRect& rect);
  // The client rect moved for the rich edit's vertical alignment.
  UiRect GetControlRect();
  void SetParaFormat(const PARAFORMAT& format) { para_format_ = format; }
  const PARAFORMAT& GetParaFormat() const { return para_format_; }
  const CHARFORMAT& GetCharFormat() const { return char_format_; }
  uint32_t GetHostBits() const { return host_bits_; }
  void SetHostBit(uint32_t bit, bool on);
  uint32_t GetStyle() const { return style_; }

  // The text host.
  bool TxShowScrollBar(int bar, bool show) override;
  bool TxEnableScrollBar(int bars, int arrows) override;
  bool TxSetScrollRange(int bar, int min, int max, bool redraw) override;
  bool TxSetScrollPos(int bar, int pos, bool redraw) override;
  void TxInvalidateRect(const UiRect* rect, bool mode) override;
  void TxViewChange(bool update) override;
  bool TxCreateCaret(int width, int height) override;
  bool TxShowCaret(bool show) override;
  bool TxSetCaretPos(int x, int y) override;
  bool TxSetTimer(unsigned id, unsigned timeout_ms) override;
  void TxKillTimer(unsigned id) override;
  void TxSetCapture(bool capture) override;
  void TxSetFocus() override;
  void TxSetCursor(platform::CursorKind cursor, bool text) override;
  HRESULT TxGetClientRect(UiRect* rect) override;
  HRESULT TxGetViewInset(UiRect* inset) override;
  HRESULT TxGetCharFormat(const CHARFORMAT** format) override;
  HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
  ARGB TxGetSysColor(int index) override;
  HRESULT TxGetBackStyle(int* style) override;
  HRESULT TxGetMaxLength(int32_t* length) override;
  HRESULT TxGetScrollBars(uint32_t* bars) override;
  HRESULT TxGetPasswordChar(char16_t* character) override;
  HRESULT TxGetAcceleratorPos(int32_t* position) override;
  HRESULT TxGetExtent(UiSize* extent) override;
  HRESULT OnTxCharFormatChange(const CHARFORMAT& format) override;
  HRESULT OnTxParaFormatChange(const PARAFORMAT& format) override;
  HRESULT TxGetPropertyBits(uint32_t mask, uint32_t* bits) override;
  HRESULT TxNotify(uint32_t code, void* data) override;
  HRESULT TxGetSelectionBarWidth(int32_t* width) override;
  bool TxGetDigitsOnly() override;

 private:
  RichEdit* owner_ = nullptr;
  std::unique_ptr<ITextServices> services_;
  uint32_t style_ = ES_MULTILINE;
  uint32_t host_bits_ = 0;
  int32_t selection_bar_width_ = 0;
  int32_t max_length_ = 32767;
  UiRect client_rect_;
  UiSize extent_;
  CHARFORMAT char_format_;
  PARAFORMAT para_format_;
  int32_t accelerator_pos_ = -1;
  // A password field shows this for each character: the design's 0 would
  // show the password in clear.
  char16_t password_char_;
};

}  // namespace ui

#endif  // UI_CONTROLS_TXT_WIN_HOST_H_
