// Windows of other processes on the same X server: finding top-level windows
// by their WM_CLASS or by a property, reading their properties, posting them
// window messages (both 64-bit parameters intact) and sending WM_COPYDATA with
// a payload, which the receiver checks for size and acknowledges.
// Uses a connection of its own; every operation may run on any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/window/window_backend.h"

typedef struct _XDisplay Display;

namespace platform {

class ForeignWindows {
 public:
  // Null when the display cannot be opened.
  static std::unique_ptr<ForeignWindows> Open(const std::string& display_name = std::string());
  ~ForeignWindows();
  ForeignWindows(const ForeignWindows&) = delete;
  ForeignWindows& operator=(const ForeignWindows&) = delete;

  // Top-level windows whose 64-bit property `name` holds the window's own id,
  // in stacking order from the bottom.
  std::vector<NativeWindow> FindBySelfProperty(const std::string& name);
  // Top-level windows whose WM_CLASS names `class_name` (instance or class).
  std::vector<NativeWindow> FindByClass(const std::string& class_name);
  std::optional<uint64_t> GetProperty(NativeWindow window, const std::string& name);
  bool Exists(NativeWindow window);
  bool IsShown(NativeWindow window);
  // Iconified, as its window manager's WM_STATE says.
  bool IsIconic(NativeWindow window);
  // Maps, raises and asks for the focus of another process's window.
  bool Activate(NativeWindow window);

  // Queued to the window's thread like PostMessage; false when the window is
  // gone.
  bool PostMessage(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam);

  // WM_COPYDATA: waits up to `timeout_ms` for the receiver's answer. The
  // result of its window procedure, or nothing when the receiver refused the
  // data, is gone, or did not answer in time.
  std::optional<LRESULT> SendCopyData(NativeWindow window, uint64_t data_kind, const void* data, uint32_t size,
                                      int timeout_ms);
  // As SendCopyData, but the request claims `claimed_size` bytes whatever the
  // payload holds: what a faulty or hostile sender does.
  std::optional<LRESULT> SendCopyDataClaiming(NativeWindow window, uint64_t data_kind, const void* data,
                                              uint32_t size, uint32_t claimed_size, int timeout_ms);

 private:
  explicit ForeignWindows(Display* display);
  std::vector<NativeWindow> TopLevelWindows();
  bool HasClass(NativeWindow window, const std::string& class_name);
  unsigned long Mailbox();

  std::mutex lock_;
  Display* display_;
  unsigned long mailbox_ = 0;
  uint32_t next_serial_ = 1;
};

}  // namespace platform
