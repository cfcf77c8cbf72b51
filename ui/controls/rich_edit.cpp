#include "ui/controls/rich_edit.h"

#include <algorithm>
#include <vector>

#include "platform/clipboard/clipboard.h"
#include "platform/window/window_api.h"
#include "ui/controls/on_screen_keyboard_manager.h"
#include "ui/dpi_manager.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"
#include "ui/render/i_render_context.h"
#include "ui/timer_manager.h"
#include "ui/wide_text.h"
#include "ui/widget_factory.h"
#include "ui/window.h"

namespace ui {

namespace {

constexpr ARGB kOpaqueBlack = 0xFF000000;
constexpr int kWheelLines = 3;

bool KeyDown(uint32_t key) { return platform::GetKeyState(key) < 0; }

// Leading characters up to and including blanks (codes up to 32) go.
std::u16string SkipLeadingBlanks(const std::u16string& value) {
  size_t i = 0;
  while (i < value.size() && value[i] <= 32) ++i;
  return value.substr(i);
}

// Four decimal integers, each followed by one separator character.
UiRect ParseRect(const std::u16string& value) {
  int numbers[4] = {0, 0, 0, 0};
  size_t i = 0;
  for (int& number : numbers) {
    bool negative = false;
    if (i < value.size() && value[i] == u'-') {
      negative = true;
      ++i;
    }
    int parsed = 0;
    while (i < value.size() && value[i] >= u'0' && value[i] <= u'9' && parsed < 100000000) {
      parsed = parsed * 10 + (value[i] - u'0');
      ++i;
    }
    number = negative ? -parsed : parsed;
    if (i < value.size()) ++i;
  }
  return UiRect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

int ParseInt(const std::u16string& value) {
  int parsed = 0;
  bool negative = !value.empty() && value[0] == u'-';
  for (size_t i = negative ? 1 : 0; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
    if (parsed < 100000000) parsed = parsed * 10 + (value[i] - u'0');
  }
  return negative ? -parsed : parsed;
}

}  // namespace

RichEdit::RichEdit()
    : text_color_(GlobalManager::GetDefaultTextColor()),
      normal_text_color_(GlobalManager::GetDefaultTextColor()),
      disabled_text_color_(GlobalManager::GetDefaultTextColor()) {}

RichEdit::~RichEdit() {
  caret_flag_.Cancel();
  services_timers_.clear();
  host_.reset();
}

void RichEdit::DoInit() {
  if (initialised_) return;
  host_ = std::make_unique<CTxtWinHost>();
  const TextHostCreation creation{style_, text_};
  if (!host_->Init(this, &creation)) host_.reset();
  if (host_) {
    ITextServices* services = host_->GetTextServices();
    host_->SetHostBit(CTxtWinHost::kTransparent, true);
    services->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
    TxSendMessage(EM_SETLANGOPTIONS, 0, 0, nullptr);
    TxSendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE, nullptr);
    host_->SetHostBit(CTxtWinHost::kInPlaceActive, true);
    if (services->OnTxInPlaceActivate(nullptr) != S_OK) host_->SetHostBit(CTxtWinHost::kInPlaceActive, false);
    ResetScrollBar(SB_VERT);
    ResetScrollBar(SB_HORZ);
    if (line_spacing_ >= 0) {
      PARAFORMAT format = host_->GetParaFormat();
      format.dwMask |= PFM_LINESPACING;
      format.dyLineSpacing = line_spacing_;
      platform::LRESULT result = 0;
      // The alignment stays: only the spacing is new.
      host_->SetParaFormat(format);
      TxSendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<platform::LPARAM>(&format), &result);
    }
  }
  initialised_ = true;
}

UiRect RichEdit::InnerRect() const {
  UiRect inner = rect_;
  const UiRect padding = GetLayout()->GetPadding();
  inner.left += padding.left;
  inner.top += padding.top;
  inner.right -= padding.right;
  inner.bottom -= padding.bottom;
  return inner;
}

