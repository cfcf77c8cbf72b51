// The X11 CLIPBOARD selection holding UTF-8 text (target UTF8_STRING).
//
// Copying makes this process the selection's owner; a thread of its own, on
// a connection of its own, answers the other clients' requests (TARGETS and
// UTF8_STRING) until another client takes the selection or the clipboard is
// destroyed. Pasting asks the owner for UTF8_STRING on a short-lived
// connection of the calling thread and waits for the answer at most a
// second. Only answers that come whole are read: an owner that hands its
// text over in increments (INCR, texts of megabytes) pastes nothing.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/clipboard/clipboard.h"

namespace platform {

class X11Clipboard : public Clipboard {
 public:
  static constexpr int kPasteTimeoutMs = 1000;
  // The longest text put on or read from the selection.
  static constexpr size_t kMaxTextBytes = 4 * 1024 * 1024;

  // Opens the display (empty: $DISPLAY); without one nothing works and
  // IsOpen is false.
  explicit X11Clipboard(const std::string& display_name = std::string());
  ~X11Clipboard() override;
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;

  bool IsOpen() const { return display_ != nullptr; }
  // Whether this clipboard owns the selection now.
  bool OwnsSelection() const;
  // Waits until another client has taken the selection from this one;
  // false when that has not happened within the time.
  bool WaitForOwnershipLoss(int timeout_ms);

  bool SetText(const std::string& utf8) override;
  std::optional<std::string> GetText() override;

 private:
  // The serving thread: takes the selection when asked, answers requests,
  // notes when the selection is lost.
  void Serve();
  void TakeSelection();
  void AnswerRequest(const XSelectionRequestEvent& request);
  // Writes the answer into the requestor's property; false when the target
  // is not one offered.
  bool WriteTarget(const XSelectionRequestEvent& request, Atom property);
  void Wake();

  std::string display_name_;
  Display* display_ = nullptr;  // the serving thread's connection
  ::Window window_ = 0;
  Atom clipboard_ = 0;
  Atom targets_ = 0;
  Atom utf8_string_ = 0;
  int wake_fd_ = -1;
  std::thread server_;
  std::atomic<bool> stop_{false};

  mutable std::mutex mutex_;
  std::condition_variable owned_changed_;
  std::string text_;
  bool take_requested_ = false;
  bool owned_ = false;
  uint64_t take_generation_ = 0;
  uint64_t taken_generation_ = 0;
};

}  // namespace platform
