#include "ui/controls/text_services.h"

#include <algorithm>

#include "platform/clipboard/clipboard.h"
#include "platform/window/window_api.h"
#include "ui/font_info.h"
#include "ui/global_manager.h"
#include "ui/render/i_render_context.h"
#include "ui/wide_text.h"

namespace ui {

namespace {

constexpr char16_t kLineBreak = u'\r';
constexpr int kTwipsPerInch = 1440;
constexpr int kPixelsPerInch = 96;

UiPoint PointOf(platform::LPARAM lparam) {
  return UiPoint{static_cast<int16_t>(lparam & 0xFFFF), static_cast<int16_t>((lparam >> 16) & 0xFFFF)};
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// "\r\n" and "\n" become the one line break kept inside.
std::u16string NormalizeBreaks(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    out.push_back(text[i] == u'\n' ? kLineBreak : text[i]);
  }
  return out;
}

std::u16string ClipboardForm(const std::u16string& text) {
  std::u16string out = text;
  std::replace(out.begin(), out.end(), kLineBreak, u'\n');
  return out;
}

}  // namespace

HRESULT CreateTextServices(ITextHost* host, std::unique_ptr<ITextServices>* services) {
  if (host == nullptr || services == nullptr) return E_INVALIDARG;
  *services = std::make_unique<TextServices>(host);
  return S_OK;
}

TextServices::TextServices(ITextHost* host) : host_(host) { RefreshProperties(); }

TextServices::~TextServices() = default;

void TextServices::RefreshProperties() {
  uint32_t bits = 0;
  host_->TxGetPropertyBits(0xFFFFFFFF, &bits);
  if (bits != bits_) layout_dirty_ = true;
  bits_ = bits;
  digits_only_ = host_->TxGetDigitsOnly();
  if (!IsMultiLine()) {
    // A single-line field keeps only the first line of what it holds.
    const size_t cut = text_.find(kLineBreak);
    if (cut != std::u16string::npos) {
      text_.resize(cut);
      anchor_ = std::min(anchor_, cut);
      caret_ = std::min(caret_, cut);
    }
  }
}

std::u16string TextServices::DisplayText() const {
  if (!IsPassword()) return text_;
  char16_t mask = 0;
  host_->TxGetPasswordChar(&mask);
  // A field without a mask character would show the password in clear.
  if (mask == 0) mask = kDefaultPasswordChar;
  const size_t clusters = password_stops_.empty() ? 0 : password_stops_.size() - 1;
  return std::u16string(clusters, mask);
}

UiRect TextServices::ClientRect() {
  UiRect rect;
  host_->TxGetClientRect(&rect);
  return rect;
}

void TextServices::SyncLayout(int width) {
  const CHARFORMAT* chars = nullptr;
  host_->TxGetCharFormat(&chars);
  const std::u16string font_id = chars != nullptr ? chars->font_id : std::u16string();
  if (layout_dirty_ || font_id != layout_font_) {
    if (IsPassword()) password_stops_ = EditLayout::ClusterStops(text_);
    layout_.SetText(DisplayText());
    const FontInfo* font = GlobalManager::GetFont(font_id);
    // A font id the global manager does not hold draws in the default font.
    if (font == nullptr) font = GlobalManager::GetFont(std::u16string());
    if (font != nullptr && font->hFont != nullptr) layout_.SetFont(font->hFont);
    const PARAFORMAT* para = nullptr;
    host_->TxGetParaFormat(&para);
    int spacing = 0;
    if (para != nullptr && para->dyLineSpacing >= 0) {
      layout_.SetLineSpacing(0);
      const int line = layout_.CaretRect(0).Height();
      spacing = para->dyLineSpacing * kPixelsPerInch / kTwipsPerInch - line;
    }
    layout_.SetLineSpacing(spacing);
    layout_font_ = font_id;
    layout_dirty_ = false;
    layout_width_ = -2;
  }
  if (width != layout_width_) {
    const PARAFORMAT* para = nullptr;
    host_->TxGetParaFormat(&para);
    const int align = para == nullptr ? PFA_LEFT : para->wAlignment;
    const bool wrap = IsMultiLine() && HasBit(TXTBIT_WORDWRAP);
    layout_.SetBox(width, wrap, align == PFA_CENTER ? 1 : align == PFA_RIGHT ? 2 : 0);
    layout_width_ = width;
  }
}

EditLayout& TextServices::Layout() {
  // The client rect is asked without the text's natural height: the host
  // asks that of us for a vertical alignment, which needs only the width.
  const UiRect client = ClientRect();
  SyncLayout(std::max(0, client.Width()));
  return layout_;
}

const std::vector<size_t>& TextServices::Stops() {
  if (IsPassword()) {
    Layout();
    return password_stops_;
  }
  return Layout().CursorStops();
}

size_t TextServices::ToDisplay(size_t index) {
  if (!IsPassword()) return index;
  const auto& stops = Stops();
  return static_cast<size_t>(std::lower_bound(stops.begin(), stops.end(), index) - stops.begin());
}

size_t TextServices::ToSource(size_t index) {
  if (!IsPassword()) return index;
  const auto& stops = Stops();
  return index < stops.size() ? stops[index] : text_.size();
}

size_t TextServices::SnapToStop(size_t index) {
  const auto& stops = Stops();
  const auto it = std::lower_bound(stops.begin(), stops.end(), std::min(index, text_.size()));
  return it == stops.end() ? text_.size() : *it;
}

size_t TextServices::PreviousStop(size_t index) {
  const auto& stops = Stops();
  const auto it = std::lower_bound(stops.begin(), stops.end(), index);
  return it == stops.begin() ? 0 : *std::prev(it);
}

size_t TextServices::NextStop(size_t index) {
  const auto& stops = Stops();
  const auto it = std::upper_bound(stops.begin(), stops.end(), index);
  return it == stops.end() ? text_.size() : *it;
}

size_t TextServices::PreviousWordStart(size_t index) {
  // A password field is one word: its parts are not to be guessed at.
  if (IsPassword()) return 0;
  const auto& starts = Layout().WordStarts();
  const auto it = std::lower_bound(starts.begin(), starts.end(), index);
  return it == starts.begin() ? 0 : *std::prev(it);
}

size_t TextServices::NextWordStart(size_t index) {
  if (IsPassword()) return text_.size();
  const auto& starts = Layout().WordStarts();
  const auto it = std::upper_bound(starts.begin(), starts.end(), index);
  return it == starts.end() ? text_.size() : *it;
}

void TextServices::MoveTo(size_t index, bool extend, bool keep_column) {
  caret_ = SnapToStop(index);
  if (!extend) anchor_ = caret_;
  if (!keep_column) column_x_ = -1;
  typing_run_ = false;
  Changed(false);
}

void TextServices::SelectAll() {
  anchor_ = 0;
  caret_ = text_.size();
  Changed(false);
}

void TextServices::SelectWordAt(size_t index) {
  if (IsPassword()) return SelectAll();
  EditLayout& layout = Layout();
  const auto& starts = layout.WordStarts();
  const auto& ends = layout.WordEnds();
  const auto start = std::upper_bound(starts.begin(), starts.end(), index);
  const size_t from = start == starts.begin() ? 0 : *std::prev(start);
  const auto end = std::lower_bound(ends.begin(), ends.end(), std::max(index, from + 1));
  const size_t to = end == ends.end() ? text_.size() : *end;
  anchor_ = from;
  caret_ = std::max(from, to);
  Changed(false);
}

std::u16string TextServices::CleanInsertion(const std::u16string& text) const {
  std::u16string clean = NormalizeBreaks(text);
  if (!IsMultiLine()) {
    const size_t cut = clean.find(kLineBreak);
    if (cut != std::u16string::npos) clean.resize(cut);
  }
  if (digits_only_) std::erase_if(clean, [](char16_t c) { return !IsDigit(c); });
  return clean;
}

bool TextServices::ReplaceSelection(const std::u16string& text, bool undoable, bool typing) {
  std::u16string insertion = CleanInsertion(text);
  const size_t from = SelectionStart();
  const size_t to = SelectionEnd();
  int32_t max_length = 0;
  host_->TxGetMaxLength(&max_length);
  const size_t kept = text_.size() - (to - from);
  const size_t room = max_length > 0 && static_cast<size_t>(max_length) > kept ? max_length - kept : 0;
  if (insertion.size() > room) {
    // Cut at a cluster boundary: never half a surrogate pair or a base
    // without its marks.
    const std::vector<size_t> stops = EditLayout::ClusterStops(insertion);
    const auto fit = std::upper_bound(stops.begin(), stops.end(), room);
    insertion.resize(fit == stops.begin() ? 0 : *std::prev(fit));
  }
  if (insertion.empty() && from == to) return false;
  if (!text.empty() && insertion.empty() && from != to && typing) return false;
  if (!undoable) {
    undo_.reset();
  } else if (!(typing && typing_run_)) {
    undo_ = Snapshot{text_, anchor_, caret_};
  }
  text_.replace(from, to - from, insertion);
  anchor_ = caret_ = from + insertion.size();
  typing_run_ = typing;
  column_x_ = -1;
  layout_dirty_ = true;
  Changed(true);
  return true;
}

void TextServices::DeleteRange(size_t from, size_t to) {
  if (IsReadOnly() || from >= to) return;
  anchor_ = from;
  caret_ = to;
  ReplaceSelection(std::u16string(), true);
}

void TextServices::Undo() {
  if (!undo_ || IsReadOnly()) return;
  // One level: undoing again brings the change back.
  Snapshot redo{text_, anchor_, caret_};
  text_ = undo_->text;
  anchor_ = std::min(undo_->anchor, text_.size());
  caret_ = std::min(undo_->caret, text_.size());
  undo_ = std::move(redo);
  typing_run_ = false;
  layout_dirty_ = true;
  Changed(true);
}

bool TextServices::Copy() {
  // A password never leaves its field.
  if (IsPassword() || anchor_ == caret_) return false;
  const std::u16string selected = text_.substr(SelectionStart(), SelectionEnd() - SelectionStart());
  return platform::GetClipboard()->SetText(Utf16ToUtf8(ClipboardForm(selected)));
}

bool TextServices::Cut() {
  if (IsReadOnly() || !Copy()) return false;
  return ReplaceSelection(std::u16string(), true);
}

bool TextServices::Paste() {
  if (IsReadOnly()) return false;
  const std::optional<std::string> text = platform::GetClipboard()->GetText();
  if (!text || text->empty()) return false;
  const std::u16string insertion = CleanInsertion(Utf8ToUtf16(*text));
  // Nothing the field accepts: the selection stays as it is.
  if (insertion.empty()) return false;
  return ReplaceSelection(insertion, true);
}

void TextServices::KeyDown(uint32_t key, bool shift, bool ctrl) {
  using namespace platform;
  EditLayout& layout = Layout();
  const bool has_selection = anchor_ != caret_;
  switch (key) {
    case VK_LEFT:
      if (has_selection && !shift) return MoveTo(SelectionStart(), false);
      return MoveTo(ctrl ? PreviousWordStart(caret_) : PreviousStop(caret_), shift);
    case VK_RIGHT:
      if (has_selection && !shift) return MoveTo(SelectionEnd(), false);
      return MoveTo(ctrl ? NextWordStart(caret_) : NextStop(caret_), shift);
    case VK_HOME:
      if (ctrl || !IsMultiLine()) return MoveTo(0, shift);
      return MoveTo(ToSource(layout.LineStart(ToDisplay(caret_))), shift);
    case VK_END:
      if (ctrl || !IsMultiLine()) return MoveTo(text_.size(), shift);
      return MoveTo(ToSource(layout.LineEnd(ToDisplay(caret_))), shift);
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      if (!IsMultiLine()) return;
      const UiRect caret = layout.CaretRect(ToDisplay(caret_));
      if (column_x_ < 0) column_x_ = caret.left;
      int lines = key == VK_UP ? -1 : 1;
      if (key == VK_PRIOR || key == VK_NEXT) {
        const int page = std::max(1, ClientRect().Height() / std::max(1, caret.Height()));
        lines = key == VK_PRIOR ? -page : page;
      }
      size_t target = layout.MoveByLines(ToDisplay(caret_), lines, column_x_);
      if (target == ToDisplay(caret_) && lines != 0) {
        // No line that far: Page Up and Page Down go to the first or last.
        if (key == VK_PRIOR) target = layout.MoveByLines(ToDisplay(caret_), -layout.LineCount(), column_x_);
        if (key == VK_NEXT) target = layout.MoveByLines(ToDisplay(caret_), layout.LineCount(), column_x_);
      }
      return MoveTo(ToSource(target), shift, true);
    }
    case VK_DELETE:
      if (shift && !ctrl) {
        Cut();
        return;
      }
      if (has_selection) return DeleteRange(SelectionStart(), SelectionEnd());
      return DeleteRange(caret_, ctrl ? NextWordStart(caret_) : NextStop(caret_));
    case VK_BACK:
      if (IsReadOnly()) return;
      if (has_selection) return DeleteRange(SelectionStart(), SelectionEnd());
      return DeleteRange(ctrl ? PreviousWordStart(caret_) : PreviousStop(caret_), caret_);
    case VK_INSERT:
      if (ctrl) Copy();
      if (shift) Paste();
      return;
    default:
      break;
  }
  if (!ctrl) return;
  switch (key) {
    case 'A':
      return SelectAll();
    case 'C':
      Copy();
      return;
    case 'X':
      Cut();
      return;
    case 'V':
      Paste();
      return;
    case 'Z':
      return Undo();
    default:
      return;
  }
}