UiSize RichEdit::EstimateSize(UiSize /*available*/) {
  UiSize fixed{fixed_width_, fixed_height_};
  if ((fixed.cx != kSizeAuto && fixed.cy != kSizeAuto) || !host_) return fixed;
  UiSize natural;
  const UiRect padding = GetLayout()->GetPadding();
  if (fixed.cx == kSizeAuto) {
    host_->GetTextServices()->TxGetNaturalSize(0, fixed.cy, &natural);
    fixed.cx = padding.left + natural.cx + padding.right;
  } else {
    host_->GetTextServices()->TxGetNaturalSize(fixed.cx, 0, &natural);
    fixed.cy = padding.top + natural.cy + padding.bottom;
  }
  return fixed;
}

void RichEdit::SetPos(UiRect rect) {
  Control::SetPos(rect);
  const UiRect inner = InnerRect();
  if (host_) {
    UiRect text = inner;
    text.left += text_padding_.left;
    text.top += text_padding_.top;
    text.right -= text_padding_.right;
    text.bottom -= text_padding_.bottom;
    host_->SetClientRect(text);
  }
  for (Control* child : items_) {
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      Layout::SetFloatPos(child, rect_);
    } else {
      child->SetPos(inner);
    }
  }
}

void RichEdit::SetEnabled(bool enabled) {
  if (enabled == IsEnabled()) return;
  Box::SetEnabled(enabled);
  if (enabled) {
    state_ = kControlStateNormal;
    SetTextColor(normal_text_color_);
  } else {
    state_ = kControlStateDisabled;
    SetTextColor(disabled_text_color_);
  }
}

bool RichEdit::CanTabFocus() const { return IsEnabled(); }

void RichEdit::SetAttribute(const std::u16string& name, const std::u16string& value) {
  const bool on = value == u"true";
  const bool off = value == u"false";
  if (name == u"vscrollbar" || name == u"hscrollbar") {
    const uint32_t bar = name == u"vscrollbar" ? WS_VSCROLL : WS_HSCROLL;
    const uint32_t other = name == u"vscrollbar" ? WS_HSCROLL : WS_VSCROLL;
    if (on) {
      style_ |= bar | ES_DISABLENOSCROLL;
    } else {
      style_ &= ~bar;
      if (!(style_ & other)) style_ &= ~ES_DISABLENOSCROLL;
    }
  } else if (name == u"autovscroll") {
    if (on || off) SetStyleBit(ES_AUTOVSCROLL, on);
  } else if (name == u"autohscroll") {
    if (on || off) SetStyleBit(ES_AUTOHSCROLL, on);
  } else if (name == u"multiline") {
    if (on || off) SetStyleBit(ES_MULTILINE, on);
  } else if (name == u"readonly") {
    if (on || off) {
      SetStyleBit(ES_READONLY, on);
      read_only_ = on;
    }
  } else if (name == u"password") {
    if (on || off) {
      SetStyleBit(ES_PASSWORD, on);
      password_ = on;
    }
  } else if (name == u"number") {
    if (on || off) {
      SetStyleBit(ES_NUMBER, on);
      number_only_ = on;
      if (host_) host_->GetTextServices()->OnTxPropertyBitsChange(0, 0);
    }
  } else if (name == u"linespace") {
    line_spacing_ = ParseInt(value);
  } else if (name == u"textpadding") {
    UiRect padding = ParseRect(value);
    DpiManager::GetInstance()->ScaleRect(&padding);
    text_padding_ = padding;
    if (fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto) {
      ArrangeFromAncestor();
    } else {
      Invalidate();
    }
  } else if (name == u"align") {
    if (value.find(u"left") != std::u16string::npos) style_ &= ~(ES_CENTER | ES_RIGHT);
    if (value.find(u"hcenter") != std::u16string::npos) style_ = (style_ | ES_CENTER) & ~ES_RIGHT;
    if (value.find(u"right") != std::u16string::npos) style_ = (style_ | ES_RIGHT) & ~ES_CENTER;
    if (value.find(u"top") != std::u16string::npos) vertical_alignment_ = 0;
    if (value.find(u"vcenter") != std::u16string::npos) vertical_alignment_ = 1;
    if (value.find(u"bottom") != std::u16string::npos) vertical_alignment_ = 2;
  } else if (name == u"normaltextcolor") {
    normal_text_color_ = SkipLeadingBlanks(value);
    if (IsEnabled()) SetTextColor(normal_text_color_);
  } else if (name == u"disabledtextcolor") {
    disabled_text_color_ = SkipLeadingBlanks(value);
    if (!IsEnabled()) SetTextColor(disabled_text_color_);
  } else if (name == u"caretcolor") {
    caret_color_ = SkipLeadingBlanks(value);
  } else if (name == u"promptcolor") {
    prompt_color_ = SkipLeadingBlanks(value);
  } else if (name == u"promptmode") {
    // Accepted for the skins; it changes nothing.
  } else if (name == u"prompttext") {
    SetPromptText(value);
  } else if (name == u"prompttextid") {
    SetPromptTextId(value);
  } else if (name == u"focusedimage") {
    focused_image_.ClearCache();
    focused_image_.SetImageString(value);
    Invalidate();
  } else if (name == u"font") {
    font_id_ = value;
    if (host_) host_->SetFont(value);
  } else if (name == u"text") {
    SetText(value);
  } else if (name == u"textid") {
    SetText(LanguageTable::GetInstance().GetText(value));
  } else if (name == u"wanttab") {
    want_tab_ = on;
  } else if (name == u"wantreturnmsg") {
    want_return_msg_ = on;
  } else if (name == u"returnmsgwantctrl") {
    return_msg_want_ctrl_ = on;
  } else if (name == u"rich") {
    rich_ = on;
    if (host_) {
      host_->SetHostBit(CTxtWinHost::kRich, on);
      host_->GetTextServices()->OnTxPropertyBitsChange(TXTBIT_RICHTEXT, on ? TXTBIT_RICHTEXT : 0);
    }
  } else {
    Box::SetAttribute(name, value);
  }
}

