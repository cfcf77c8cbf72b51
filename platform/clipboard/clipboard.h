// The system clipboard as the text controls use it: UTF-8 text in, UTF-8
// text out. The process has one clipboard in use: the one a test or the
// start-up installs, else the X11 CLIPBOARD selection when a display opens,
// else one held in memory.
#pragma once

#include <optional>
#include <string>

namespace platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Puts the text on the clipboard; false when the clipboard could not take
  // it (what it held before then stays).
  virtual bool SetText(const std::string& utf8) = 0;
  // The clipboard's text; nothing when it holds no text or cannot be read.
  virtual std::optional<std::string> GetText() = 0;
};

// The clipboard in use (never null). UI thread.
Clipboard* GetClipboard();
// Makes `clipboard` the one in use (not owned); null goes back to the
// default one.
void InstallClipboard(Clipboard* clipboard);

}  // namespace platform