void TextServices::Char(char16_t c) {
  if (IsReadOnly()) return;
  // Backspace is the key's work (WM_KEYDOWN); the characters it also
  // makes (0x08, and 0x7F with Ctrl) type nothing.
  if (c == 0x08 || c == 0x7F) return;
  if (c >= 0xD800 && c <= 0xDBFF) {
    // The first half of a pair: typed together with the second.
    pending_high_ = c;
    return;
  }
  std::u16string typed;
  if (c >= 0xDC00 && c <= 0xDFFF) {
    if (pending_high_ == 0) return;
    typed = {pending_high_, c};
  } else if (c == u'\r' || c == u'\n') {
    if (!IsMultiLine()) return;
    typed = std::u16string(1, kLineBreak);
  } else if (c < 0x20 && c != u'\t') {
    return;  // control characters of Ctrl+letter shortcuts
  } else {
    typed = std::u16string(1, c);
  }
  pending_high_ = 0;
  ReplaceSelection(typed, true, true);
}

size_t TextServices::HitTest(platform::LPARAM lparam) {
  const UiRect client = ClientRect();
  const UiPoint point = PointOf(lparam);
  return ToSource(Layout().HitTest(
      UiPoint{point.x - client.left + scroll_.x, point.y - client.top + scroll_.y}));
}