void RichEdit::SetText(const std::u16string& text) {
  text_ = text;
  if (!initialised_ || !host_) return;
  CHARRANGE all{0, -1};
  TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<platform::LPARAM>(&all), nullptr);
  TxSendMessage(EM_REPLACESEL, 0, reinterpret_cast<platform::LPARAM>(text.c_str()), nullptr);
}

std::u16string RichEdit::GetText() {
  if (!host_) return std::u16string();
  std::u16string text;
  host_->GetTextServices()->TxGetText(&text);
  return text;
}

std::u16string RichEdit::GetSelText() {
  if (!host_) return std::u16string();
  CHARRANGE range;
  TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<platform::LPARAM>(&range), nullptr);
  std::vector<char16_t> buffer(static_cast<size_t>(std::max(0, range.cpMax - range.cpMin)) + 1, 0);
  TxSendMessage(EM_GETSELTEXT, 0, reinterpret_cast<platform::LPARAM>(buffer.data()), nullptr);
  return std::u16string(buffer.data());
}

std::string RichEdit::GetUTF8Text() {
  if (!host_) return std::string();
  GETTEXTLENGTHEX length_request;
  platform::LRESULT length = 0;
  TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<platform::WPARAM>(&length_request), 0, &length);
  std::vector<char16_t> buffer(static_cast<size_t>(length) + 1, 0);
  GETTEXTEX text_request;
  text_request.cb = static_cast<uint32_t>(length * 2 + 2);
  TxSendMessage(EM_GETTEXTEX, reinterpret_cast<platform::WPARAM>(&text_request),
                reinterpret_cast<platform::LPARAM>(buffer.data()), nullptr);
  return Utf16ToUtf8(std::u16string(buffer.data()));
}

void RichEdit::SetUTF8Text(const std::string& text) { SetText(Utf8ToUtf16(text)); }

HRESULT RichEdit::TxSendMessage(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                                platform::LRESULT* result) {
  if (!host_) return S_FALSE;
  return host_->GetTextServices()->TxSendMessage(message, wparam, lparam, result);
}

void RichEdit::OnTxNotify(uint32_t code, void* /*data*/) {
  // Only the change notification is asked for (the event mask holds
  // ENM_CHANGE alone), so nothing else is passed on.
  if (code == EN_CHANGE) OnTextChange();
}

bool RichEdit::OnTextChange() {
  if (window_ != nullptr) FireEvent(kEventTextChange);
  return true;
}

void RichEdit::SetTextColor(const std::u16string& color) {
  if (color == text_color_) return;
  text_color_ = color;
  if (host_) host_->SetColor(GlobalManager::GetTextColor(color));
}

void RichEdit::SetPromptText(const std::u16string& text) {
  if (text == prompt_text_) return;
  prompt_text_ = text;
  Invalidate();
}

