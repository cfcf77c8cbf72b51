#pragma once
// Turns the window's keyboard and mouse messages into the engine's input
// commands (Input.dispatchKeyEvent, Input.dispatchMouseEvent): the DOM key
// and code of a virtual key, the modifier flags, the buttons held, and the
// characters, with a UTF-16 surrogate pair joined into one character.
// The keyboard state comes through a query, so the mapping can be checked
// without a display.

#include <json/json.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/message/message_types.h"

namespace jov_comp {

class InputEventBuilder {
 public:
  // GetKeyState's answer for a virtual key: high bit down, low bit toggled.
  using KeyStateQuery = std::function<int16_t(uint32_t virtual_key)>;

  // The engine's modifier flags.
  static constexpr int kAlt = 1;
  static constexpr int kControl = 2;
  static constexpr int kMeta = 4;
  static constexpr int kShift = 8;

  struct KeyNames {
    std::string key;   // DOM "key" (US layout for the characters)
    std::string code;  // DOM "code"
    int location = 0;  // 0 standard, 1 left, 2 right, 3 key pad
  };

  explicit InputEventBuilder(KeyStateQuery key_state);

  // The DOM names of a virtual key; |shift| picks the shifted character.
  // |extended| is the extended-key bit of the message (right Ctrl and Alt,
  // the arrows and editing keys outside the key pad).
  static KeyNames NamesOfVirtualKey(uint32_t virtual_key, bool shift, bool extended);

  // The parameters of Input.dispatchKeyEvent for a key or character message,
  // or nothing when the message sends nothing (a dead character, a control
  // character other than Return, the first half of a surrogate pair).
  std::optional<Json::Value> KeyEvent(platform::UINT message, platform::WPARAM wparam,
                                      platform::LPARAM lparam);

  // Modifiers of a mouse message: Ctrl and Shift from its wParam, Alt from
  // the keyboard.
  int MouseModifiers(platform::WPARAM wparam) const;
  // The buttons held, as the engine counts them (left 1, right 2, middle 4).
  static int MouseButtons(platform::WPARAM wparam);
  // A mouse event in CSS pixels: |type| "mousePressed", "mouseReleased",
  // "mouseMoved" or "mouseWheel"; |button| "left", "middle", "right" or
  // "none".
  Json::Value MouseEvent(const std::string& type, double x, double y, const std::string& button,
                         int click_count, platform::WPARAM wparam) const;

 private:
  int KeyboardModifiers() const;
  bool IsDown(uint32_t virtual_key) const;

  KeyStateQuery key_state_;
  char16_t high_surrogate_ = 0;
};

}  // namespace jov_comp
