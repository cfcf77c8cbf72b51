#pragma once
// The launcher's store and worker without a window, against the local
// publisher: a program folder and a game folder in a temporary folder (the
// program folder is the working folder), "save/setting.json" pointing at the
// publisher, a UI thread whose "main window" records every relayed message,
// and the worker ticking the real state machine. The states after the
// transfers (applying, idling, the error state) are stand-ins that record
// how the flow reached them and wake the test.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/thread/framework_thread.h"
#include "project/Launcher/core/dialog_host.h"
#include "tests/support/temp_folder.h"
#include "tools/publisher/local_publisher.h"

class LauncherStore;

struct RelayedMessage {
  uint32_t message = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
};

// How a flow ended: the stand-in state it reached and what it carried.
struct FlowEnd {
  int32_t typeId = -1;      // 6 apply, 7 idle, 8 error
  int32_t flow = -1;        // the mode of the flow that got there
  int32_t errorCode = 0;
  std::string errorText;
  std::string detail;
  std::u16string detailText;  // as the error box would show it
  bool offerRetry = false;
};

class WorkerHarness {
 public:
  // The publisher speaks HTTPS when given a certificate and its key.
  explicit WorkerHarness(const std::string& certFile = {}, const std::string& keyFile = {});
  ~WorkerHarness();
  WorkerHarness(const WorkerHarness&) = delete;
  WorkerHarness& operator=(const WorkerHarness&) = delete;

  publisher::LocalPublisher& publisher() { return *publisher_; }
  const publisher::GeneratedContent& content() const { return content_; }
  std::string programFolder() const { return tmp_.File("app/"); }
  std::string gameFolder() const { return tmp_.File("game/"); }
  std::string updateFolder() const { return tmp_.File("app/update/"); }

  // The installed launcher and game (before Start).
  void InstallLauncher(const std::string& version);
  void InstallGame(const std::string& version);
  // Extra members of "setting.json" (before Start), merged into the
  // publisher's.
  void SetSetting(const std::string& key, const std::string& value);
  void UseDlcUrlsSetting() { withDlcUrls_ = true; }
  // The launcher's own states end the flows (applying, idling, the error
  // state) in place of the recording stand-ins; the idle and error states
  // still record their entry (before Start).
  void UseRealFlowEnds() { realFlowEnds_ = true; }
  // Boxes stay open until AnswerBox answers them, instead of answering 0 at
  // once (before Start).
  void KeepBoxesOpen() { keepBoxesOpen_ = true; }
  // The main window answers each message it receives, on the UI thread, as
  // the launcher's window would (before Start).
  void AnswerMessages(std::function<void(const RelayedMessage&)> answer) {
    answer_ = std::move(answer);
  }
  // Waits until |count| boxes have been asked; false on time-out.
  bool WaitForBoxes(size_t count, std::chrono::seconds timeout = std::chrono::seconds(30));
  // Answers the open box number |index| (in order of asking) with |answer|,
  // on the UI thread.
  void AnswerBox(size_t index, int32_t answer);

  // Initialises the store, registers the recording main window and starts
  // the worker, whose first tick starts the launcher's own check.
  void Start();
  void Stop();

  // Waits for the next flow end (in order of arrival); false on time-out.
  bool WaitForFlowEnd(FlowEnd* end, std::chrono::seconds timeout = std::chrono::seconds(30));
  // Asks for the game check as the main button does (on the UI thread).
  void StartGameCheck();

  // The messages the main window received, once those the worker relayed
  // before the call have arrived.
  std::vector<RelayedMessage> Messages() const;
  // Waits until the main window has been sent this message with these
  // parameters; false on time-out.
  bool WaitForMessage(uint32_t message, uint64_t wParam, int64_t lParam,
                      std::chrono::seconds timeout = std::chrono::seconds(30));
  std::vector<std::string> BoxesAsked() const;
  // The request paths (with query) the publisher saw, in order, from |first|.
  std::vector<std::string> RequestTargets(size_t first = 0) const;
  size_t RequestCount() const { return publisher_->Requests().size(); }

  LauncherStore& store();
  // Runs |task| on the worker and waits for it.
  void RunOnWorker(std::function<void()> task);
  // The same on the UI thread: every task posted to it before has run.
  void RunOnUi(std::function<void()> task);

  // Called by the stand-in states (worker thread).
  void RecordFlowEnd(const FlowEnd& end);
  void RecordMessage(const RelayedMessage& message);
  void RecordBox(const std::string& what);
  // A message box: recorded; true (kept open) when boxes stay open.
  bool RecordOpenBox(const std::string& what, std::function<void(int32_t)> answer);

 private:
  class UiThread;
  class Worker;
  class RecordingDialogs;

  TempFolder tmp_;
  publisher::GeneratedContent content_;
  std::unique_ptr<publisher::LocalPublisher> publisher_;
  std::string oldFolder_;
  std::vector<std::pair<std::string, std::string>> extraSettings_;
  bool withDlcUrls_ = false;
  bool realFlowEnds_ = false;
  bool keepBoxesOpen_ = false;
  std::function<void(const RelayedMessage&)> answer_;
  std::vector<std::function<void(int32_t)>> openBoxes_;  // guarded by lock_
  std::unique_ptr<UiThread> ui_;
  std::unique_ptr<Worker> worker_;
  std::unique_ptr<RecordingDialogs> dialogs_;

  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<FlowEnd> ends_;
  size_t endsTaken_ = 0;
  std::vector<RelayedMessage> messages_;
  std::vector<std::string> boxes_;
};

// The 32 lower-case hexadecimal digits of a file's MD5 (OpenSSL), empty when
// it cannot be read.
std::string FileMd5Hex(const std::string& path);