void TextServices::MouseDown(platform::LPARAM lparam, platform::WPARAM wparam) {
  host_->TxSetFocus();
  selecting_ = true;
  host_->TxSetCapture(true);
  MoveTo(HitTest(lparam), (wparam & platform::MK_SHIFT) != 0);
}

void TextServices::MouseMove(platform::LPARAM lparam) {
  if (!selecting_) return;
  const size_t index = HitTest(lparam);
  if (index != caret_) MoveTo(index, true);
}

void TextServices::MouseUp() {
  if (!selecting_) return;
  selecting_ = false;
  host_->TxSetCapture(false);
}

void TextServices::Scroll(int bar, int code, int position) {
  const UiRect client = ClientRect();
  const UiSize content = Layout().GetSize();
  const int line = std::max(1, Layout().CaretRect(0).Height());
  const bool vertical = bar == SB_VERT;
  int& value = vertical ? scroll_.y : scroll_.x;
  const int page = vertical ? client.Height() : client.Width();
  const int limit = std::max(0, (vertical ? content.cy : content.cx + 1) - page);
  switch (code) {
    case SB_LINEUP: value -= line; break;
    case SB_LINEDOWN: value += line; break;
    case SB_PAGEUP: value -= page; break;
    case SB_PAGEDOWN: value += page; break;
    case SB_THUMBPOSITION: value = position; break;
    case SB_TOP: value = 0; break;
    case SB_BOTTOM: value = limit; break;
    default: return;
  }
  value = std::clamp(value, 0, limit);
  ReportScrollBars();
  UpdateCaret();
  Invalidate();
}

