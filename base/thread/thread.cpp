#include "base/thread/thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <system_error>

namespace kbase {

uint32_t CurrentThreadId() { return static_cast<uint32_t>(gettid()); }

Thread::Thread() = default;

Thread::~Thread() { Join(); }

bool Thread::Create() {
  if (thread_.joinable())
    return false;
  std::mutex lock;
  std::condition_variable started;
  bool id_known = false;
  try {
    thread_ = std::thread([this, &lock, &started, &id_known] {
      set_thread_id(CurrentThreadId());
      ApplyPriority();
      {
        // Notified under the lock: the creator's locals die once it wakes.
        std::lock_guard<std::mutex> guard(lock);
        id_known = true;
        started.notify_one();
      }
      ThreadMain();
    });
  } catch (const std::system_error&) {
    set_thread_id(0);
    return false;
  }
  std::unique_lock<std::mutex> guard(lock);
  started.wait(guard, [&id_known] { return id_known; });
  return true;
}

void Thread::ThreadMain() { Run(); }

void Thread::ApplyPriority() {
  // Windows-style levels as nice values; raising fails quietly without the
  // privilege to do so, leaving the default.
  if (priority_ <= 0)
    return;
  int nice_value;
  switch (priority_) {
    case 1:
      nice_value = 10;
      break;
    case 3:
      nice_value = -5;
      break;
    case 4:
      nice_value = -10;
      break;
    default:
      nice_value = 5;
      break;
  }
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice_value);
}

void Thread::Join() {
  // Two threads may stop the same thread at once; one of them joins.
  std::lock_guard<std::mutex> guard(join_lock_);
  if (!thread_.joinable())
    return;
  if (thread_.get_id() == std::this_thread::get_id())
    thread_.detach();
  else
    thread_.join();
  set_thread_id(0);
}

}  // namespace kbase
