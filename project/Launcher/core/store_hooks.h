#pragma once
// What the launcher store needs of the UI framework, the dialogs and the
// download manager, handed to it at start-up. Each hook may be left empty;
// the store then does without (no text, no font check, no limit to apply) and
// a question nobody can ask is answered at once with kBoxNotShown
// (dialog_host.h), so no caller waits for a continuation that never comes.

#include <cstdint>
#include <functional>
#include <string>

#include <vector>

// A window of the platform layer as the store keeps it; 0 is none.
using WindowHandle = uintptr_t;

// A message box the store asks the UI thread to open. Each text is a
// language key or a literal text; the key wins when it is not empty.
struct MessageBoxRequest {
  WindowHandle owner = 0;        // 0: the main window
  std::string titleKey;
  std::u16string titleText;
  std::string contentKey;        // a language key; empty when contentText is used
  std::u16string contentText;    // literal content text
  std::string detailKey;         // the error box's detail line
  std::u16string detailText;
  // When either key is set both buttons take their keys, else both take
  // their literal texts.
  std::string firstButtonKey;    // "btn_no", answer 0; empty hides the button
  std::string secondButtonKey;   // "btn_yes", answer 1
  std::u16string firstButtonText;
  std::u16string secondButtonText;
  bool swapButtons = false;      // the two buttons exchange their looks
  std::function<void(int32_t)> continuation;  // receives the answer; may be empty
};

// The radio-choice box: every text is a language key; the first option is
// preselected.
struct OptionsBoxRequest {
  std::string contentKey;
  std::u16string groupName;
  std::vector<std::string> optionKeys;
  std::string buttonKey;
  int32_t selectedIndex = 0;
  std::function<void(int32_t)> continuation;  // receives the chosen index
};

struct StoreHooks {
  // The current language table's text of a key (empty when missing).
  std::function<std::u16string(const std::string& key)> languageText;
  // Adds a key/text pair to the language table's overrides.
  std::function<void(const std::string& key, const std::u16string& text)> addLanguageOverride;
  // Reads a file of the skin package's theme folder.
  std::function<bool(const std::string& name, std::string* bytes)> readResourceFile;
  // Sets the UI framework's current channel.
  std::function<void(const std::string& channel)> setUiChannel;
  // Installs the carried fonts when the system lacks them.
  std::function<void()> installFonts;
  // Opens a message box and marks one as open (the store's ShowMessageBox).
  std::function<void(MessageBoxRequest)> showMessageBox;
  // Opens a message box (the store's message-box request task).
  std::function<void(MessageBoxRequest)> requestMessageBox;
  // Drops the UI framework's fonts, classes, colours and images and reads
  // "global.xml" and the language table again from the skin package.
  std::function<void()> reloadSkin;
  // Re-applies the speed limit of mode 0 (game) or 1 (pre-download).
  std::function<void(int32_t mode)> applySpeedLimit;
};

// What the relay to the main window needs of the window layer; called on the
// UI thread only.
struct WindowHooks {
  // SendMessage to a window of this process; the result is ignored.
  std::function<void(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam)>
      sendMessage;
  // Sets the named property of |window| to the window itself, or removes it.
  std::function<void(WindowHandle window, const std::u16string& name)> setSelfProperty;
  std::function<void(WindowHandle window, const std::u16string& name)> removeProperty;
};
