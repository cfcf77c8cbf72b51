// A clipboard held in memory: what tests install, and what the process uses
// when no display can be opened.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/clipboard/clipboard.h"

namespace platform {

class MemoryClipboard : public Clipboard {
 public:
  bool SetText(const std::string& utf8) override;
  std::optional<std::string> GetText() override;
  // Empties it, as another program taking the clipboard with no text would.
  void Clear();
  // How many times text was put on it.
  int SetCount() const;

 private:
  mutable std::mutex mutex_;
  std::optional<std::string> text_;
  int set_count_ = 0;
};

}  // namespace platform
