#include "platform/clipboard/memory_clipboard.h"

namespace platform {

bool MemoryClipboard::SetText(const std::string& utf8) {
  std::lock_guard<std::mutex> lock(mutex_);
  text_ = utf8;
  ++set_count_;
  return true;
}

std::optional<std::string> MemoryClipboard::GetText() {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}

void MemoryClipboard::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  text_.reset();
}

int MemoryClipboard::SetCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return set_count_;
}

}  // namespace platform
