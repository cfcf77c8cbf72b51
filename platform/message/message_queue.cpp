#include "platform/message/message_queue.h"

#include <errno.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

#include "platform/message/event_source.h"

namespace platform {

namespace {

thread_local std::shared_ptr<MessageQueue> t_queue;

uint64_t NowMilliseconds() { return static_cast<uint64_t>(NowMicroseconds() / 1000); }

}  // namespace

bool MessageFilter::Matches(HWND message_hwnd, UINT message) const {
  if (hwnd == kThreadMessagesOnly) {
    if (message_hwnd != nullptr)
      return false;
  } else if (hwnd != nullptr && hwnd != message_hwnd) {
    return false;
  }
  if (min == 0 && max == 0)
    return true;
  return message >= min && message <= max;
}

std::shared_ptr<MessageQueue> MessageQueue::ForCurrentThread() {
  if (!t_queue)
    t_queue.reset(new MessageQueue);
  return t_queue;
}

MessageQueue::MessageQueue() : thread_id_(static_cast<uint32_t>(gettid())) {
  wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  AddClockWaiter(this);
}

MessageQueue::~MessageQueue() {
  RemoveClockWaiter(this);
  if (wake_fd_ >= 0)
    close(wake_fd_);
}

void MessageQueue::OnClockAdvanced() { Wake(); }

void MessageQueue::Wake() {
  uint64_t one = 1;
  // A full counter (never reached in practice) is as good as a wake-up.
  ssize_t written = write(wake_fd_, &one, sizeof(one));
  (void)written;
}

void MessageQueue::DrainWake() {
  uint64_t count;
  ssize_t got = read(wake_fd_, &count, sizeof(count));
  (void)got;
}

bool MessageQueue::Post(const MSG& message) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (posted_.size() >= kMaxPostedMessages)
      return false;
    posted_.push_back(message);
    posted_.back().time = NowMilliseconds();
  }
  Wake();
  return true;
}

void MessageQueue::PostQuit(int exit_code) {
  quit_posted_ = true;
  quit_code_ = exit_code;
}

void MessageQueue::PumpEventSources() {
  // Copied: a source may remove itself while pumping.
  std::vector<EventSource*> sources = event_sources_;
  for (EventSource* source : sources)
    source->Pump();
}

bool MessageQueue::Peek(MSG* message, const MessageFilter& filter, bool remove) {
  PumpEventSources();
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto it = posted_.begin(); it != posted_.end(); ++it) {
      if (!filter.Matches(it->hwnd, it->message))
        continue;
      *message = *it;
      if (remove)
        posted_.erase(it);
      return true;
    }
  }
  if (quit_posted_ && filter.hwnd == nullptr && filter.Matches(nullptr, WM_QUIT)) {
    *message = MSG();
    message->message = WM_QUIT;
    message->wParam = static_cast<WPARAM>(static_cast<int64_t>(quit_code_));
    message->time = NowMilliseconds();
    if (remove)
      quit_posted_ = false;
    return true;
  }
  if (PeekPaint(message, filter))
    return true;
  return PeekTimer(message, filter, remove, NowMicroseconds());
}

bool MessageQueue::PeekPaint(MSG* message, const MessageFilter& filter) const {
  // Never removed here: the window keeps getting WM_PAINT until it paints.
  for (HWND hwnd : paint_pending_) {
    if (!filter.Matches(hwnd, WM_PAINT))
      continue;
    *message = MSG();
    message->hwnd = hwnd;
    message->message = WM_PAINT;
    message->time = NowMilliseconds();
    return true;
  }
  return false;
}

void MessageQueue::SetPaintPending(HWND hwnd, bool pending) {
  auto it = std::find(paint_pending_.begin(), paint_pending_.end(), hwnd);
  if (pending && it == paint_pending_.end())
    paint_pending_.push_back(hwnd);
  else if (!pending && it != paint_pending_.end())
    paint_pending_.erase(it);
}

int64_t MessageQueue::NextSourceDeadline() const {
  int64_t next = 0;
  for (EventSource* source : event_sources_) {
    const int64_t deadline = source->NextDeadline();
    if (deadline > 0 && (next == 0 || deadline < next))
      next = deadline;
  }
  return next;
}

bool MessageQueue::PeekTimer(MSG* message, const MessageFilter& filter, bool remove,
                             int64_t now) {
  Timer* due = nullptr;
  for (Timer& timer : timers_) {
    if (timer.due <= now && filter.Matches(timer.hwnd, WM_TIMER) &&
        (!due || timer.due < due->due))
      due = &timer;
  }
  if (!due)
    return false;
  *message = MSG();
  message->hwnd = due->hwnd;
  message->message = WM_TIMER;
  message->wParam = due->id;
  message->lParam = static_cast<LPARAM>(reinterpret_cast<intptr_t>(due->proc));
  message->time = static_cast<uint64_t>(now / 1000);
  if (remove)
    due->due = now + due->period;  // missed periods do not pile up
  return true;
}

