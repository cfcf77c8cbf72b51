#include "platform/clipboard/clipboard.h"

#include <memory>

#include "platform/clipboard/memory_clipboard.h"
#include "platform/clipboard/x11_clipboard.h"

namespace platform {

namespace {

Clipboard* g_installed = nullptr;

Clipboard* DefaultClipboard() {
  // Made on first use and kept until the process ends: the X11 one serves
  // other programs' pastes for as long as this process owns the selection.
  static Clipboard* const clipboard = []() -> Clipboard* {
    auto x11 = std::make_unique<X11Clipboard>();
    if (x11->IsOpen()) return x11.release();
    return new MemoryClipboard();
  }();
  return clipboard;
}

}  // namespace

Clipboard* GetClipboard() { return g_installed != nullptr ? g_installed : DefaultClipboard(); }

void InstallClipboard(Clipboard* clipboard) { g_installed = clipboard; }

}  // namespace platform