void TextServices::EnsureCaretVisible() {
  const UiRect client = ClientRect();
  EditLayout& layout = Layout();
  const UiRect caret = layout.CaretRect(ToDisplay(caret_));
  const UiSize content = layout.GetSize();
  const int width = std::max(1, client.Width());
  const int height = std::max(1, client.Height());
  if (caret.left - scroll_.x >= width) scroll_.x = caret.left - width + 1;
  if (caret.left < scroll_.x) scroll_.x = caret.left;
  if (caret.bottom - scroll_.y > height) scroll_.y = caret.bottom - height;
  if (caret.top < scroll_.y) scroll_.y = caret.top;
  // Text that got shorter pulls the view back.
  scroll_.x = std::clamp(scroll_.x, 0, std::max(0, content.cx + 1 - width));
  scroll_.y = std::clamp(scroll_.y, 0, std::max(0, content.cy - height));
  if (caret.left - scroll_.x >= width) scroll_.x = caret.left - width + 1;
}

void TextServices::ReportScrollBars() {
  uint32_t bars = 0;
  host_->TxGetScrollBars(&bars);
  const UiSize content = Layout().GetSize();
  if (bars & WS_VSCROLL) {
    if (reported_range_.cy != content.cy) host_->TxSetScrollRange(SB_VERT, 0, content.cy, true);
    if (reported_pos_.y != scroll_.y) host_->TxSetScrollPos(SB_VERT, scroll_.y, true);
  }
  if (bars & WS_HSCROLL) {
    if (reported_range_.cx != content.cx + 1) host_->TxSetScrollRange(SB_HORZ, 0, content.cx + 1, true);
    if (reported_pos_.x != scroll_.x) host_->TxSetScrollPos(SB_HORZ, scroll_.x, true);
  }
  reported_range_ = UiSize{content.cx + 1, content.cy};
  reported_pos_ = scroll_;
}

