#pragma once
// The seam through which a back-end feeds native events into a thread's
// message queue (the X connection, later). The queue's waits poll the
// source's descriptor together with the queue's own wake-up, and every peek
// first lets the source move what it has into the queue.

#include <cstdint>

namespace platform {

class EventSource {
 public:
  virtual ~EventSource() = default;
  // A descriptor that becomes readable when events arrive; -1 when none.
  virtual int descriptor() const = 0;
  // Moves every event that is pending (including those a library buffered
  // without the descriptor being readable) into the thread's queue as
  // messages. Called on the queue's thread.
  virtual void Pump() = 0;
  // When the source needs Pump again without any event (a hover time), in
  // microseconds of the process clock; 0 for never.
  virtual int64_t NextDeadline() const { return 0; }
};

}  // namespace platform