bool MessageQueue::HasInput(const MessageFilter& filter, int64_t now) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (const MSG& message : posted_) {
      if (filter.Matches(message.hwnd, message.message))
        return true;
    }
  }
  if (quit_posted_ && filter.hwnd == nullptr && filter.Matches(nullptr, WM_QUIT))
    return true;
  for (HWND hwnd : paint_pending_) {
    if (filter.Matches(hwnd, WM_PAINT))
      return true;
  }
  for (const Timer& timer : timers_) {
    if (timer.due <= now && filter.Matches(timer.hwnd, WM_TIMER))
      return true;
  }
  return false;
}

int64_t MessageQueue::NextTimerDue(const MessageFilter& filter) const {
  int64_t next = 0;
  for (const Timer& timer : timers_) {
    if (filter.Matches(timer.hwnd, WM_TIMER) && (next == 0 || timer.due < next))
      next = timer.due;
  }
  return next;
}

bool MessageQueue::WaitForInput(int64_t deadline, const MessageFilter& filter) {
  for (;;) {
    PumpEventSources();
    int64_t now = NowMicroseconds();
    if (HasInput(filter, now))
      return true;
    if (deadline > 0 && now >= deadline)
      return false;

    int64_t wake_at = NextTimerDue(filter);
    const int64_t source_due = NextSourceDeadline();
    if (source_due > 0 && (wake_at == 0 || source_due < wake_at))
      wake_at = source_due;
    if (deadline > 0 && (wake_at == 0 || deadline < wake_at))
      wake_at = deadline;
    int64_t timeout = RealTimeoutMicroseconds(wake_at);

    std::vector<pollfd> fds;
    fds.push_back({wake_fd_, POLLIN, 0});
    for (EventSource* source : event_sources_) {
      if (source->descriptor() >= 0)
        fds.push_back({source->descriptor(), POLLIN, 0});
    }
    if (waiter_.Wait(&fds, timeout) > 0 && (fds[0].revents & POLLIN))
      DrainWake();
    // Then look again: a post, a moved clock, a source's events or a time-out.
  }
}

UINT_PTR MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, TIMERPROC proc) {
  elapse_ms = std::clamp(elapse_ms, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  if (hwnd == nullptr) {
    // A thread timer gets an identifier of its own unless it names one of
    // the thread's existing timers.
    bool exists = std::any_of(timers_.begin(), timers_.end(), [&](const Timer& timer) {
      return timer.hwnd == nullptr && timer.id == id;
    });
    if (!exists) {
      id = next_thread_timer_id_++;
    }
  }
  int64_t period = static_cast<int64_t>(elapse_ms) * 1000;
  int64_t due = NowMicroseconds() + period;
  for (Timer& timer : timers_) {
    if (timer.hwnd == hwnd && timer.id == id) {
      timer.period = period;
      timer.due = due;
      timer.proc = proc;
      return id == 0 ? 1 : id;
    }
  }
  timers_.push_back({hwnd, id, period, due, proc});
  return id == 0 ? 1 : id;
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id) {
  auto it = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& timer) {
    return timer.hwnd == hwnd && timer.id == id;
  });
  if (it == timers_.end())
    return false;
  timers_.erase(it);
  return true;
}

void MessageQueue::ForgetWindow(HWND hwnd) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [hwnd](const Timer& timer) { return timer.hwnd == hwnd; }),
                timers_.end());
  SetPaintPending(hwnd, false);
  std::lock_guard<std::mutex> guard(lock_);
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                               [hwnd](const MSG& message) { return message.hwnd == hwnd; }),
                posted_.end());
}

int MessageQueue::AddMessageFilterHook(MessageFilterHook hook) {
  int id = next_hook_id_++;
  filter_hooks_.emplace_back(id, std::move(hook));
  return id;
}

void MessageQueue::RemoveMessageFilterHook(int id) {
  filter_hooks_.erase(std::remove_if(filter_hooks_.begin(), filter_hooks_.end(),
                                     [id](const auto& entry) { return entry.first == id; }),
                      filter_hooks_.end());
}

bool MessageQueue::CallMessageFilterHooks(MSG* message, int code) {
  // Copied: a hook may unhook itself.
  auto hooks = filter_hooks_;
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
    if (it->second(code, message))
      return true;
  }
  return false;
}

void MessageQueue::SetMessageTranslator(MessageTranslator translator) {
  translator_ = std::move(translator);
}

bool MessageQueue::Translate(const MSG& message) { return translator_ && translator_(message); }

void MessageQueue::AddEventSource(EventSource* source) { event_sources_.push_back(source); }

void MessageQueue::RemoveEventSource(EventSource* source) {
  event_sources_.erase(std::remove(event_sources_.begin(), event_sources_.end(), source),
                       event_sources_.end());
}

}  // namespace platform
