#include "platform/x11/x11_keys.h"

#include <X11/keysym.h>

#include "platform/window/window_messages.h"

namespace platform::x11 {

namespace {

struct KeyPair {
  KeySym keysym;
  uint32_t vk;
};

constexpr KeyPair kKeys[] = {
    {XK_BackSpace, VK_BACK},      {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},    {XK_Clear, VK_CLEAR},
    {XK_Return, VK_RETURN},       {XK_KP_Enter, VK_RETURN},
    {XK_Shift_L, VK_SHIFT},       {XK_Shift_R, VK_SHIFT},
    {XK_Control_L, VK_CONTROL},   {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},          {XK_Alt_R, VK_MENU},
    {XK_ISO_Level3_Shift, VK_MENU}, {XK_Pause, VK_PAUSE},
    {XK_Caps_Lock, VK_CAPITAL},   {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},         {XK_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},           {XK_End, VK_END},
    {XK_Home, VK_HOME},           {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},               {XK_Right, VK_RIGHT},
    {XK_Down, VK_DOWN},           {XK_Print, VK_SNAPSHOT},
    {XK_Insert, VK_INSERT},       {XK_Delete, VK_DELETE},
    {XK_Super_L, VK_LWIN},        {XK_Super_R, VK_RWIN},
    {XK_Menu, VK_APPS},           {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},          {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL},  {XK_KP_Delete, VK_DECIMAL},
    {XK_KP_Divide, VK_DIVIDE},    {XK_Num_Lock, VK_NUMLOCK},
    {XK_Scroll_Lock, VK_SCROLL},  {XK_KP_Home, VK_HOME},
    {XK_KP_End, VK_END},          {XK_KP_Prior, VK_PRIOR},
    {XK_KP_Next, VK_NEXT},        {XK_KP_Left, VK_LEFT},
    {XK_KP_Right, VK_RIGHT},      {XK_KP_Up, VK_UP},
    {XK_KP_Down, VK_DOWN},        {XK_KP_Insert, VK_INSERT},
    {XK_semicolon, VK_OEM_1},     {XK_equal, VK_OEM_PLUS},
    {XK_comma, VK_OEM_COMMA},     {XK_minus, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD},   {XK_slash, VK_OEM_2},
    {XK_grave, VK_OEM_3},         {XK_bracketleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5},     {XK_bracketright, VK_OEM_6},
    {XK_apostrophe, VK_OEM_7},
};

}  // namespace

uint32_t VirtualKeyFromKeysym(KeySym keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<uint32_t>('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<uint32_t>('A' + (keysym - XK_A));
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<uint32_t>('0' + (keysym - XK_0));
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<uint32_t>(VK_NUMPAD0 + (keysym - XK_KP_0));
  if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<uint32_t>(VK_F1 + (keysym - XK_F1));
  for (const KeyPair& k : kKeys) {
    if (k.keysym == keysym) return k.vk;
  }
  return 0;
}

char32_t CodePointFromKeysym(KeySym keysym) {
  // Latin-1 key symbols are their code points; 0x01000000 + n is U+n.
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) {
    return static_cast<char32_t>(keysym);
  }
  if (keysym >= 0x01000100 && keysym <= 0x0110FFFF) return static_cast<char32_t>(keysym - 0x01000000);
  switch (keysym) {
    case XK_BackSpace: return 0x08;
    case XK_Tab: return 0x09;
    case XK_Return:
    case XK_KP_Enter: return 0x0D;
    case XK_Escape: return 0x1B;
    default: return 0;
  }
}

}  // namespace platform::x11
