#include "base/thread/framework_thread.h"

#include "base/framework/io_message_loop.h"
#include "base/framework/message_loop_proxy.h"
#include "base/framework/ui_message_loop.h"
#include "base/thread/thread_registry.h"

namespace kbase {

namespace {

thread_local ThreadTlsRecord* t_thread_record = nullptr;

}  // namespace

FrameworkThread::FrameworkThread(const char* name) : name_(name ? name : "") {}

FrameworkThread::~FrameworkThread() {
  Stop();
  // Closures bound to this thread do nothing from now on.
  ReleaseWeakFlag();
}

std::unique_ptr<MessageLoop> FrameworkThread::CreateLoop(MessageLoop::Type type) {
  switch (type) {
    case MessageLoop::kUIMessageLoop:
      return std::make_unique<UIMessageLoop>();
    case MessageLoop::kIOMessageLoop:
      return std::make_unique<IOMessageLoop>();
    default:
      return std::make_unique<MessageLoop>();
  }
}

bool FrameworkThread::Start() {
  if (message_loop_proxy())
    return false;
  loop_type_ = MessageLoop::kDefaultMessageLoop;
  stopping_ = false;
  {
    std::lock_guard<std::mutex> lock(start_lock_);
    started_ = false;
  }
  if (!Create())
    return false;
  WaitStarted();
  running_ = true;
  return true;
}

void FrameworkThread::RunOnCurrentThread() {
  loop_type_ = MessageLoop::kUIMessageLoop;
  stopping_ = false;
  running_ = true;
  Run();
  running_ = false;
}

void FrameworkThread::Run() {
  if (!t_thread_record) {
    t_thread_record = new ThreadTlsRecord;
    t_thread_record->self = this;
  }
  set_thread_id(CurrentThreadId());

  std::unique_ptr<MessageLoop> loop = CreateLoop(loop_type_);
  message_loop_ = loop.get();
  {
    std::lock_guard<std::mutex> lock(proxy_lock_);
    proxy_ = loop->message_loop_proxy();
  }

  Init();
  SignalStarted();
  loop->RunWithRunState();
  Cleanup();

  {
    std::lock_guard<std::mutex> lock(proxy_lock_);
    proxy_.reset();
  }
  loop.reset();
  message_loop_ = nullptr;
  set_thread_id(0);
  // A thread that ends still registered must not stay reachable by identifier.
  while (t_thread_record->managed > 0)
    ThreadRegistry::GetInstance()->UnregisterCurrentThread();
  delete t_thread_record;
  t_thread_record = nullptr;
}

void FrameworkThread::Stop() {
  if (!running_)
    return;
  if (!stopping_.exchange(true)) {
    // Through the proxy: once the loop is gone the post simply fails.
    if (std::shared_ptr<MessageLoopProxy> proxy = message_loop_proxy())
      proxy->PostNonNestableTask(WrapWeak([] { QuitCurrentLoop(); }));
  }
  Join();
  running_ = false;
}

void FrameworkThread::QuitCurrentLoop() {
  if (MessageLoop* loop = MessageLoop::Current())
    loop->QuitWhenIdle();
}

int FrameworkThread::CurrentThreadIdentifier() {
  return t_thread_record ? t_thread_record->managed_thread_id : -1;
}

ThreadTlsRecord* FrameworkThread::GetTlsData() { return t_thread_record; }

std::shared_ptr<MessageLoopProxy> FrameworkThread::message_loop_proxy() {
  std::lock_guard<std::mutex> lock(proxy_lock_);
  return proxy_;
}

void FrameworkThread::SignalStarted() {
  std::lock_guard<std::mutex> lock(start_lock_);
  started_ = true;
  start_event_.notify_all();
}

void FrameworkThread::WaitStarted() {
  std::unique_lock<std::mutex> lock(start_lock_);
  start_event_.wait(lock, [this] { return started_; });
}

}  // namespace kbase
