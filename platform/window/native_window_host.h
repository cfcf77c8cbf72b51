// Joins the installed window back-end to the message core on the thread that
// owns the native windows: the back-end's descriptor joins that thread's
// waits, and what the back-end reports becomes window messages. Messages
// whose result matters or that Windows sends (hit test, cursor, WM_COPYDATA,
// size, move, focus, capture) call the procedure at once; input and
// messages from other processes are posted, so they keep their order with
// the thread's own posts.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "platform/message/event_source.h"
#include "platform/message/message_queue.h"
#include "platform/window/window_api.h"

namespace platform {

class NativeWindowHost : public BackendClient, public EventSource {
 public:
  NativeWindowHost(WindowBackend* backend, std::shared_ptr<MessageQueue> queue);
  ~NativeWindowHost() override;
  NativeWindowHost(const NativeWindowHost&) = delete;
  NativeWindowHost& operator=(const NativeWindowHost&) = delete;

  WindowBackend* backend() const { return backend_; }
  const std::shared_ptr<MessageQueue>& queue() const { return queue_; }

  void Map(NativeWindow native, HWND hwnd);
  void Unmap(NativeWindow native);
  HWND Lookup(NativeWindow native) const;
  // The window that got the last mouse message.
  HWND mouse_window() const;

  // BackendClient.
  LRESULT OnBackendMessage(NativeWindow window, uint32_t message, WPARAM wparam, LPARAM lparam) override;
  void OnBackendInvalidate(NativeWindow window, const Rect& rect) override;

  // EventSource.
  int descriptor() const override { return backend_->EventDescriptor(); }
  void Pump() override;
  int64_t NextDeadline() const override;

 private:
  LRESULT Call(HWND hwnd, uint32_t message, WPARAM wparam, LPARAM lparam);

  WindowBackend* backend_;
  std::shared_ptr<MessageQueue> queue_;
  mutable std::mutex lock_;
  std::map<NativeWindow, HWND> windows_;
  HWND mouse_window_ = nullptr;
  bool pumping_ = false;
};

}  // namespace platform
