// The transport on its own, against a fake engine on the other end of the
// pipes: message bounds, the newest-frame slot with its acknowledgements,
// the engine's end and writes to a dead engine.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <future>
#include <string>

#include <gtest/gtest.h>

#include "browser/engine_pipe.h"
#include "tests/browser/engine_harness.h"

namespace {

using browser_test::OnUi;
using jov_comp::EnginePipe;

class Listener : public EnginePipe::Listener {
 public:
  void OnEngineMessage(const Json::Value& message) override {
    Add("message:" + message["method"].asString());
  }
  void OnFrameReady(const std::string& session_id) override {
    EnginePipe::Frame frame;
    if (pipe && pipe->TakeFrame(session_id, &frame)) Add("frame:" + frame.data);
  }
  void OnEngineDisconnected() override { Add("disconnected"); }

  void Add(const std::string& event) {
    std::lock_guard<std::mutex> guard(lock);
    events.push_back(event);
    changed.notify_all();
  }
  bool WaitForCount(size_t count) {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(60), [&] { return events.size() >= count; });
  }
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> guard(lock);
    return events;
  }

  EnginePipe* pipe = nullptr;
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::string> events;
};

// The engine's side: what it writes reaches the pipe's reader; what the
// pipe sends arrives here.
struct FakeEngine {
  int to_launcher[2];
  int from_launcher[2];
  FakeEngine() {
    EXPECT_EQ(::pipe2(to_launcher, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(from_launcher, O_CLOEXEC), 0);
  }
  ~FakeEngine() {
    CloseWriteEnd();
    if (from_launcher[0] >= 0) ::close(from_launcher[0]);
  }
  void Write(const std::string& text) {
    std::string bytes = text;
    bytes.push_back('\0');
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(to_launcher[1], bytes.data() + done, bytes.size() - done);
      ASSERT_GT(n, 0);
      done += static_cast<size_t>(n);
    }
  }
  // Reads one NUL-terminated message the launcher sent.
  std::string Read() {
    std::string text;
    char c;
    while (::read(from_launcher[0], &c, 1) == 1 && c != '\0') text.push_back(c);
    return text;
  }
  void CloseWriteEnd() {
    if (to_launcher[1] >= 0) ::close(to_launcher[1]);
    to_launcher[1] = -1;
  }
};

std::string Frame(int number, const std::string& data) {
  return "{\"method\":\"Page.screencastFrame\",\"sessionId\":\"S\",\"params\":{\"data\":\"" + data +
         "\",\"sessionId\":" + std::to_string(number) + ",\"metadata\":{}}}";
}

TEST(EnginePipeTest, OversizeMessagesAreDroppedAndTheEndIsReported) {
  browser_test::UiThread ui;
  Listener listener;
  FakeEngine engine;
  constexpr size_t kBound = 1 << 20;
  auto pipe = std::make_unique<EnginePipe>(engine.to_launcher[0], engine.from_launcher[1],
                                           kThreadUI, &listener, kBound);
  pipe->Start();
  std::thread writer([&] {
    engine.Write("{\"method\":\"A\"}");
    // One byte over the bound, spread over many reads.
    engine.Write("{\"method\":\"" + std::string(kBound - 12, 'x') + "\"}");
    engine.Write("not json");
    engine.Write("{\"method\":\"B\"}");
    engine.CloseWriteEnd();
  });
  writer.join();
  ASSERT_TRUE(listener.WaitForCount(3));
  EXPECT_EQ((std::vector<std::string>{"message:A", "message:B", "disconnected"}), listener.Events());
  OnUi([&] { pipe.reset(); });
}

TEST(EnginePipeTest, OnlyTheNewestFrameWaitsAndDroppedOnesAreAcknowledged) {
  browser_test::UiThread ui;
  Listener listener;
  FakeEngine engine;
  auto pipe = std::make_unique<EnginePipe>(engine.to_launcher[0], engine.from_launcher[1],
                                           kThreadUI, &listener);
  listener.pipe = pipe.get();
  pipe->Start();
  // The UI thread is busy while three frames arrive.
  std::promise<void> release;
  auto released = release.get_future().share();
  kbase::ThreadRegistry::PostTask(kThreadUI, [released] { released.wait(); });
  engine.Write(Frame(1, "a"));
  engine.Write(Frame(2, "b"));
  engine.Write(Frame(3, "c"));
  // The two frames the newer ones replaced are acknowledged at once.
  const std::string first = engine.Read();
  const std::string second = engine.Read();
  EXPECT_NE(first.find("\"method\":\"Page.screencastFrameAck\""), std::string::npos) << first;
  EXPECT_NE(first.find("\"sessionId\":1"), std::string::npos) << first;
  EXPECT_NE(second.find("\"sessionId\":2"), std::string::npos) << second;
  release.set_value();
  ASSERT_TRUE(listener.WaitForCount(1));
  engine.Write("{\"method\":\"after\"}");
  ASSERT_TRUE(listener.WaitForCount(2));
  EXPECT_EQ((std::vector<std::string>{"frame:c", "message:after"}), listener.Events());
  EXPECT_EQ(2u, pipe->frames_dropped());
  OnUi([&] { pipe.reset(); });
}

TEST(EnginePipeTest, WritingToADeadEngineFailsWithoutEndingTheProcess) {
  ::signal(SIGPIPE, SIG_IGN);
  browser_test::UiThread ui;
  Listener listener;
  FakeEngine engine;
  auto pipe = std::make_unique<EnginePipe>(engine.to_launcher[0], engine.from_launcher[1],
                                           kThreadUI, &listener);
  pipe->Start();
  ::close(engine.from_launcher[0]);
  engine.from_launcher[0] = -1;
  engine.CloseWriteEnd();
  ASSERT_TRUE(listener.WaitForCount(1));
  EXPECT_EQ("disconnected", listener.Events()[0]);
  EXPECT_TRUE(pipe->broken());
  EXPECT_FALSE(pipe->SendText("{\"id\":1}"));
  // Too large for one message, whatever the pipe's state.
  EXPECT_FALSE(pipe->SendText(std::string(EnginePipe::kMaxOutgoingBytes + 1, 'x')));
  OnUi([&] { pipe.reset(); });
}

}  // namespace
