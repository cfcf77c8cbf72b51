#include "browser/engine_pipe.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>
#include <utility>
#include <vector>

#include "base/thread/thread_registry.h"

namespace jov_comp {

namespace {

constexpr size_t kReadChunk = 256 * 1024;

std::string Compact(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

bool ParseMessage(const std::string& text, Json::Value* out) {
  Json::CharReaderBuilder builder;
  builder["stackLimit"] = 200;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  return reader->parse(text.data(), text.data() + text.size(), out, &errors) &&
         out->isObject();
}

}  // namespace

EnginePipe::EnginePipe(int read_fd, int write_fd, int delivery_thread, Listener* listener,
                       size_t max_incoming)
    : read_fd_(read_fd),
      write_fd_(write_fd),
      stop_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      delivery_thread_(delivery_thread),
      max_incoming_(max_incoming),
      listener_(listener),
      listener_flag_(listener->GetWeakFlag()) {
  // The writer never blocks inside write(): a full pipe is waited for with
  // poll, which a stop request can interrupt.
  const int flags = ::fcntl(write_fd_, F_GETFL);
  if (flags >= 0) ::fcntl(write_fd_, F_SETFL, flags | O_NONBLOCK);
}

EnginePipe::~EnginePipe() { Stop(); }

void EnginePipe::Start() {
  if (started_) return;
  started_ = true;
  reader_ = std::thread([this] { ReadLoop(); });
  writer_ = std::thread([this] { WriteLoop(); });
}

void EnginePipe::Stop() {
  if (read_fd_ < 0 && write_fd_ < 0) return;  // stopped before
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  wake_writer_.notify_all();
  const uint64_t one = 1;
  if (stop_fd_ >= 0) (void)!::write(stop_fd_, &one, sizeof one);
  if (reader_.joinable()) reader_.join();
  if (writer_.joinable()) writer_.join();
  started_ = false;
  for (int* fd : {&read_fd_, &write_fd_, &stop_fd_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

bool EnginePipe::Send(const Json::Value& message) { return SendText(Compact(message)); }

bool EnginePipe::SendText(std::string text) {
  if (text.size() > kMaxOutgoingBytes || text.find('\0') != std::string::npos) return false;
  text.push_back('\0');
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (broken_ || stopping_ || queued_bytes_ + text.size() > kMaxQueuedBytes) return false;
    queued_bytes_ += text.size();
    outgoing_.push_back(std::move(text));
  }
  wake_writer_.notify_one();
  return true;
}

bool EnginePipe::TakeFrame(const std::string& session_id, Frame* frame) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = frames_.find(session_id);
  if (it == frames_.end()) return false;
  *frame = std::move(it->second);
  frames_.erase(it);
  return true;
}

bool EnginePipe::broken() const {
  std::lock_guard<std::mutex> guard(lock_);
  return broken_;
}

size_t EnginePipe::frames_dropped() const {
  std::lock_guard<std::mutex> guard(lock_);
  return frames_dropped_;
}

void EnginePipe::MarkBroken() {
  std::lock_guard<std::mutex> guard(lock_);
  broken_ = true;
  outgoing_.clear();
  queued_bytes_ = 0;
}

void EnginePipe::Deliver(std::function<void(Listener*)> call) {
  Listener* listener = listener_;
  kbase::ThreadRegistry::PostTask(
      delivery_thread_,
      kbase::WeakCallback<kbase::StdClosure>(listener_flag_, [listener, call] { call(listener); }));
}

void EnginePipe::ReadLoop() {
  std::vector<char> chunk(kReadChunk);
  std::string pending;
  bool discarding = false;  // inside a message over the bound
  for (;;) {
    pollfd fds[2] = {{read_fd_, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
    const int rc = ::poll(fds, 2, -1);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0 || (fds[1].revents & POLLIN)) return;
    const ssize_t n = ::read(read_fd_, chunk.data(), chunk.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;
    const char* begin = chunk.data();
    const char* end = begin + n;
    while (begin < end) {
      const char* nul = static_cast<const char*>(std::memchr(begin, '\0', end - begin));
      const char* stop = nul ? nul : end;
      if (!discarding) {
        if (pending.size() + (stop - begin) > max_incoming_) {
          discarding = true;
          pending.clear();
          pending.shrink_to_fit();
        } else {
          pending.append(begin, stop);
        }
      }
      if (!nul) break;
      if (!discarding) HandleIncoming(std::move(pending));
      pending.clear();
      discarding = false;
      begin = nul + 1;
    }
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    broken_ = true;
  }
  Deliver([](Listener* listener) { listener->OnEngineDisconnected(); });
}

void EnginePipe::HandleIncoming(std::string text) {
  auto message = std::make_shared<Json::Value>();
  if (!ParseMessage(text, message.get())) return;
  text.clear();
  if ((*message)["method"].asString() == "Page.screencastFrame") {
    if (StoreFrame(*message)) {
      const std::string session = (*message)["sessionId"].asString();
      Deliver([session](Listener* listener) { listener->OnFrameReady(session); });
    }
    return;
  }
  Deliver([message](Listener* listener) { listener->OnEngineMessage(*message); });
}

bool EnginePipe::StoreFrame(const Json::Value& message) {
  const Json::Value& params = message["params"];
  Frame frame;
  frame.session_id = message["sessionId"].asString();
  frame.frame_number = params["sessionId"].asInt();
  frame.data = params["data"].asString();
  frame.metadata = params["metadata"];
  int replaced = -1;
  bool was_empty;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = frames_.find(frame.session_id);
    was_empty = it == frames_.end();
    if (was_empty) {
      frames_.emplace(frame.session_id, std::move(frame));
    } else {
      replaced = it->second.frame_number;
      it->second = std::move(frame);
      ++frames_dropped_;
    }
  }
  if (replaced >= 0) {
    // The engine keeps only a few frames unacknowledged; a dropped one is
    // acknowledged at once so that it goes on sending the newest.
    Json::Value ack;
    ack["id"] = 0;
    ack["method"] = "Page.screencastFrameAck";
    ack["sessionId"] = message["sessionId"];
    ack["params"]["sessionId"] = replaced;
    Send(ack);
  }
  return was_empty;
}

bool EnginePipe::WriteAll(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(write_fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd fds[2] = {{write_fd_, POLLOUT, 0}, {stop_fd_, POLLIN, 0}};
      const int rc = ::poll(fds, 2, -1);
      if (rc < 0 && errno == EINTR) continue;
      if (rc < 0 || (fds[1].revents & POLLIN)) return false;
      if (fds[0].revents & (POLLERR | POLLHUP)) return false;
      continue;
    }
    return false;  // EPIPE: the engine is gone (SIGPIPE is ignored)
  }
  return true;
}

void EnginePipe::WriteLoop() {
  for (;;) {
    std::string next;
    {
      std::unique_lock<std::mutex> guard(lock_);
      wake_writer_.wait(guard, [this] { return stopping_ || !outgoing_.empty(); });
      if (stopping_) return;
      next = std::move(outgoing_.front());
      outgoing_.pop_front();
      queued_bytes_ -= next.size();
    }
    if (!WriteAll(next)) {
      MarkBroken();
      return;
    }
  }
}

}  // namespace jov_comp
