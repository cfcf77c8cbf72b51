#include "ui/controls/txt_win_host.h"

#include "platform/window/window_api.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/text_services.h"
#include "ui/global_manager.h"
#include "ui/window.h"

namespace ui {

namespace {

// A pixel length in HIMETRIC (0.01 mm) at 96 pixels an inch.
int ToHimetric(int pixels) { return static_cast<int>(static_cast<int64_t>(pixels) * 2540 / 96); }

constexpr ARGB kHighlight = 0xFF3399FF;
constexpr ARGB kHighlightText = 0xFFFFFFFF;

}  // namespace

CTxtWinHost::CTxtWinHost() : password_char_(kDefaultPasswordChar) {}

CTxtWinHost::~CTxtWinHost() {
  if (services_) services_->OnTxInPlaceDeactivate();
}

bool CTxtWinHost::Init(RichEdit* owner, const TextHostCreation* creation) {
  owner_ = owner;
  char_format_.font_id = owner->GetFontId();
  char_format_.text_color = GlobalManager::GetTextColor(owner->GetCurrentTextColor());
  para_format_ = PARAFORMAT{};
  para_format_.dwMask = PFM_ALIGNMENT;
  para_format_.wAlignment = PFA_LEFT;
  style_ = ES_MULTILINE;
  SetHostBit(kRich, owner->IsRich());
  max_length_ = owner->GetMaxLength();
  if (creation != nullptr) {
    style_ = creation->style;
    if ((style_ & (ES_AUTOHSCROLL | WS_HSCROLL)) == 0) host_bits_ |= kWordWrap;
    if (style_ & ES_CENTER) {
      para_format_.wAlignment = PFA_CENTER;
    } else if (style_ & ES_RIGHT) {
      para_format_.wAlignment = PFA_RIGHT;
    }
  }
  host_bits_ |= kInPlaceActive;
  if (CreateTextServices(this, &services_) != S_OK || !services_) return false;
  if (creation != nullptr && !creation->text.empty() && services_->TxSetText(creation->text) != S_OK) {
    return false;
  }
  return true;
}

void CTxtWinHost::SetHostBit(uint32_t bit, bool on) { host_bits_ = on ? (host_bits_ | bit) : (host_bits_ & ~bit); }

void CTxtWinHost::SetFont(const std::u16string& font_id) {
  if (GlobalManager::GetFont(font_id) == nullptr) return;
  char_format_.font_id = font_id;
  if (services_) services_->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetColor(ARGB color) {
  char_format_.text_color = color;
  if (services_) services_->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetClientRect(const UiRect& rect) {
  client_rect_ = rect;
  extent_ = UiSize{ToHimetric(rect.Width()), ToHimetric(rect.Height())};
  if (services_) services_->OnTxPropertyBitsChange(TXTBIT_VIEWINSETCHANGE, TXTBIT_VIEWINSETCHANGE);
}

UiRect CTxtWinHost::GetControlRect() {
  UiRect rect = client_rect_;
  const int alignment = owner_ != nullptr ? owner_->GetVerticalAlignment() : 0;
  if (alignment == 0 || !services_) return rect;
  UiSize natural;
  services_->TxGetNaturalSize(rect.Width(), 0, &natural);
  int shift = rect.Height() - natural.cy;
  if (alignment == 1) shift /= 2;
  rect.top += shift;
  rect.bottom += shift;
  return rect;
}

bool CTxtWinHost::TxShowScrollBar(int /*bar*/, bool /*show*/) { return true; }

bool CTxtWinHost::TxEnableScrollBar(int bars, int arrows) {
  if (arrows == ESB_DISABLE_BOTH) {
    if (bars == SB_VERT || bars == SB_BOTH) owner_->ResetScrollBar(SB_VERT);
    if (bars == SB_HORZ || bars == SB_BOTH) owner_->ResetScrollBar(SB_HORZ);
  }
  owner_->SetPos(owner_->GetPos());
  return true;
}

bool CTxtWinHost::TxSetScrollRange(int bar, int min, int max, bool /*redraw*/) {
  if (bar != SB_VERT && bar != SB_HORZ) return true;
  const int extent = bar == SB_VERT ? client_rect_.Height() : client_rect_.Width();
  owner_->SetServicesScrollRange(bar, max - min - extent);
  return true;
}

bool CTxtWinHost::TxSetScrollPos(int bar, int pos, bool /*redraw*/) {
  if (bar == SB_VERT || bar == SB_HORZ) owner_->SetServicesScrollPos(bar, pos);
  return true;
}

void CTxtWinHost::TxInvalidateRect(const UiRect* rect, bool /*mode*/) {
  Window* window = owner_->GetWindow();
  if (window == nullptr) return;
  UiRect area = rect != nullptr ? *rect : client_rect_;
  const UiSize offset = owner_->GetAncestorScrollOffset();
  area.left -= offset.cx;
  area.right -= offset.cx;
  area.top -= offset.cy;
  area.bottom -= offset.cy;
  window->InvalidateArea(area);
}

void CTxtWinHost::TxViewChange(bool /*update*/) {}

bool CTxtWinHost::TxCreateCaret(int width, int height) {
  owner_->SetCaretSize(width, height);
  return true;
}

bool CTxtWinHost::TxShowCaret(bool /*show*/) { return true; }

bool CTxtWinHost::TxSetCaretPos(int x, int y) {
  owner_->SetCaretPos(x, y);
  owner_->SetCaretBlink(owner_->GetSelText().empty());
  return true;
}

bool CTxtWinHost::TxSetTimer(unsigned id, unsigned timeout_ms) {
  host_bits_ |= kTimer;
  owner_->SetServicesTimer(id, timeout_ms);
  return true;
}

void CTxtWinHost::TxKillTimer(unsigned id) {
  owner_->KillServicesTimer(id);
  host_bits_ &= ~kTimer;
}

void CTxtWinHost::TxSetCapture(bool capture) {
  Window* window = owner_->GetWindow();
  if (window != nullptr && window->GetHWND() != nullptr) {
    if (capture) {
      platform::SetCapture(window->GetHWND());
    } else {
      platform::ReleaseCapture();
    }
  }
  SetHostBit(kCaptured, capture);
}

void CTxtWinHost::TxSetFocus() { owner_->SetFocus(); }

void CTxtWinHost::TxSetCursor(platform::CursorKind cursor, bool /*text*/) { platform::SetCursor(cursor); }

HRESULT CTxtWinHost::TxGetClientRect(UiRect* rect) {
  *rect = GetControlRect();
  return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(UiRect* inset) {
  *inset = UiRect{};
  return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMAT** format) {
  *format = &char_format_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** format) {
  *format = &para_format_;
  return S_OK;
}

ARGB CTxtWinHost::TxGetSysColor(int index) {
  return index == COLOR_HIGHLIGHTTEXT ? kHighlightText : kHighlight;
}

HRESULT CTxtWinHost::TxGetBackStyle(int* style) {
  *style = (host_bits_ & kTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(int32_t* length) {
  *length = max_length_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(uint32_t* bars) {
  *bars = style_ & (WS_VSCROLL | WS_HSCROLL | ES_DISABLENOSCROLL | ES_AUTOHSCROLL | ES_AUTOVSCROLL);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(char16_t* character) {
  *character = password_char_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(int32_t* position) {
  *position = accelerator_pos_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(UiSize* extent) {
  *extent = extent_;
  return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMAT& /*format*/) { return S_OK; }

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT& /*format*/) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(uint32_t mask, uint32_t* bits) {
  uint32_t answer = 0;
  if (host_bits_ & kRich) answer |= TXTBIT_RICHTEXT;
  if (style_ & ES_MULTILINE) answer |= TXTBIT_MULTILINE;
  if (style_ & ES_READONLY) answer |= TXTBIT_READONLY;
  if (style_ & ES_PASSWORD) answer |= TXTBIT_USEPASSWORD;
  if (!(style_ & ES_NOHIDESEL)) answer |= TXTBIT_HIDESELECTION;
  if (host_bits_ & kSaveSelection) answer |= TXTBIT_SAVESELECTION;
  if (host_bits_ & kAutoWordSelect) answer |= TXTBIT_AUTOWORDSEL;
  if (host_bits_ & kWordWrap) answer |= TXTBIT_WORDWRAP;
  if (host_bits_ & kAllowBeep) answer |= TXTBIT_ALLOWBEEP;
  *bits = answer & mask;
  return S_OK;
}

HRESULT CTxtWinHost::TxNotify(uint32_t code, void* data) {
  if (code == EN_REQUESTRESIZE && data != nullptr) {
    const UiRect requested = *static_cast<const UiRect*>(data);
    const UiRect r = GetControlRect();
    SetClientRect(UiRect{r.left, r.top, r.left + requested.right, r.top + requested.bottom});
  }
  owner_->OnTxNotify(code, data);
  return S_OK;
}

// The rich edit's own flag: the style bit it shares with the scroll-bar
// attributes cannot tell.
bool CTxtWinHost::TxGetDigitsOnly() { return owner_ != nullptr && owner_->IsNumberOnly(); }

HRESULT CTxtWinHost::TxGetSelectionBarWidth(int32_t* width) {
  *width = selection_bar_width_;
  return S_OK;
}

}  // namespace ui
