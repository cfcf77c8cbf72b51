#pragma once
// A modal error message for the user: the desktop's "zenity --error" dialog,
// started from an argument vector (no shell, so no text of the message is
// interpreted) and waited for; standard error when zenity cannot start.

#include <string>

namespace platform {

// Blocks until the user dismisses the box (or at once when it goes to
// standard error). |title| is the box's caption, |text| its message.
void ShowErrorBox(const std::string& title, const std::string& text);

}  // namespace platform
