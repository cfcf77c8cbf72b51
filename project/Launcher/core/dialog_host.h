#pragma once
// What opens the launcher's message boxes and options boxes on the UI thread.
// The store resolves the request (owner, key or text) and hands the box its
// content; the box answers once, on the UI thread, when it closes: 0 for the
// first button or any way of closing without confirming, 1 for the second
// button; an options box answers the chosen option's index, or nothing when
// it is dismissed (Esc).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "project/Launcher/core/store_hooks.h"

// What the store hands a caller whose box could not open at all (no owner
// window, no UI thread, no dialog host): no choice was made, and it differs
// from every answer a box gives (0, 1, an option's index).
inline constexpr int32_t kBoxNotShown = -1;

// One text of a box: a language key or a literal text.
struct BoxText {
  std::u16string text;
  bool isKey = false;

  bool operator==(const BoxText&) const = default;
};

struct MessageBoxContent {
  BoxText title;
  BoxText content;
  BoxText detail;
  BoxText firstButton;   // "btn_no", answer 0
  BoxText secondButton;  // "btn_yes", answer 1
  bool swapButtons = false;
};

struct OptionsBoxContent {
  std::string contentKey;
  std::u16string groupName;
  std::vector<std::string> optionKeys;
  std::string buttonKey;
  int32_t selectedIndex = 0;
};

class DialogHost {
 public:
  using AnswerCallback = std::function<void(int32_t)>;

  virtual ~DialogHost() = default;
  // False when the box could not be made (its owner is gone); |answer| is
  // then never called.
  virtual bool OpenMessageBox(WindowHandle owner, const MessageBoxContent& content,
                              AnswerCallback answer) = 0;
  virtual bool OpenOptionsBox(WindowHandle owner, const OptionsBoxContent& content,
                              AnswerCallback answer) = 0;
};