void TextServices::UpdateCaret() {
  if (!focused_) return;
  const UiRect client = ClientRect();
  const UiRect caret = Layout().CaretRect(ToDisplay(caret_));
  host_->TxCreateCaret(1, caret.Height());
  host_->TxSetCaretPos(client.left + caret.left - scroll_.x, client.top + caret.top - scroll_.y);
}

void TextServices::Invalidate() { host_->TxInvalidateRect(nullptr, false); }

void TextServices::Changed(bool text_changed) {
  EnsureCaretVisible();
  ReportScrollBars();
  UpdateCaret();
  Invalidate();
  if (text_changed && (event_mask_ & ENM_CHANGE)) host_->TxNotify(EN_CHANGE, nullptr);
}

HRESULT TextServices::TxSendMessage(platform::UINT message, platform::WPARAM wparam, platform::LPARAM lparam,
                                    platform::LRESULT* result) {
  using namespace platform;
  LRESULT answer = 0;
  switch (message) {
    case WM_KEYDOWN:
      KeyDown(static_cast<uint32_t>(wparam), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
      break;
    case WM_CHAR:
      Char(static_cast<char16_t>(wparam));
      break;
    case WM_SETFOCUS:
      focused_ = true;
      UpdateCaret();
      Invalidate();
      break;
    case WM_KILLFOCUS:
      focused_ = false;
      MouseUp();
      Invalidate();
      break;
    case WM_LBUTTONDOWN:
      MouseDown(lparam, wparam);
      break;
    case WM_LBUTTONDBLCLK:
      SelectWordAt(HitTest(lparam));
      break;
    case WM_MOUSEMOVE:
      MouseMove(lparam);
      break;
    case WM_LBUTTONUP:
      MouseUp();
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_TIMER:
      break;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, static_cast<int>(wparam & 0xFFFF),
             static_cast<int>((wparam >> 16) & 0xFFFF));
      break;
    case WM_COPY:
      Copy();
      break;
    case WM_CUT:
      Cut();
      break;
    case WM_PASTE:
      Paste();
      break;
    case WM_CLEAR:
      if (!IsReadOnly() && anchor_ != caret_) ReplaceSelection(std::u16string(), true);
      break;
    case WM_UNDO:
    case EM_UNDO:
      answer = undo_.has_value() && !IsReadOnly();
      Undo();
      break;
    case EM_CANUNDO:
      answer = undo_.has_value() && !IsReadOnly();
      break;
    case WM_GETTEXTLENGTH:
    case EM_GETTEXTLENGTHEX:
      answer = static_cast<LRESULT>(text_.size());
      break;
    case EM_GETTEXTEX: {
      const auto* request = reinterpret_cast<const GETTEXTEX*>(wparam);
      auto* buffer = reinterpret_cast<char16_t*>(lparam);
      if (request == nullptr || buffer == nullptr || request->cb < 2) break;
      const size_t count = std::min<size_t>(text_.size(), request->cb / 2 - 1);
      std::copy_n(text_.data(), count, buffer);
      buffer[count] = 0;
      answer = static_cast<LRESULT>(count);
      break;
    }
    case EM_GETSELTEXT: {
      auto* buffer = reinterpret_cast<char16_t*>(lparam);
      if (buffer == nullptr) break;
      const size_t count = SelectionEnd() - SelectionStart();
      std::copy_n(text_.data() + SelectionStart(), count, buffer);
      buffer[count] = 0;
      answer = static_cast<LRESULT>(count);
      break;
    }
    case EM_EXGETSEL: {
      auto* range = reinterpret_cast<CHARRANGE*>(lparam);
      if (range == nullptr) break;
      range->cpMin = static_cast<int32_t>(SelectionStart());
      range->cpMax = static_cast<int32_t>(SelectionEnd());
      break;
    }
    case EM_EXSETSEL: {
      const auto* range = reinterpret_cast<const CHARRANGE*>(lparam);
      if (range == nullptr) break;
      if (range->cpMin == 0 && range->cpMax == -1) {
        SelectAll();
      } else if (range->cpMin < 0) {
        MoveTo(caret_, false);
      } else {
        const size_t to = range->cpMax < 0 ? text_.size() : static_cast<size_t>(range->cpMax);
        anchor_ = SnapToStop(static_cast<size_t>(range->cpMin));
        caret_ = SnapToStop(to);
        Changed(false);
      }
      answer = static_cast<LRESULT>(caret_);
      break;
    }
    case EM_REPLACESEL: {
      const auto* text = reinterpret_cast<const char16_t*>(lparam);
      ReplaceSelection(text == nullptr ? std::u16string() : std::u16string(text), wparam != 0);
      break;
    }
    case EM_SETEVENTMASK:
      answer = event_mask_;
      event_mask_ = static_cast<uint32_t>(lparam);
      break;
    case EM_SETLANGOPTIONS:
      lang_options_ = static_cast<uint32_t>(lparam);
      answer = 1;
      break;
    case EM_SETPARAFORMAT: {
      const auto* format = reinterpret_cast<const PARAFORMAT*>(lparam);
      if (format == nullptr) break;
      // The host keeps the format; the layout reads it again.
      layout_dirty_ = true;
      answer = 1;
      break;
    }
    default:
      if (result != nullptr) *result = 0;
      return S_FALSE;
  }
  if (result != nullptr) *result = answer;
  return S_OK;
}

