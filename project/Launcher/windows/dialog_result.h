#pragma once
// The answer of a launcher dialog (1 confirm, 0 cancel), delivered at most
// once, after the current message, on the UI thread: a dialog closes first
// and answers afterwards, and a second way of closing during the fade-out
// answers nothing more.

#include <cstdint>
#include <functional>
#include <utility>

#include "base/thread/thread_registry.h"

class DialogResult {
 public:
  using Callback = std::function<void(int32_t)>;

  void SetCallback(Callback callback) { callback_ = std::move(callback); }
  bool answered() const { return answered_; }

  // Posts the answer unless one was given; true when this call gave it.
  bool Answer(int32_t result) {
    if (answered_) return false;
    answered_ = true;
    if (callback_) {
      kbase::ThreadRegistry::PostTask(kThreadUI,
                                      [callback = callback_, result] { callback(result); });
    }
    return true;
  }

 private:
  Callback callback_;
  bool answered_ = false;
};
