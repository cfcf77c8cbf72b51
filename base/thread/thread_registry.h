#pragma once
// Threads by identifier. A framework thread registers itself (from its Init)
// under a small integer; any code can then post a closure to it, immediately,
// after a delay or repeatedly. Posting to an identifier that nobody holds, or
// to a thread whose loop is gone, does nothing and reports false.

#include <map>
#include <memory>
#include <mutex>

#include "base/callback/weak_callback.h"
#include "base/time/time_delta.h"

// The identifiers in use: the UI thread (the process's main thread) and the
// worker thread.
enum ThreadIdentifier {
  kThreadUI = 0,
  kThreadMisc = 1,
};

namespace kbase {

class FrameworkThread;
class MessageLoopProxy;

class ThreadRegistry {
 public:
  static ThreadRegistry* GetInstance();

  // Registers the calling framework thread under |identifier|. Counted: the
  // same thread may register the same identifier again and then needs as
  // many unregistrations. False for a negative identifier, a thread that runs
  // no framework thread, an identifier another thread holds, or a thread
  // already registered under another identifier.
  bool RegisterCurrentThread(int identifier);
  bool UnregisterCurrentThread();

  // The proxy of the loop of the thread registered under |identifier|; empty
  // when nobody holds it or its loop is gone.
  std::shared_ptr<MessageLoopProxy> FindProxy(int identifier);

  static bool PostTask(int identifier, const StdClosure& task);
  static bool PostDelayedTask(int identifier, const StdClosure& task, TimeDelta delay);
  static bool PostNonNestableTask(int identifier, const StdClosure& task);

  // Runs |task| on the thread once every |period| (counted from the end of
  // each run; the first run one period after the call), |times| times or
  // forever for -1. Repetition ends when the task's owner dies, the count is
  // used up, or the thread's registration or loop is gone. A count of 0 or
  // below -1 posts nothing.
  static void PostRepeatingTask(int identifier, const WeakCallback<StdClosure>& task,
                                TimeDelta period, int times = -1);

 private:
  ThreadRegistry() = default;
  static void RunRepeatingTask(int identifier, const WeakCallback<StdClosure>& task,
                               TimeDelta period, int times);

  std::mutex lock_;  // guards the map alone; released before any post
  std::map<int, FrameworkThread*> threads_;
};

}  // namespace kbase
