#pragma once
// The handle through which other threads post to a loop. It outlives its loop
// safely: the loop detaches it on destruction, and every post after that fails
// and runs nothing. Held only by shared references (Create); the last one
// released hands the proxy to its loop's thread to be deleted there.

#include <memory>
#include <mutex>

#include "base/callback/weak_callback.h"
#include "base/time/time_delta.h"

namespace kbase {

class MessageLoop;

class MessageLoopProxy : public SupportWeakCallback {
 public:
  static std::shared_ptr<MessageLoopProxy> Create(MessageLoop* loop);

  // Each returns false, and drops the task unrun, once the loop is gone. A
  // delay of 0 posts an immediate task.
  virtual bool PostTask(const StdClosure& task);
  virtual bool PostDelayedTask(const StdClosure& task, TimeDelta delay);
  virtual bool PostNonNestableTask(const StdClosure& task);
  virtual bool PostNonNestableDelayedTask(const StdClosure& task, TimeDelta delay);

  // True when the calling thread's current loop is this proxy's loop.
  virtual bool IsOnLoopThread();

  // Called by the loop's destructor.
  virtual void DetachLoop();

 protected:
  explicit MessageLoopProxy(MessageLoop* loop);
  ~MessageLoopProxy() override;

 private:
  // The deleter of the last shared reference: deletes the proxy on its loop's
  // thread, at once when that is the calling thread or the loop is gone.
  static void DestroyOnLoop(MessageLoopProxy* proxy);

  // Lock order: this lock, then the loop's incoming lock; never the reverse.
  std::mutex lock_;
  MessageLoop* target_loop_;
};

}  // namespace kbase
