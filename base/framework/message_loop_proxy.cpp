#include "base/framework/message_loop_proxy.h"

#include "base/framework/message_loop.h"

namespace kbase {

std::shared_ptr<MessageLoopProxy> MessageLoopProxy::Create(MessageLoop* loop) {
  return std::shared_ptr<MessageLoopProxy>(new MessageLoopProxy(loop), &DestroyOnLoop);
}

MessageLoopProxy::MessageLoopProxy(MessageLoop* loop) : target_loop_(loop) {}

MessageLoopProxy::~MessageLoopProxy() = default;

bool MessageLoopProxy::PostTask(const StdClosure& task) {
  std::lock_guard<std::mutex> lock(lock_);
  if (!target_loop_)
    return false;
  target_loop_->PostTask(task);
  return true;
}

bool MessageLoopProxy::PostDelayedTask(const StdClosure& task, TimeDelta delay) {
  if (delay.ToMicroseconds() == 0)
    return PostTask(task);
  std::lock_guard<std::mutex> lock(lock_);
  if (!target_loop_)
    return false;
  target_loop_->PostDelayedTask(task, delay);
  return true;
}

bool MessageLoopProxy::PostNonNestableTask(const StdClosure& task) {
  std::lock_guard<std::mutex> lock(lock_);
  if (!target_loop_)
    return false;
  target_loop_->PostNonNestableTask(task);
  return true;
}

bool MessageLoopProxy::PostNonNestableDelayedTask(const StdClosure& task, TimeDelta delay) {
  if (delay.ToMicroseconds() == 0)
    return PostNonNestableTask(task);
  std::lock_guard<std::mutex> lock(lock_);
  if (!target_loop_)
    return false;
  target_loop_->PostNonNestableDelayedTask(task, delay);
  return true;
}

bool MessageLoopProxy::IsOnLoopThread() {
  std::lock_guard<std::mutex> lock(lock_);
  return target_loop_ && target_loop_ == MessageLoop::Current();
}

void MessageLoopProxy::DetachLoop() {
  std::lock_guard<std::mutex> lock(lock_);
  target_loop_ = nullptr;
}

void MessageLoopProxy::DestroyOnLoop(MessageLoopProxy* proxy) {
  {
    std::lock_guard<std::mutex> lock(proxy->lock_);
    MessageLoop* loop = proxy->target_loop_;
    if (loop && loop != MessageLoop::Current()) {
      // The task owns the proxy: whether it runs or is dropped unrun when the
      // loop is destroyed, the proxy is deleted on the loop's thread and never
      // leaks. The deletion first takes the lock, so it waits until this call
      // has released it.
      std::shared_ptr<MessageLoopProxy> owner(proxy, [](MessageLoopProxy* p) {
        { std::lock_guard<std::mutex> wait(p->lock_); }
        delete p;
      });
      loop->EnqueueIncomingTask(PendingTask([owner = std::move(owner)] {}, 0, false));
      return;
    }
  }
  delete proxy;
}

}  // namespace kbase