void RichEdit::SetPromptTextId(const std::u16string& id) {
  if (id == prompt_text_id_) return;
  prompt_text_id_ = id;
  Invalidate();
}

std::u16string RichEdit::GetPromptText() const {
  if (prompt_text_.empty() && !prompt_text_id_.empty()) {
    return LanguageTable::GetInstance().GetText(prompt_text_id_);
  }
  return prompt_text_;
}

void RichEdit::SetServicesTimer(unsigned id, unsigned interval_ms) {
  auto& flag = services_timers_[id];
  if (flag) {
    flag->Cancel();
  } else {
    flag = std::make_unique<kbase::WeakCallbackFlag>();
  }
  TimerManager::GetInstance()->AddTimer(
      flag->GetWeakFlag(), [this, id] { TxSendMessage(platform::WM_TIMER, id, 0, nullptr); }, interval_ms, -1);
}

void RichEdit::KillServicesTimer(unsigned id) {
  const auto it = services_timers_.find(id);
  if (it == services_timers_.end()) return;
  it->second->Cancel();
  services_timers_.erase(it);
}

void RichEdit::SetCaretBlink(bool on) {
  caret_flag_.Cancel();
  caret_shown_ = on;
  if (on) {
    TimerManager::GetInstance()->AddTimer(caret_flag_.GetWeakFlag(), [this] { ToggleCaret(); }, kCaretBlinkMs,
                                          -1);
  }
  Invalidate();
}

void RichEdit::ToggleCaret() {
  caret_shown_ = !caret_shown_;
  Invalidate();
}

void RichEdit::SetCaretSize(int width, int height) {
  caret_width_ = width;
  caret_height_ = height;
}

void RichEdit::SetCaretPos(int x, int y) {
  caret_x_ = x;
  caret_y_ = y;
}

void RichEdit::NotifyScroll(int bar) {
  if (scroll_callback_) scroll_callback_(bar, GetScrollState(bar));
}

void RichEdit::SetServicesScrollRange(int bar, int range) {
  ScrollState& state = bar == SB_VERT ? vertical_ : horizontal_;
  if (range >= 1) {
    const bool had_range = state.range > 0;
    state.range = range;
    state.pos = std::clamp(state.pos, 0, range);
    NotifyScroll(bar);
    // The text area makes room for a bar that appears.
    if (!had_range) SetPos(rect_);
  } else if (state.range > 0) {
    ResetScrollBar(bar);
  }
}

void RichEdit::SetServicesScrollPos(int bar, int pos) {
  ScrollState& state = bar == SB_VERT ? vertical_ : horizontal_;
  const int clamped = std::clamp(pos, 0, state.range);
  if (clamped == state.pos) return;
  state.pos = clamped;
  NotifyScroll(bar);
}

void RichEdit::ResetScrollBar(int bar) {
  ScrollState& state = bar == SB_VERT ? vertical_ : horizontal_;
  state = ScrollState{};
  NotifyScroll(bar);
}

void RichEdit::SetScrollPos(UiSize pos) {
  const auto move = [](ScrollState& state, int value) {
    if (state.range <= 0) return 0;
    const int clamped = std::clamp(value, 0, state.range);
    const int delta = clamped - state.pos;
    state.pos = clamped;
    return delta;
  };
  const int dy = move(vertical_, pos.cy);
  const int dx = move(horizontal_, pos.cx);
  if (dy != 0) NotifyScroll(SB_VERT);
  if (dx != 0) NotifyScroll(SB_HORZ);
  if (dy != 0) {
    TxSendMessage(WM_VSCROLL, SB_THUMBPOSITION | (static_cast<platform::WPARAM>(vertical_.pos & 0xFFFF) << 16), 0,
                  nullptr);
  }
  if (dx != 0) {
    TxSendMessage(WM_HSCROLL,
                  SB_THUMBPOSITION | (static_cast<platform::WPARAM>(horizontal_.pos & 0xFFFF) << 16), 0, nullptr);
  }
}

