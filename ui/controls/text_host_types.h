// What a text host and its text services exchange: result codes, property
// bits, formats, the edit messages and notifications (with their Windows
// values, so the controls speak to the services as the design says), and
// the records some messages carry.
#ifndef UI_CONTROLS_TEXT_HOST_TYPES_H_
#define UI_CONTROLS_TEXT_HOST_TYPES_H_

#include <cstdint>
#include <string>

#include "platform/message/message_types.h"
#include "ui/render/render_types.h"

namespace ui {

using HRESULT = int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// Property bits a host answers and changes announce.
inline constexpr uint32_t TXTBIT_RICHTEXT = 0x1;
inline constexpr uint32_t TXTBIT_MULTILINE = 0x2;
inline constexpr uint32_t TXTBIT_READONLY = 0x4;
inline constexpr uint32_t TXTBIT_USEPASSWORD = 0x10;
inline constexpr uint32_t TXTBIT_HIDESELECTION = 0x20;
inline constexpr uint32_t TXTBIT_SAVESELECTION = 0x40;
inline constexpr uint32_t TXTBIT_AUTOWORDSEL = 0x80;
inline constexpr uint32_t TXTBIT_WORDWRAP = 0x400;
inline constexpr uint32_t TXTBIT_ALLOWBEEP = 0x800;
inline constexpr uint32_t TXTBIT_VIEWINSETCHANGE = 0x2000;
inline constexpr uint32_t TXTBIT_BACKSTYLECHANGE = 0x4000;
inline constexpr uint32_t TXTBIT_MAXLENGTHCHANGE = 0x8000;
inline constexpr uint32_t TXTBIT_SCROLLBARCHANGE = 0x10000;
inline constexpr uint32_t TXTBIT_CHARFORMATCHANGE = 0x20000;
inline constexpr uint32_t TXTBIT_PARAFORMATCHANGE = 0x40000;

// Shown for each character of a password field when the host names none.
inline constexpr char16_t kDefaultPasswordChar = 0x25CF;

// Edit and window style bits.
inline constexpr uint32_t ES_LEFT = 0x0;
inline constexpr uint32_t ES_CENTER = 0x1;
inline constexpr uint32_t ES_RIGHT = 0x2;
inline constexpr uint32_t ES_MULTILINE = 0x4;
inline constexpr uint32_t ES_PASSWORD = 0x20;
inline constexpr uint32_t ES_AUTOVSCROLL = 0x40;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x80;
inline constexpr uint32_t ES_NOHIDESEL = 0x100;
inline constexpr uint32_t ES_READONLY = 0x800;
inline constexpr uint32_t ES_NUMBER = 0x2000;
inline constexpr uint32_t ES_DISABLENOSCROLL = 0x2000;
inline constexpr uint32_t WS_HSCROLL = 0x100000;
inline constexpr uint32_t WS_VSCROLL = 0x200000;

// Scroll bars and scroll codes.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_BOTH = 3;
inline constexpr int ESB_DISABLE_BOTH = 3;
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_PAGELEFT = 2;
inline constexpr int SB_PAGERIGHT = 3;
inline constexpr int SB_LEFT = 6;
inline constexpr int SB_RIGHT = 7;

// Paragraph alignment.
inline constexpr int PFA_LEFT = 1;
inline constexpr int PFA_RIGHT = 2;
inline constexpr int PFA_CENTER = 3;

// Background style.
inline constexpr int TXTBACK_TRANSPARENT = 0;
inline constexpr int TXTBACK_OPAQUE = 1;

// System colour indices the services ask the host for.
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;

// Messages the services take (besides the keyboard, mouse, focus, timer and
// scroll messages of the window model).
inline constexpr platform::UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr platform::UINT WM_HSCROLL = 0x0114;
inline constexpr platform::UINT WM_VSCROLL = 0x0115;
inline constexpr platform::UINT WM_CUT = 0x0300;
inline constexpr platform::UINT WM_COPY = 0x0301;
inline constexpr platform::UINT WM_PASTE = 0x0302;
inline constexpr platform::UINT WM_CLEAR = 0x0303;
inline constexpr platform::UINT WM_UNDO = 0x0304;
inline constexpr platform::UINT EM_REPLACESEL = 0x00C2;
inline constexpr platform::UINT EM_CANUNDO = 0x00C6;
inline constexpr platform::UINT EM_UNDO = 0x00C7;
inline constexpr platform::UINT EM_EXGETSEL = platform::WM_USER + 52;
inline constexpr platform::UINT EM_EXSETSEL = platform::WM_USER + 55;
inline constexpr platform::UINT EM_GETSELTEXT = platform::WM_USER + 62;
inline constexpr platform::UINT EM_SETEVENTMASK = platform::WM_USER + 69;
inline constexpr platform::UINT EM_SETPARAFORMAT = platform::WM_USER + 71;
inline constexpr platform::UINT EM_GETTEXTEX = platform::WM_USER + 94;
inline constexpr platform::UINT EM_GETTEXTLENGTHEX = platform::WM_USER + 95;
inline constexpr platform::UINT EM_SETLANGOPTIONS = platform::WM_USER + 120;

// Notifications and the event mask.
inline constexpr uint32_t EN_CHANGE = 0x0300;
inline constexpr uint32_t EN_MSGFILTER = 0x0700;
inline constexpr uint32_t EN_REQUESTRESIZE = 0x0701;
inline constexpr uint32_t EN_SELCHANGE = 0x0702;
inline constexpr uint32_t ENM_CHANGE = 0x1;

// A selection: first and end index; {0, -1} selects everything, a negative
// first drops the selection.
struct CHARRANGE {
  int32_t cpMin = 0;
  int32_t cpMax = 0;
};

inline constexpr uint32_t GTL_DEFAULT = 0;
inline constexpr uint32_t GT_DEFAULT = 0;
inline constexpr uint32_t CP_UTF16 = 1200;

struct GETTEXTLENGTHEX {
  uint32_t flags = GTL_DEFAULT;
  uint32_t codepage = CP_UTF16;
};

// EM_GETTEXTEX: cb bytes of UTF-16 room in the buffer, the terminator
// included.
struct GETTEXTEX {
  uint32_t cb = 0;
  uint32_t flags = GT_DEFAULT;
  uint32_t codepage = CP_UTF16;
};

// The character format: the font (a font id of the global manager, empty
// for the default font) and the text colour.
struct CHARFORMAT {
  std::u16string font_id;
  ARGB text_color = 0xFF000000;
};

// The paragraph format: alignment and an exact line spacing in twips
// (negative: the font's own).
inline constexpr uint32_t PFM_LINESPACING = 0x100;
inline constexpr uint32_t PFM_ALIGNMENT = 0x8;
struct PARAFORMAT {
  uint32_t dwMask = 0;
  int wAlignment = PFA_LEFT;
  int dyLineSpacing = -1;
};

}  // namespace ui

#endif  // UI_CONTROLS_TEXT_HOST_TYPES_H_
