#include "base/thread/thread_registry.h"

#include "base/framework/message_loop_proxy.h"
#include "base/thread/framework_thread.h"

namespace kbase {

ThreadRegistry* ThreadRegistry::GetInstance() {
  static ThreadRegistry registry;
  return &registry;
}

bool ThreadRegistry::RegisterCurrentThread(int identifier) {
  if (identifier < 0)
    return false;
  ThreadTlsRecord* record = FrameworkThread::GetTlsData();
  if (!record)
    return false;
  // One thread holds one identifier: registering under a second one would
  // leave the first entry behind when the count falls to 0.
  if (record->managed > 0 && record->managed_thread_id != identifier)
    return false;
  {
    std::lock_guard<std::mutex> lock(lock_);
    auto it = threads_.find(identifier);
    if (it == threads_.end())
      threads_.emplace(identifier, record->self);
    else if (it->second != record->self)
      return false;
  }
  record->managed++;
  record->managed_thread_id = identifier;
  return true;
}

bool ThreadRegistry::UnregisterCurrentThread() {
  ThreadTlsRecord* record = FrameworkThread::GetTlsData();
  if (!record || record->managed <= 0)
    return false;
  if (--record->managed > 0)
    return true;
  {
    std::lock_guard<std::mutex> lock(lock_);
    threads_.erase(record->managed_thread_id);
  }
  record->managed_thread_id = -1;
  return true;
}

std::shared_ptr<MessageLoopProxy> ThreadRegistry::FindProxy(int identifier) {
  std::lock_guard<std::mutex> lock(lock_);
  auto it = threads_.find(identifier);
  if (it == threads_.end())
    return nullptr;
  // The thread stays registered until its Cleanup, so it lives while listed.
  return it->second->message_loop_proxy();
}

bool ThreadRegistry::PostTask(int identifier, const StdClosure& task) {
  std::shared_ptr<MessageLoopProxy> proxy = GetInstance()->FindProxy(identifier);
  return proxy && proxy->PostTask(task);
}

bool ThreadRegistry::PostDelayedTask(int identifier, const StdClosure& task, TimeDelta delay) {
  std::shared_ptr<MessageLoopProxy> proxy = GetInstance()->FindProxy(identifier);
  return proxy && proxy->PostDelayedTask(task, delay);
}

bool ThreadRegistry::PostNonNestableTask(int identifier, const StdClosure& task) {
  std::shared_ptr<MessageLoopProxy> proxy = GetInstance()->FindProxy(identifier);
  return proxy && proxy->PostNonNestableTask(task);
}

void ThreadRegistry::PostRepeatingTask(int identifier, const WeakCallback<StdClosure>& task,
                                       TimeDelta period, int times) {
  if (times == 0 || times < -1)
    return;
  std::shared_ptr<MessageLoopProxy> proxy = GetInstance()->FindProxy(identifier);
  if (!proxy)
    return;
  proxy->PostDelayedTask([identifier, task, period, times] {
    RunRepeatingTask(identifier, task, period, times);
  }, period);
}

void ThreadRegistry::RunRepeatingTask(int identifier, const WeakCallback<StdClosure>& task,
                                      TimeDelta period, int times) {
  if (task.Expired())
    return;
  task();
  if (task.Expired())
    return;
  int next = times == -1 ? -1 : times - 1;
  if (next != 0)
    PostRepeatingTask(identifier, task, period, next);
}

}  // namespace kbase
