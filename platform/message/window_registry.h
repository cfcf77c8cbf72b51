#pragma once
// Every window of the process, by handle. A record names the thread queue
// that owns the window (messages posted to the window go there), its
// procedure and its user data. Later facilities (window classes, properties,
// native windows) hang their state on the record.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/message/message_types.h"

namespace platform {

class MessageQueue;

struct WindowRecord {
  HWND handle = nullptr;
  std::shared_ptr<MessageQueue> queue;  // the owning thread's queue
  std::atomic<WNDPROC> proc{nullptr};
  std::atomic<LONG_PTR> user_data{0};
  bool message_only = false;
  std::atomic<bool> destroying{false};
};

class WindowRegistry {
 public:
  static WindowRegistry& Instance();

  // Gives |record| a new handle and lists it.
  HWND Add(std::shared_ptr<WindowRecord> record);
  // The record of |hwnd|, empty when it is no (longer a) window.
  std::shared_ptr<WindowRecord> Find(HWND hwnd);
  // Unlists |hwnd|; the record lives on while someone holds it.
  std::shared_ptr<WindowRecord> Remove(HWND hwnd);

 private:
  WindowRegistry() = default;

  std::mutex lock_;
  uintptr_t next_handle_ = 0x10000;  // handles are never reused
  std::unordered_map<uintptr_t, std::shared_ptr<WindowRecord>> windows_;
};

}  // namespace platform
