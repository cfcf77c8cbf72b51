#include "browser/input_event_builder.h"

#include <utility>

#include "platform/text/utf_conversion.h"
#include "platform/window/window_messages.h"

namespace jov_comp {

namespace {

constexpr platform::LPARAM kExtendedKeyBit = 0x1000000;
constexpr platform::LPARAM kRepeatBit = 0x40000000;

struct NamedKey {
  uint32_t vk;
  const char* key;
  const char* code;
};

// Keys that are not characters, with their DOM names.
constexpr NamedKey kNamedKeys[] = {
    {0x08, "Backspace", "Backspace"}, {0x09, "Tab", "Tab"},
    {0x0D, "Enter", "Enter"},         {0x13, "Pause", "Pause"},
    {0x14, "CapsLock", "CapsLock"},   {0x1B, "Escape", "Escape"},
    {0x21, "PageUp", "PageUp"},       {0x22, "PageDown", "PageDown"},
    {0x23, "End", "End"},             {0x24, "Home", "Home"},
    {0x25, "ArrowLeft", "ArrowLeft"}, {0x26, "ArrowUp", "ArrowUp"},
    {0x27, "ArrowRight", "ArrowRight"}, {0x28, "ArrowDown", "ArrowDown"},
    {0x2C, "PrintScreen", "PrintScreen"}, {0x2D, "Insert", "Insert"},
    {0x2E, "Delete", "Delete"},       {0x5D, "ContextMenu", "ContextMenu"},
    {0x90, "NumLock", "NumLock"},     {0x91, "ScrollLock", "ScrollLock"},
};

struct Punctuation {
  uint32_t vk;
  char plain;
  char shifted;
  const char* code;
};

constexpr Punctuation kPunctuation[] = {
    {0xBA, ';', ':', "Semicolon"},   {0xBB, '=', '+', "Equal"},
    {0xBC, ',', '<', "Comma"},       {0xBD, '-', '_', "Minus"},
    {0xBE, '.', '>', "Period"},      {0xBF, '/', '?', "Slash"},
    {0xC0, '`', '~', "Backquote"},   {0xDB, '[', '{', "BracketLeft"},
    {0xDC, '\\', '|', "Backslash"},  {0xDD, ']', '}', "BracketRight"},
    {0xDE, '\'', '"', "Quote"},
};

constexpr char kShiftedDigits[] = ")!@#$%^&*(";

bool IsKeyPadKey(uint32_t vk, bool extended) {
  if (vk == platform::VK_CLEAR || (vk >= 0x60 && vk <= 0x6B) || (vk >= 0x6D && vk <= 0x6F) ||
      vk == platform::VK_NUMLOCK)
    return true;
  if (vk == platform::VK_RETURN) return extended;
  if ((vk >= platform::VK_PRIOR && vk <= platform::VK_DOWN) || vk == platform::VK_INSERT ||
      vk == platform::VK_DELETE)
    return !extended;
  return false;
}

}  // namespace

InputEventBuilder::InputEventBuilder(KeyStateQuery key_state) : key_state_(std::move(key_state)) {}

bool InputEventBuilder::IsDown(uint32_t virtual_key) const {
  return key_state_ && (key_state_(virtual_key) & 0x8000) != 0;
}

InputEventBuilder::KeyNames InputEventBuilder::NamesOfVirtualKey(uint32_t vk, bool shift,
                                                                 bool extended) {
  KeyNames names;
  if (vk >= 'A' && vk <= 'Z') {
    names.key = std::string(1, static_cast<char>(shift ? vk : vk + ('a' - 'A')));
    names.code = std::string("Key") + static_cast<char>(vk);
    return names;
  }
  if (vk >= '0' && vk <= '9') {
    names.key = std::string(1, shift ? kShiftedDigits[vk - '0'] : static_cast<char>(vk));
    names.code = std::string("Digit") + static_cast<char>(vk);
    return names;
  }
  if (vk == platform::VK_SPACE) return KeyNames{" ", "Space", 0};
  if (vk >= 0x60 && vk <= 0x69) {
    const char digit = static_cast<char>('0' + (vk - 0x60));
    return KeyNames{std::string(1, digit), std::string("Numpad") + digit, 3};
  }
  switch (vk) {
    case 0x6A: return KeyNames{"*", "NumpadMultiply", 3};
    case 0x6B: return KeyNames{"+", "NumpadAdd", 3};
    case 0x6D: return KeyNames{"-", "NumpadSubtract", 3};
    case 0x6E: return KeyNames{".", "NumpadDecimal", 3};
    case 0x6F: return KeyNames{"/", "NumpadDivide", 3};
    case 0x10: return KeyNames{"Shift", "ShiftLeft", 1};
    case 0x11: return extended ? KeyNames{"Control", "ControlRight", 2} : KeyNames{"Control", "ControlLeft", 1};
    case 0x12: return extended ? KeyNames{"Alt", "AltRight", 2} : KeyNames{"Alt", "AltLeft", 1};
    case 0xA0: return KeyNames{"Shift", "ShiftLeft", 1};
    case 0xA1: return KeyNames{"Shift", "ShiftRight", 2};
    case 0xA2: return KeyNames{"Control", "ControlLeft", 1};
    case 0xA3: return KeyNames{"Control", "ControlRight", 2};
    case 0xA4: return KeyNames{"Alt", "AltLeft", 1};
    case 0xA5: return KeyNames{"Alt", "AltRight", 2};
    case 0x5B: return KeyNames{"Meta", "MetaLeft", 1};
    case 0x5C: return KeyNames{"Meta", "MetaRight", 2};
    default: break;
  }
  if (vk >= platform::VK_F1 && vk < platform::VK_F1 + 24) {
    const std::string name = "F" + std::to_string(vk - platform::VK_F1 + 1);
    return KeyNames{name, name, 0};
  }
  for (const Punctuation& p : kPunctuation) {
    if (p.vk == vk) return KeyNames{std::string(1, shift ? p.shifted : p.plain), p.code, 0};
  }
  for (const NamedKey& named : kNamedKeys) {
    if (named.vk == vk) {
      names.key = named.key;
      names.code = named.code;
      if (vk == platform::VK_RETURN && extended) return KeyNames{"Enter", "NumpadEnter", 3};
      return names;
    }
  }
  names.key = "Unidentified";
  return names;
}

int InputEventBuilder::KeyboardModifiers() const {
  int modifiers = 0;
  if (IsDown(platform::VK_MENU)) modifiers |= kAlt;
  if (IsDown(platform::VK_CONTROL)) modifiers |= kControl;
  if (IsDown(platform::VK_SHIFT)) modifiers |= kShift;
  if (IsDown(platform::VK_LWIN) || IsDown(platform::VK_RWIN)) modifiers |= kMeta;
  return modifiers;
}

std::optional<Json::Value> InputEventBuilder::KeyEvent(platform::UINT message,
                                                       platform::WPARAM wparam,
                                                       platform::LPARAM lparam) {
  const bool system = message == platform::WM_SYSKEYDOWN || message == platform::WM_SYSKEYUP ||
                      message == platform::WM_SYSCHAR;
  Json::Value params;
  params["modifiers"] = KeyboardModifiers();
  params["isSystemKey"] = system;
  if (message == platform::WM_CHAR || message == platform::WM_SYSCHAR) {
    const auto unit = static_cast<char16_t>(wparam);
    // The two halves of a character beyond the basic plane arrive one after
    // the other; the engine takes the whole character once.
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high_surrogate_ = unit;
      return std::nullopt;
    }
    char32_t code_point = unit;
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      if (high_surrogate_ == 0) return std::nullopt;
      code_point = 0x10000 + ((static_cast<char32_t>(high_surrogate_) - 0xD800) << 10) +
                   (static_cast<char32_t>(unit) - 0xDC00);
    }
    high_surrogate_ = 0;
    // Control characters other than Return act through their key events.
    if ((code_point < 0x20 && code_point != '\r') || code_point == 0x7F) return std::nullopt;
    std::string text;
    platform::AppendUTF8(code_point, &text);
    params["type"] = "char";
    params["text"] = text;
    params["unmodifiedText"] = text;
    return params;
  }
  const bool down = message == platform::WM_KEYDOWN || message == platform::WM_SYSKEYDOWN;
  const bool up = message == platform::WM_KEYUP || message == platform::WM_SYSKEYUP;
  if (!down && !up) return std::nullopt;
  const auto vk = static_cast<uint32_t>(wparam);
  const bool extended = (lparam & kExtendedKeyBit) != 0;
  const KeyNames names = NamesOfVirtualKey(vk, IsDown(platform::VK_SHIFT), extended);
  params["type"] = down ? "rawKeyDown" : "keyUp";
  params["windowsVirtualKeyCode"] = static_cast<int>(vk);
  params["nativeVirtualKeyCode"] = static_cast<int>(vk);
  params["key"] = names.key;
  params["code"] = names.code;
  params["location"] = names.location;
  params["isKeypad"] = IsKeyPadKey(vk, extended);
  params["autoRepeat"] = down && (lparam & kRepeatBit) != 0;
  return params;
}

int InputEventBuilder::MouseModifiers(platform::WPARAM wparam) const {
  int modifiers = 0;
  if (wparam & platform::MK_CONTROL) modifiers |= kControl;
  if (wparam & platform::MK_SHIFT) modifiers |= kShift;
  if (IsDown(platform::VK_MENU)) modifiers |= kAlt;
  return modifiers;
}

int InputEventBuilder::MouseButtons(platform::WPARAM wparam) {
  int buttons = 0;
  if (wparam & platform::MK_LBUTTON) buttons |= 1;
  if (wparam & platform::MK_RBUTTON) buttons |= 2;
  if (wparam & platform::MK_MBUTTON) buttons |= 4;
  return buttons;
}

Json::Value InputEventBuilder::MouseEvent(const std::string& type, double x, double y,
                                          const std::string& button, int click_count,
                                          platform::WPARAM wparam) const {
  Json::Value params;
  params["type"] = type;
  params["x"] = x;
  params["y"] = y;
  params["button"] = button;
  params["buttons"] = MouseButtons(wparam);
  params["clickCount"] = click_count;
  params["modifiers"] = MouseModifiers(wparam);
  return params;
}

}  // namespace jov_comp