void RichEdit::PageUp() { TxSendMessage(WM_VSCROLL, SB_PAGEUP, 0, nullptr); }
void RichEdit::PageDown() { TxSendMessage(WM_VSCROLL, SB_PAGEDOWN, 0, nullptr); }
void RichEdit::HomeUp() { TxSendMessage(WM_VSCROLL, SB_TOP, 0, nullptr); }
void RichEdit::PageLeft() { TxSendMessage(WM_HSCROLL, SB_PAGELEFT, 0, nullptr); }
void RichEdit::PageRight() { TxSendMessage(WM_HSCROLL, SB_PAGERIGHT, 0, nullptr); }
void RichEdit::HomeLeft() { TxSendMessage(WM_HSCROLL, SB_LEFT, 0, nullptr); }
void RichEdit::EndRight() { TxSendMessage(WM_HSCROLL, SB_RIGHT, 0, nullptr); }

void RichEdit::SendMouse(platform::UINT message, const EventArgs& event) {
  const UiSize offset = GetAncestorScrollOffset();
  const int x = platform::GetXLParam(event.lParam) + offset.cx;
  const int y = platform::GetYLParam(event.lParam) + offset.cy;
  TxSendMessage(message, event.wParam, platform::MakeLParam(x, y), nullptr);
}

bool RichEdit::OnKeyDown(EventArgs& event) {
  const uint32_t key = event.chKey != 0 ? event.chKey : static_cast<uint32_t>(event.wParam);
  if (key == platform::VK_RETURN && !KeyDown(platform::VK_SHIFT) && want_return_msg_ &&
      KeyDown(platform::VK_CONTROL) == return_msg_want_ctrl_) {
    if (window_ != nullptr) FireEvent(kEventReturn);
    // The character the key also types is not the text's either.
    swallow_return_char_ = true;
    return true;
  }
  if (number_only_ && key == 'V' && KeyDown(platform::VK_CONTROL)) {
    // The engine pastes only the digits; the clipboard keeps what it holds.
    // Text without any digit pastes nothing, not even over a selection.
    const std::optional<std::string> text = platform::GetClipboard()->GetText();
    if (text && std::none_of(text->begin(), text->end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return true;
    }
  }
  TxSendMessage(platform::WM_KEYDOWN, key, event.lParam, nullptr);
  return true;
}

void RichEdit::OnChar(EventArgs& event) {
  const char16_t c = event.chKey != 0 ? event.chKey : static_cast<char16_t>(event.wParam);
  if (swallow_return_char_ && (c == u'\r' || c == u'\n')) {
    swallow_return_char_ = false;
    return;
  }
  swallow_return_char_ = false;
  if (c == u'\t' && !want_tab_) {
    if (window_ != nullptr) FireEvent(kEventTab);
    return;
  }
  if (number_only_ && (c < u'0' || c > u'9')) return;
  TxSendMessage(platform::WM_CHAR, c, event.lParam, nullptr);
}

void RichEdit::HandleEvent(EventArgs& event) {
  if (!IsEnabled() || (!IsMouseEnabled() && IsMouseEvent(event.Type))) {
    if (parent_ != nullptr) {
      parent_->DispatchEvent(event);
    } else {
      Control::HandleEvent(event);
    }
    return;
  }
  switch (event.Type) {
    case kEventInternalSetFocus:
      if (host_) {
        host_->SetHostBit(CTxtWinHost::kInPlaceActive, host_->GetTextServices()->OnTxInPlaceActivate(nullptr) == S_OK);
        TxSendMessage(platform::WM_SETFOCUS, 0, 0, nullptr);
        SetCaretBlink(true);
      }
      focused_ = true;
      Invalidate();
      return;
    case kEventInternalKillFocus:
      if (host_) {
        host_->SetHostBit(CTxtWinHost::kInPlaceActive, host_->GetTextServices()->OnTxInPlaceActivate(nullptr) == S_OK);
        TxSendMessage(platform::WM_KILLFOCUS, 0, 0, nullptr);
        caret_shown_ = false;
        caret_flag_.Cancel();
        Invalidate();
      }
      focused_ = false;
      if (read_only_ && IsEnabled()) {
        CHARRANGE none{-1, 0};
        TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<platform::LPARAM>(&none), nullptr);
      }
      Invalidate();
      OnScreenKeyboardManager::GetInstance()->ShowOSK(false);
      return;
    case kEventKeyDown:
      OnKeyDown(event);
      return;
    case kEventChar:
      OnChar(event);
      return;
    case kEventMouseMove:
      SendMouse(platform::WM_MOUSEMOVE, event);
      return;
    case kEventPointDown:
      OnScreenKeyboardManager::GetInstance()->ShowOSK(true);
      SendMouse(platform::WM_LBUTTONDOWN, event);
      return;
    case kEventMouseButtonDown:
      SendMouse(platform::WM_LBUTTONDOWN, event);
      return;
    case kEventMouseButtonUp:
    case kEventPointUp:
      SendMouse(platform::WM_LBUTTONUP, event);
      return;
    case kEventMouseRButtonDown:
      SendMouse(platform::WM_RBUTTONDOWN, event);
      return;
    case kEventMouseRButtonUp:
      SendMouse(platform::WM_RBUTTONUP, event);
      return;
    case kEventInternalDoubleClick:
      if (read_only_) {
        CHARRANGE all{0, -1};
        TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<platform::LPARAM>(&all), nullptr);
      } else {
        SendMouse(platform::WM_LBUTTONDBLCLK, event);
      }
      return;
    case kEventMouseScrollWheel: {
      if (KeyDown(platform::VK_CONTROL)) return;
      const int notches = platform::GetWheelDelta(event.wParam) / platform::WHEEL_DELTA;
      const int code = notches > 0 ? SB_LINEUP : SB_LINEDOWN;
      for (int i = 0; i < std::abs(notches) * kWheelLines; ++i) TxSendMessage(WM_VSCROLL, code, 0, nullptr);
      return;
    }
    case kEventSetCursor: {
      const UiSize offset = GetAncestorScrollOffset();
      const UiPoint point{event.ptMouse.x + offset.cx, event.ptMouse.y + offset.cy};
      if (host_ && host_->GetControlRect().Contains(point)) {
        host_->GetTextServices()->OnTxSetCursor(point);
      } else {
        platform::SetCursor(platform::CursorKind::kIBeam);
      }
      return;
    }
    case kEventImeStartComposition:
      // Nothing on X11 raises this: committed input arrives as characters.
      composing_ = true;
      return;
    case kEventImeEndComposition:
      composing_ = false;
      return;
    default:
      Box::HandleEvent(event);
      return;
  }
}