HRESULT TextServices::TxDraw(IRenderContext* render, const UiRect& bounds, const UiRect& update) {
  if (render == nullptr) return E_INVALIDARG;
  SyncLayout(std::max(0, bounds.Width()));
  const UiRect clip = IntersectRect(bounds, update);
  if (clip.IsEmpty()) return S_OK;
  const CHARFORMAT* chars = nullptr;
  host_->TxGetCharFormat(&chars);
  const bool show_selection = focused_ || !HasBit(TXTBIT_HIDESELECTION);
  const size_t from = show_selection ? ToDisplay(SelectionStart()) : 0;
  const size_t to = show_selection ? ToDisplay(SelectionEnd()) : 0;
  layout_.Draw(render->GetDC(), UiPoint{bounds.left - scroll_.x, bounds.top - scroll_.y}, clip,
               chars != nullptr ? chars->text_color : 0xFF000000, from, to,
               host_->TxGetSysColor(COLOR_HIGHLIGHT), host_->TxGetSysColor(COLOR_HIGHLIGHTTEXT));
  return S_OK;
}

HRESULT TextServices::TxGetNaturalSize(int width, int /*height*/, UiSize* natural) {
  if (natural == nullptr) return E_INVALIDARG;
  SyncLayout(width > 0 ? width : -1);
  *natural = layout_.GetSize();
  return S_OK;
}

HRESULT TextServices::OnTxSetCursor(UiPoint /*point*/) {
  host_->TxSetCursor(platform::CursorKind::kIBeam, true);
  return S_OK;
}

HRESULT TextServices::OnTxInPlaceActivate(const UiRect* /*client*/) {
  Changed(false);
  return S_OK;
}

HRESULT TextServices::OnTxInPlaceDeactivate() {
  focused_ = false;
  return S_OK;
}

HRESULT TextServices::OnTxPropertyBitsChange(uint32_t /*mask*/, uint32_t /*bits*/) {
  RefreshProperties();
  layout_dirty_ = true;
  Changed(false);
  return S_OK;
}

HRESULT TextServices::TxSetText(const std::u16string& text) {
  // What the field refuses (a limit, a filter, more lines than one) is cut
  // away; the rest is taken.
  anchor_ = 0;
  caret_ = text_.size();
  ReplaceSelection(text, false);
  anchor_ = caret_ = 0;
  Changed(false);
  return S_OK;
}

HRESULT TextServices::TxGetText(std::u16string* text) {
  if (text == nullptr) return E_INVALIDARG;
  *text = text_;
  return S_OK;
}

}  // namespace ui
