#pragma once
// The transport to the browser engine: a pipe pair carrying NUL-terminated
// JSON messages of the DevTools protocol. A reader thread parses what the
// engine writes and posts each message to the delivery thread (the UI thread)
// as a weak closure; a writer thread drains an outgoing queue, so the UI
// thread never blocks on a full pipe and never waits for an answer. Every
// message has a bound in both directions.
//
// Screencast frames (several MiB each) are not queued: the newest frame of
// each session waits in a slot, an older one still waiting is acknowledged
// and dropped, and the delivery thread takes the slot when it is ready.

#include <json/json.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/callback/weak_callback.h"

namespace jov_comp {

class EnginePipe {
 public:
  // Receives the engine's messages on the delivery thread; closures bound to
  // it do nothing once it is gone.
  class Listener : public virtual kbase::SupportWeakCallback {
   public:
    virtual void OnEngineMessage(const Json::Value& message) = 0;
    // A frame of |session_id| waits in its slot (TakeFrame).
    virtual void OnFrameReady(const std::string& session_id) = 0;
    // The engine closed its end or the pipe failed; nothing more arrives.
    virtual void OnEngineDisconnected() = 0;
  };

  struct Frame {
    std::string session_id;
    int frame_number = 0;  // the engine's number, echoed in the acknowledgement
    std::string data;      // the picture, base64 as the engine sent it
    Json::Value metadata;
  };

  // Bounds of one message: a full-window PNG frame fits with room to spare.
  static constexpr size_t kMaxIncomingBytes = 48u << 20;
  static constexpr size_t kMaxOutgoingBytes = 4u << 20;
  // The most the outgoing queue holds before Send refuses.
  static constexpr size_t kMaxQueuedBytes = 32u << 20;

  // Takes ownership of both descriptors. Messages are delivered to the
  // thread registered under |delivery_thread|; a message longer than
  // |max_incoming| is dropped.
  EnginePipe(int read_fd, int write_fd, int delivery_thread, Listener* listener,
             size_t max_incoming = kMaxIncomingBytes);
  ~EnginePipe();
  EnginePipe(const EnginePipe&) = delete;
  EnginePipe& operator=(const EnginePipe&) = delete;

  void Start();
  // Ends both threads and closes the descriptors; nothing is delivered
  // afterwards. Called on the delivery thread (or before it runs).
  void Stop();

  // Queues one message (any thread). False when it is too large, the queue
  // is full, or the pipe is broken: a write to a dead engine is an error.
  bool Send(const Json::Value& message);
  bool SendText(std::string text);

  // Moves the waiting frame of |session_id| out of its slot.
  bool TakeFrame(const std::string& session_id, Frame* frame);

  bool broken() const;
  size_t frames_dropped() const;

 private:
  void ReadLoop();
  void WriteLoop();
  void HandleIncoming(std::string text);
  bool StoreFrame(const Json::Value& message);
  void Deliver(std::function<void(Listener*)> call);
  bool WriteAll(const std::string& bytes);
  void MarkBroken();

  int read_fd_;
  int write_fd_;
  int stop_fd_;
  int delivery_thread_;
  size_t max_incoming_;
  Listener* listener_;
  std::weak_ptr<kbase::WeakFlag> listener_flag_;

  std::thread reader_;
  std::thread writer_;
  bool started_ = false;

  mutable std::mutex lock_;
  std::condition_variable wake_writer_;
  std::deque<std::string> outgoing_;
  size_t queued_bytes_ = 0;
  bool stopping_ = false;
  bool broken_ = false;
  std::map<std::string, Frame> frames_;
  size_t frames_dropped_ = 0;
};

}  // namespace jov_comp