void RichEdit::PaintContent(IRenderContext* render, const UiRect& paint_rect) {
  if (!RectsMeet(paint_rect, rect_)) return;
  Control::PaintContent(render, paint_rect);
  if (host_) host_->GetTextServices()->TxDraw(render, host_->GetControlRect(), paint_rect);
}

void RichEdit::PaintStatusImage(IRenderContext* render) {
  if (read_only_) return;
  if (focused_) {
    DrawImage(render, focused_image_);
  } else {
    Control::PaintStatusImage(render);
  }
  PaintPrompt(render);
}

void RichEdit::PaintPrompt(IRenderContext* render) {
  if (!host_ || prompt_color_.empty()) return;
  platform::LRESULT length = 0;
  GETTEXTLENGTHEX request;
  TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<platform::WPARAM>(&request), 0, &length);
  if (length != 0) return;
  const std::u16string prompt = GetPromptText();
  if (prompt.empty()) return;
  render->DrawText(host_->GetControlRect(), prompt, GlobalManager::GetTextColor(prompt_color_), font_id_,
                   DT_NOCLIP, 255, false);
}

void RichEdit::PaintCaret(IRenderContext* render) {
  if (read_only_ || !caret_shown_ || composing_) return;
  const ARGB color = caret_color_.empty() ? kOpaqueBlack : GlobalManager::GetTextColor(caret_color_);
  render->DrawLine(UiRect{caret_x_, caret_y_, caret_x_, caret_y_ + caret_height_}, caret_width_, color);
}

void RichEdit::PaintChildren(IRenderContext* render, const UiRect& paint_rect) {
  if (!RectsMeet(paint_rect, rect_)) return;
  PaintCaret(render);
  Box::PaintChildren(render, paint_rect);
}

void RichEdit::ClearImageCache() {
  Box::ClearImageCache();
  focused_image_.ClearCache();
}

void RegisterRichEdit() {
  WidgetFactory::GetInstance().Register(u"RichEdit", [] { return new RichEdit(); });
}

}  // namespace ui
